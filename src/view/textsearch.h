// The byte search inside one part of a line that every search of the view is made of, and the
// upper-case conversion a search without match case compares with.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace view {

// The upper-case conversion of a code page: ASCII a-z and every letter of the page whose
// upper-case form the page also holds (é to É in Windows-1252, я to Я in Windows-1251); every
// other byte converts to itself.
struct CaseTable {
    std::array<uint8_t, 256> upper;
    // For an upper-case byte, the other byte that converts to it (no letter of either page has
    // two lower-case forms); for every other byte, the byte itself.
    std::array<uint8_t, 256> otherOf;
};
const CaseTable& CaseTableOf(platform::CodePage page);

// Finds a pattern in line parts. A line part is searched as it is, NUL bytes included: the end of
// the part is its length, never a terminator. Prepared once per search, finding allocates nothing:
// candidates are found by scanning for the bytes a match can begin with, then compared, so a
// search runs at memory speed whatever the line lengths.
class LineSearcher {
public:
    // Without `matchCase` pattern and text are compared upper-cased through `page`'s table.
    // With `wholeWord` an occurrence is accepted only when neither the byte before it (none at
    // the part's start) nor the byte after it (none at the part's end) is a word character; a
    // rejected occurrence makes the search go on one byte after its start, so overlapping
    // occurrences are tried.
    void Prepare(std::string_view pattern, bool matchCase, bool wholeWord,
                 platform::CodePage page = platform::CodePage::Windows1252);

    // The offset of the first acceptable occurrence in text[0, length), or -1. An empty pattern
    // occurs at every offset from 0 to length.
    int32_t Find(const char* text, int32_t length) const;

    int32_t PatternLength() const { return static_cast<int32_t>(pattern_.size()); }

private:
    bool RestMatches(const uint8_t* at) const;
    bool Accepted(const uint8_t* text, int32_t length, int32_t offset) const;

    std::string pattern_;             // upper-cased without match case
    const CaseTable* case_ = nullptr; // null: bytes compare as they are
    bool wholeWord_ = false;
    // The bytes a match may begin with (the same one twice when there is only one).
    uint8_t firstA_ = 0;
    uint8_t firstB_ = 0;
};

} // namespace view
