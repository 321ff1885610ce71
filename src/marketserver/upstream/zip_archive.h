#pragma once

#include <cstddef>
#include <string>

namespace upstream {

// The CSV file inside a zip archive held in memory (the exchanges ship their daily files
// zipped, one file each). False, with a reason, for an empty, truncated or corrupt
// archive, one without a file, or a file larger than maxBytes once unpacked.
bool UnzipSingleFile(const std::string& archive, std::string& content, std::string& why,
                     std::size_t maxBytes = 512u << 20);

// True when the bytes start like a zip archive.
bool LooksLikeZip(const std::string& bytes);

} // namespace upstream
