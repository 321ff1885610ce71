#pragma once

#include <string>

// Small texts shared by the market pages.
namespace market {

// The page's status text while batches or pages are being read: "Batches done: 3 of 5".
std::string ProgressText(int done, int total);

} // namespace market
