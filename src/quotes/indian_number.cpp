#include "indian_number.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/base/text.h"

namespace {

// The text of a whole number of hundredths (sign apart), grouped the Indian way once it has
// more than six characters.
std::string GroupedHundredths(bool negative, std::uint64_t hundredths) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + hundredths % 10);
        hundredths /= 10;
    } while (hundredths != 0 || n < 3); // at least "0.00"
    // digits[0..1] are the decimals, digits[2..n) the integer part, both reversed.
    char out[48];
    int len = 0;
    const int integerDigits = n - 2;
    const bool grouped = integerDigits + 3 > 6;
    if (negative)
        out[len++] = '-';
    for (int i = n - 1; i >= 2; --i) {
        out[len++] = digits[i];
        const int left = i - 2; // integer digits still to come
        if (grouped && left >= 3 && (left - 3) % 2 == 0)
            out[len++] = ',';
    }
    out[len++] = '.';
    out[len++] = digits[1];
    out[len++] = digits[0];
    return std::string(out, static_cast<std::size_t>(len));
}

// The value's hundredths, rounded as printf rounds "%.2f": the exact binary value, ties to
// even. Empty for values too large for the quick way, infinities and NaN.
std::optional<std::uint64_t> ExactHundredths(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int exponentBits = static_cast<int>(bits >> 52 & 0x7ff);
    if (exponentBits == 0x7ff)
        return std::nullopt;
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    // value = mantissa * 2^exponent, exactly.
    const std::uint64_t mantissa =
        exponentBits == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int exponent = exponentBits == 0 ? -1074 : exponentBits - 1075;
    const std::uint64_t product = mantissa * 100; // below 2^60
    if (exponent >= 0)
        return exponent <= 3 ? std::optional(product << exponent) : std::nullopt;
    const int shift = -exponent;
    if (shift >= 62)
        return 0; // below half a hundredth
    std::uint64_t q = product >> shift;
    const std::uint64_t rest = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (rest > half || (rest == half && (q & 1) != 0))
        ++q;
    return q;
}

} // namespace

std::string FormatIndianNumber(double value) {
    if (const auto hundredths = ExactHundredths(value))
        return GroupedHundredths(std::signbit(value), *hundredths);
    // Huge values, infinities and NaN: printf's own text, then the same grouping.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    const bool negative = !s.empty() && s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    std::string out;
    if (negative)
        out.push_back('-');
    std::size_t point = s.find('.');
    if (s.size() <= 6 || point == std::string_view::npos) {
        out.append(s);
        return out;
    }
    // First comma three digits left of the point, then every two.
    std::size_t lead = (point - 3) % 2;
    if (lead == 0)
        lead = 2;
    out.append(s.substr(0, lead));
    for (std::size_t i = lead; i + 3 < point; i += 2) {
        out.push_back(',');
        out.append(s.substr(i, 2));
    }
    out.push_back(',');
    out.append(s.substr(point - 3));
    return out;
}

std::string FormatIndianVolume(std::int64_t volume) {
    std::string s = FormatIndianNumber(static_cast<double>(volume));
    return s.size() >= 3 ? s.substr(0, s.size() - 3) : s;
}

double ParseListNumber(std::string_view cell) {
    return text::CStrToD(text::RemoveChar(cell, ','));
}
