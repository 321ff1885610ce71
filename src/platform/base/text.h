#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers shared by every layer. Number conversions here never depend on
// the process locale: a desktop session may run with a decimal comma, while every
// file and protocol the program reads or writes uses the decimal point.
namespace text {

// Trims the characters C's isspace() accepts in the "C" locale, from both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool IEquals(std::string_view a, std::string_view b);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
// Removes every occurrence of the character.
std::string RemoveChar(std::string_view s, char c);
std::vector<std::string> Split(std::string_view s, char sep);
std::string Join(const std::vector<std::string>& parts, std::string_view sep);

// strtod() as the C library does it in the "C" locale: leading blanks skipped, a sign
// accepted, as much read as forms a decimal number, 0 when nothing does. Only decimal
// numbers: "inf", "nan" and hexadecimal read as 0, so a garbage field never becomes one.
// An overflowing exponent gives 0 too.
double CStrToD(std::string_view s);
// strtol() with a 32-bit long, as on the platforms the quote files come from: values
// beyond the range saturate at INT32_MIN / INT32_MAX.
std::int32_t CStrToL32(std::string_view s);

// printf("%.<decimals>f") in the "C" locale.
std::string FormatFixed(double value, int decimals);

// One record of RFC 4180 CSV (quoted fields, doubled quotes). Used for the program's
// own data files, never for the quote service, whose lines follow their own rule.
std::vector<std::string> ParseCsvRecord(std::string_view line);

// Reads the lines of a text, dropping each line break and a trailing CR.
std::vector<std::string> SplitLines(std::string_view s);

} // namespace text
