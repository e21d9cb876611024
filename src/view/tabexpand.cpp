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

int32_t ColumnToIndex(const char* chars, int32_t length, int32_t column, int32_t tab) {
    if (column <= 0)
        return 0;
    if (length <= 0)
        return std::max(length, 0);
    int64_t reached = 0;
    for (int32_t i = 0; i < length; ++i) {
        reached = chars[i] == '\t' ? NextStop(reached, tab) : reached + 1;
        if (reached >= column)
            return column <= reached - tab / 2 ? i : i + 1;
    }
    return length;
}

int32_t ColumnToCoveringIndex(const char* chars, int32_t length, int64_t column, int32_t tab) {
    column = std::max<int64_t>(column, 0);
    int64_t reached = 0;
    for (int32_t i = 0; i < length; ++i) {
        reached = chars[i] == '\t' ? NextStop(reached, tab) : reached + 1;
        if (reached > column)
            return i;
    }
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
