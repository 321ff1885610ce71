#pragma once

#include <string_view>

// Whether a label's text is a web address the program may hand to the browser: only
// http and https, nothing that would start a local program or open a file.
bool IsWebAddress(std::string_view text);
