#include "view/viewstrings.h"

namespace view {

std::string_view LoadViewString(int32_t id) {
    // No blank between the word and the opening quote: the message has always read so.
    if (id == IDS_CANNOT_FIND_STRING)
        return "Cannot find string\"%s\"";
    return {};
}

std::string FormatString(std::string_view pattern, std::string_view argument) {
    std::string out;
    out.reserve(pattern.size() + argument.size());
    bool substituted = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == 's' && !substituted) {
                out += argument;
                substituted = true;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace view
