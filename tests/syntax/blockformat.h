// Blocks written the way the tables of the syntax tests read: "0:n 2:kw 4:cm", with the class
// names of velmora-highlight's blocks format and "?" for an index that has none.
#pragma once

#include <string>
#include <string_view>

#include "syntax/colorindex.h"
#include "velmora-highlight/render.h"

inline std::string FormatBlocks(const TextBlock* blocks, int count) {
    std::string text;
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            text += ' ';
        }
        const std::string_view name = ColorClassName(blocks[k].colorIndex);
        text += std::to_string(blocks[k].startChar) + ':';
        text += name.empty() ? std::string_view("?") : name;
    }
    return text;
}
