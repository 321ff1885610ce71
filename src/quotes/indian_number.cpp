#include "indian_number.h"

#include "platform/base/text.h"

std::string FormatIndianNumber(double value) {
    std::string s = text::FormatFixed(value, 2);
    std::string sign;
    if (!s.empty() && s.front() == '-') {
        sign = "-";
        s.erase(0, 1);
    }
    if (s.size() > 6) {
        std::size_t point = s.find('.');
        if (point == std::string::npos)
            point = s.size();
        // First comma three digits left of the point, then every two.
        std::size_t pos = point >= 3 ? point - 3 : 0;
        while (pos > 0) {
            s.insert(pos, 1, ',');
            pos = pos >= 2 ? pos - 2 : 0;
        }
    }
    return sign + s;
}

std::string FormatIndianVolume(std::int64_t volume) {
    std::string s = FormatIndianNumber(static_cast<double>(volume));
    return s.size() >= 3 ? s.substr(0, s.size() - 3) : s;
}

double ParseListNumber(std::string_view cell) {
    return text::CStrToD(text::RemoveChar(cell, ','));
}
