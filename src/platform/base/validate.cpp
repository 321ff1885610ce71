#include "platform/base/validate.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string_view>

#include "platform/base/text.h"

namespace validate {

namespace {

locale_t CLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

std::string Bound(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

// A plain decimal number: sign, digits with at most one point, an optional exponent.
// strtod would also take "nan", "inf" and hexadecimal, which no user means as a price.
bool IsDecimalNumber(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        std::size_t exponent = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
            ++i;
            ++exponent;
        }
        if (exponent == 0)
            return false;
    }
    return i == t.size();
}

} // namespace

std::optional<double> ParseDouble(const std::string& text) {
    const std::string t = text::Trim(text);
    if (!IsDecimalNumber(t))
        return std::nullopt;
    char* end = nullptr;
    const double v = strtod_l(t.c_str(), &end, CLocale());
    if (end == t.c_str() || *end != '\0' || !std::isfinite(v))
        return std::nullopt; // an exponent past the range of a double is no number either
    return v;
}

std::optional<long> ParseInt(const std::string& text) {
    const std::string t = text::Trim(text);
    if (t.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (end == t.c_str() || *end != '\0' || errno == ERANGE || v > INT32_MAX || v < INT32_MIN)
        return std::nullopt;
    return static_cast<long>(v);
}

std::string NumberMessage() {
    return "Please enter a number.";
}
std::string IntegerMessage() {
    return "Please enter an integer.";
}

std::string NumberRangeMessage(double min, double max) {
    return "Please enter a number between " + Bound(min) + " and " + Bound(max) + ".";
}

std::string IntegerRangeMessage(long min, long max) {
    return "Please enter an integer between " + std::to_string(min) + " and " +
           std::to_string(max) + ".";
}

std::string MaxCharsMessage(int max) {
    return "Please enter no more than " + std::to_string(max) + " characters.";
}

namespace {

// A parsed number against its range: what is wrong with it, or "" with the number stored in
// *value (when given).
template <class T, class RangeMessage>
std::string CheckParsed(const std::optional<T>& v, T min, T max, T* value,
                        const std::string& notANumber, RangeMessage rangeMessage) {
    if (!v)
        return notANumber;
    if (*v < min || *v > max)
        return rangeMessage(min, max);
    if (value)
        *value = *v;
    return {};
}

} // namespace

std::string CheckDouble(const std::string& text, double min, double max, double* value) {
    return CheckParsed(ParseDouble(text), min, max, value, NumberMessage(), NumberRangeMessage);
}

std::string CheckInt(const std::string& text, long min, long max, long* value) {
    return CheckParsed(ParseInt(text), min, max, value, IntegerMessage(), IntegerRangeMessage);
}

} // namespace validate
