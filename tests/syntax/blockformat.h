// Blocks written the way the tables of the syntax tests read: "0:n 2:kw 4:cm".
#pragma once

#include <string>

#include "syntax/colorindex.h"

inline const char* ShortColorName(ColorIndex c) {
    switch (c) {
    case ColorNormalText:
        return "n";
    case ColorKeyword:
        return "kw";
    case ColorComment:
        return "cm";
    case ColorNumber:
        return "num";
    case ColorString:
        return "str";
    case ColorPreprocessor:
        return "pp";
    case ColorOperator:
        return "op";
    default:
        return "?";
    }
}

inline std::string FormatBlocks(const TextBlock* blocks, int count) {
    std::string text;
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            text += ' ';
        }
        text += std::to_string(blocks[k].startChar) + ':' + ShortColorName(blocks[k].colorIndex);
    }
    return text;
}
