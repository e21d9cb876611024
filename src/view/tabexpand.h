// The tab rule of the view and the conversions built on it. Walking a line from its first
// character with a column counter starting at 0, a tab advances the column to the next multiple of
// the tab size (by tab - column % tab) and every other byte advances it by 1. Every function here
// takes the characters of one line (any byte, NUL included) and a tab size of at least 1.
#pragma once

#include <cstdint>
#include <string>

namespace tabs {

// The column after `count` characters at `chars` that start at column `startColumn`.
int64_t AdvanceColumn(const char* chars, int32_t count, int64_t startColumn, int32_t tab);

// The expanded length of a whole line.
inline int32_t ExpandedLength(const char* chars, int32_t length, int32_t tab) {
    return static_cast<int32_t>(AdvanceColumn(chars, length, 0, tab));
}

// The column at which character `index` starts (0 for index < 1; the line's expanded length for
// an index at or past its end).
int32_t IndexToColumn(const char* chars, int32_t length, int32_t index, int32_t tab);

// The character index nearest to `column`: a column inside the first half of a tab (rounded
// down) gives the tab, one in its second half the character after it; a column at or past the
// end of the line gives the line length. With `startColumn`, `chars` are the rest of a line from
// a character that starts at that column (columns stay those of the whole line).
int32_t ColumnToIndex(const char* chars, int32_t length, int64_t column, int32_t tab,
                      int64_t startColumn = 0);

// The character whose cell covers `column`: the walk stops at the first character whose end
// column lies past it, so a column anywhere inside a character (or a tab's expansion) gives that
// character; the line length when the line ends first. Negative columns count as 0. With
// `startColumn`, also the column where that character starts (the line's expanded length when
// the line ends first). `fromColumn` is ColumnToIndex's `startColumn`.
int32_t ColumnToCoveringIndex(const char* chars, int32_t length, int64_t column, int32_t tab,
                              int64_t* startColumn = nullptr, int64_t fromColumn = 0);

// Appends to `out` the display text of columns [skip, skip + limit) of the run of `count`
// characters at `chars` that starts at column `startColumn`: tabs become the spaces that reach the
// next tab stop of the line. Returns the run's whole expanded width, whatever was appended.
int64_t ExpandRun(const char* chars, int32_t count, int64_t startColumn, int64_t skip,
                  int64_t limit, int32_t tab, std::string& out);

} // namespace tabs
