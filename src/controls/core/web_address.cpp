#include "controls/core/web_address.h"

#include "platform/base/text.h"

bool IsWebAddress(std::string_view text) {
    const std::string t = text::ToLowerAscii(text::Trim(text));
    for (std::string_view scheme : {"http://", "https://"}) {
        // A scheme alone names no host.
        if (text::StartsWith(t, scheme) && t.size() > scheme.size() &&
            t.find_first_of(" \t\r\n") == std::string::npos)
            return true;
    }
    return false;
}
