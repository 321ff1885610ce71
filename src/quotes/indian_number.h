#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one text form of prices, changes and amounts in the lists: "%.2f", then lakh and
// crore grouping (commas after three integer digits from the point, then every two) when
// the unsigned text is longer than six characters; the minus sign stays in front.
std::string FormatIndianNumber(double value);
// Volumes: the same text without its last three characters (".00").
std::string FormatIndianVolume(std::int64_t volume);
// How list readers turn a cell back into a number: every comma removed, then strtod.
double ParseListNumber(std::string_view cell);
