#include "view/tabexpand.h"

#include <algorithm>
#include <cstring>

namespace tabs {
namespace {

const char* FindTab(const char* from, const char* end) {
    const void* hit = std::memchr(from, '\t', static_cast<size_t>(end - from));
    return hit ? static_cast<const char*>(hit) : end;
}

int64_t NextStop(int64_t column, int32_t tab) {
    return column + (tab - column % tab);
}

} // namespace

int64_t AdvanceColumn(const char* chars, int32_t count, int64_t startColumn, int32_t tab) {
    if (count <= 0)
        return startColumn;
    int64_t column = startColumn;
    const char* p = chars;
    const char* end = chars + count;
    while (p < end) {
        const char* t = FindTab(p, end);
        column += t - p;
        if (t == end)
            break;
        column = NextStop(column, tab);
        p = t + 1;
    }
    return column;
}

int32_t IndexToColumn(const char* chars, int32_t length, int32_t index, int32_t tab) {
    if (index < 1)
        return 0;
    return static_cast<int32_t>(AdvanceColumn(chars, std::min(index, length), 0, tab));
}

// Both walks below jump from tab to tab, so a long line costs a memchr, not a step per byte.

int32_t ColumnToIndex(const char* chars, int32_t length, int64_t column, int32_t tab,
                      int64_t startColumn) {
    if (column <= startColumn)
        return 0;
    if (length <= 0)
        return std::max(length, 0);
    // The first character whose end column reaches `column` decides: `column` up to half a tab
    // (rounded down) before that end gives the character, a later one the character after it.
    const auto pick = [&](int64_t index, int64_t endColumn) {
        return static_cast<int32_t>(column <= endColumn - tab / 2 ? index : index + 1);
    };
    int64_t reached = startColumn; // the end column of the characters walked; below `column`
    const char* p = chars;
    const char* end = chars + length;
    while (p < end) {
        const char* t = FindTab(p, end);
        if (column - reached <= t - p) // a plain character of [p, t) ends at `column`
            return pick(p - chars + (column - reached) - 1, column);
        reached += t - p;
        if (t == end)
            break;
        const int64_t stop = NextStop(reached, tab);
        if (stop >= column)
            return pick(t - chars, stop);
        reached = stop;
        p = t + 1;
    }
    return length;
}

int32_t ColumnToCoveringIndex(const char* chars, int32_t length, int64_t column, int32_t tab,
                              int64_t* startColumn, int64_t fromColumn) {
    column = std::max<int64_t>(column, fromColumn);
    int64_t reached = fromColumn; // the end column of the characters walked; at most `column`
    const char* p = chars;
    const char* end = chars + std::max(length, 0);
    while (p < end) {
        const char* t = FindTab(p, end);
        if (column - reached < t - p) { // the plain character starting at `column` covers it
            if (startColumn)
                *startColumn = column;
            return static_cast<int32_t>(p - chars + (column - reached));
        }
        reached += t - p;
        if (t == end)
            break;
        const int64_t stop = NextStop(reached, tab);
        if (stop > column) {
            if (startColumn)
                *startColumn = reached;
            return static_cast<int32_t>(t - chars);
        }
        reached = stop;
        p = t + 1;
    }
    if (startColumn)
        *startColumn = reached;
    return std::max(length, 0);
}

int64_t ExpandRun(const char* chars, int32_t count, int64_t startColumn, int64_t skip,
                  int64_t limit, int32_t tab, std::string& out) {
    if (count <= 0)
        return 0;
    // Columns relative to the run's start that are wanted: [skip, want).
    skip = std::max<int64_t>(skip, 0);
    const int64_t want = limit > 0 ? skip + limit : skip;
    int64_t column = 0; // relative to startColumn
    const char* p = chars;
    const char* end = chars + count;
    while (p < end) {
        const char* t = FindTab(p, end);
        const int64_t plain = t - p;
        // The plain characters [p, t) cover columns [column, column + plain).
        const int64_t from = std::max(column, skip);
        const int64_t to = std::min(column + plain, want);
        if (from < to)
            out.append(p + (from - column), static_cast<size_t>(to - from));
        column += plain;
        if (t == end)
            break;
        const int64_t stop = NextStop(startColumn + column, tab) - startColumn;
        const int64_t spaceFrom = std::max(column, skip);
        const int64_t spaceTo = std::min(stop, want);
        if (spaceFrom < spaceTo)
            out.append(static_cast<size_t>(spaceTo - spaceFrom), ' ');
        column = stop;
        p = t + 1;
    }
    return column;
}

} // namespace tabs
