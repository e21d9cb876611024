// The keyword table and its lookup. The lookup buckets the table by length and first letter and
// compares whole words packed into 64-bit integers, which gives exactly the answers of a
// byte-wise scan of the table.
#include <array>
#include <cstddef>
#include <cstdint>

#include "syntax/z80parser.h"

namespace {

static_assert(std::size(Z80KeywordTable) == Z80KeywordCount + 1);

constexpr int kMaxLength = 8; // every keyword fits in one 64-bit word
constexpr int kLetters = 26;
constexpr int kBuckets = kMaxLength * kLetters;

constexpr int Length(const char* s) {
    int n = 0;
    while (s[n] != '\0') {
        ++n;
    }
    return n;
}

constexpr uint64_t Pack(const char* s, int n) {
    uint64_t key = 0;
    for (int k = 0; k < n; ++k) {
        key |= static_cast<uint64_t>(static_cast<unsigned char>(s[k])) << (8 * k);
    }
    return key;
}

constexpr int BucketOf(int length, char first) {
    return (length - 1) * kLetters + (first - 'a');
}

// Keys grouped by bucket: those of bucket b are keys[begin[b] .. begin[b + 1]).
struct KeywordIndex {
    std::array<uint64_t, Z80KeywordCount> keys{};
    std::array<uint8_t, kBuckets + 1> begin{};
};

constexpr KeywordIndex MakeIndex() {
    KeywordIndex index;
    std::array<int, kBuckets + 1> counts{};
    for (int k = 0; k < Z80KeywordCount; ++k) {
        const char* word = Z80KeywordTable[k];
        const int n = Length(word);
        if (n < 1 || n > kMaxLength || word[0] < 'a' || word[0] > 'z') {
            throw "keyword outside the index's shape";
        }
        ++counts[static_cast<size_t>(BucketOf(n, word[0]) + 1)];
    }
    for (size_t b = 1; b <= kBuckets; ++b) {
        counts[b] += counts[b - 1];
        index.begin[b] = static_cast<uint8_t>(counts[b]);
    }
    std::array<int, kBuckets + 1> next = counts;
    for (int k = 0; k < Z80KeywordCount; ++k) {
        const char* word = Z80KeywordTable[k];
        const int n = Length(word);
        const size_t b = static_cast<size_t>(BucketOf(n, word[0]));
        index.keys[static_cast<size_t>(next[b]++)] = Pack(word, n);
    }
    return index;
}

constexpr KeywordIndex kIndex = MakeIndex();

} // namespace

bool FindInKeywordTable(const char* text, int length) {
    if (length < 1 || length > kMaxLength) {
        return false;
    }
    const unsigned letter = static_cast<unsigned char>(text[0]) - unsigned{'a'};
    if (letter >= kLetters) {
        return false;
    }
    const uint64_t key = Pack(text, length);
    const size_t bucket = static_cast<size_t>((length - 1) * kLetters) + letter;
    for (size_t k = kIndex.begin[bucket]; k < kIndex.begin[bucket + 1]; ++k) {
        if (kIndex.keys[k] == key) {
            return true;
        }
    }
    return false;
}
