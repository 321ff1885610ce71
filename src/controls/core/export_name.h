#pragma once

#include <string>

#include "platform/base/clock.h"

// The name the export dialog proposes: day-month-year_hour-minute-second on the 12-hour
// clock with AM or PM, e.g. "06-05-2008_03-04-09PM". Noon shows as 12, midnight as 00.
std::string ProposedExportName(const LocalTime& t);

// Empty when the name (trimmed) may be used as an export file name; otherwise the message
// to show. Separators and ".." are refused so an export never leaves its folder.
std::string CheckExportName(const std::string& name);
