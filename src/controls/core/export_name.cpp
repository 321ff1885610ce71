#include "controls/core/export_name.h"

#include <cstdio>

#include "platform/base/text.h"

std::string ProposedExportName(const LocalTime& t) {
    const int hour12 = t.hour > 12 ? t.hour - 12 : t.hour;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%d_%02d-%02d-%02d%s", t.day, t.month, t.year, hour12,
                  t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string CheckExportName(const std::string& name) {
    const std::string trimmed = text::Trim(name);
    if (trimmed.empty())
        return "Please write a name for the CSV file";
    if (trimmed.find_first_of("/\\") != std::string::npos ||
        trimmed.find("..") != std::string::npos)
        return "The file name can't contain \\, / or ..";
    return {};
}
