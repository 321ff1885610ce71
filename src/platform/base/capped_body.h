#pragma once

#include <cstddef>
#include <string>

// A response body kept in memory up to a limit: an answer that would pass it is refused, not
// cut short, so a transfer ends with all of it or with tooLarge set.
struct CappedBody {
    std::string body;
    std::size_t maxBody = 0;
    bool tooLarge = false;

    // Appends n bytes; false (and tooLarge) when they would pass the limit.
    bool Append(const char* data, std::size_t n) {
        if (body.size() + n > maxBody) {
            tooLarge = true;
            return false;
        }
        body.append(data, n);
        return true;
    }
};
