// The line-keyed block list against a plain sorted vector, with blocks of four items so that
// every operation crosses blocks, splits and merges them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "z80/linekeyedlist.h"

namespace {

using Plain = std::vector<std::pair<int, int>>;

int PlainLowerBound(const Plain& plain, int line) {
    return static_cast<int>(
        std::lower_bound(plain.begin(), plain.end(), std::make_pair(line, 0),
                         [](const auto& a, const auto& b) { return a.first < b.first; }) -
        plain.begin());
}

TEST(LineKeyedList, BehavesLikeASortedVector) {
    z80::LineKeyedList<int, 4> list;
    Plain plain;
    uint64_t seed = 12345;
    auto below = [&](int n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return n <= 0 ? 0 : static_cast<int>((seed >> 33) % static_cast<uint64_t>(n));
    };
    int next = 0;
    for (int step = 0; step < 5000; ++step) {
        const int maxLine = plain.empty() ? 10 : plain.back().first + 10;
        std::string what;
        switch (below(5)) {
        case 0: { // append
            const int line = (plain.empty() ? 0 : plain.back().first) + below(3);
            list.Append(line, next);
            plain.emplace_back(line, next++);
            what = "append";
            break;
        }
        case 1: { // erase a line range
            const int first = below(maxLine);
            const int last = first + below(below(4) == 0 ? 40 : 4);
            EXPECT_EQ(list.EraseLines(first, last),
                      PlainLowerBound(plain, last) - PlainLowerBound(plain, first));
            plain.erase(plain.begin() + PlainLowerBound(plain, first),
                        plain.begin() + PlainLowerBound(plain, last));
            what = "erase";
            break;
        }
        case 2: { // shift, never past the item before
            const int from = below(maxLine);
            const int index = PlainLowerBound(plain, from);
            const int floor = index == 0 ? 0 : plain[static_cast<size_t>(index) - 1].first;
            const int delta = below(7) - std::min(3, from - floor);
            list.ShiftFrom(from, delta);
            for (size_t k = static_cast<size_t>(index); k < plain.size(); ++k)
                plain[k].first += delta;
            what = "shift";
            break;
        }
        default: { // insert a sorted run between two items
            const int index = below(static_cast<int>(plain.size()) + 1);
            const int low = index == 0 ? 0 : plain[static_cast<size_t>(index) - 1].first;
            const int high = index == static_cast<int>(plain.size())
                                 ? low + 5
                                 : plain[static_cast<size_t>(index)].first;
            std::vector<std::pair<int, int>> items;
            int line = low;
            for (int n = below(below(3) == 0 ? 20 : 3); n > 0; --n) {
                line = std::min(high, line + below(2));
                items.emplace_back(line, next++);
            }
            plain.insert(plain.begin() + index, items.begin(), items.end());
            list.InsertAt(index, std::move(items));
            what = "insert";
            break;
        }
        }
        ASSERT_EQ(list.Size(), static_cast<int>(plain.size())) << step << " " << what;
        for (int i = 0; i < list.Size(); ++i) {
            ASSERT_EQ(list.LineAt(i), plain[static_cast<size_t>(i)].first) << step << " " << what;
            ASSERT_EQ(list.ValueAt(i), plain[static_cast<size_t>(i)].second) << step << " " << what;
        }
        for (int line = -1; line <= maxLine + 2; line += 3)
            ASSERT_EQ(list.LowerBound(line), PlainLowerBound(plain, line)) << step << " " << what;
    }
}

} // namespace
