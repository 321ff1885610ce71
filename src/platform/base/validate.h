#pragma once

#include <optional>
#include <string>

// The checks numeric and text fields make when their dialog reads them, with the
// messages users have always seen for them.
namespace validate {

// A number as a field holds it: blanks around it allowed, nothing else. nullopt when the
// text is no number.
std::optional<double> ParseDouble(const std::string& text);
std::optional<long> ParseInt(const std::string& text);

std::string NumberMessage();  // "Please enter a number."
std::string IntegerMessage(); // "Please enter an integer."
std::string NumberRangeMessage(double min,
                               double max); // "Please enter a number between 0 and 10000."
std::string IntegerRangeMessage(long min,
                                long max); // "Please enter an integer between 0 and 999999."
std::string MaxCharsMessage(int max);      // "Please enter no more than 25 characters."

// Empty when the text passes; otherwise the message to show.
std::string CheckDouble(const std::string& text, double min, double max, double* value = nullptr);
std::string CheckInt(const std::string& text, long min, long max, long* value = nullptr);

} // namespace validate
