#include "view/textsearch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "view/textview.h"

namespace view {
namespace {

// The simple upper-case mapping of the letters the two code pages hold.
char32_t UpperOf(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A: pairs of capital then small letter, on odd code points from U+0139
        // to U+0148 and from U+0179 on, on even ones elsewhere; U+0130, U+0131, U+0138 and
        // U+0149 have no pair.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || c >= 0x179;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        if (oddPairs ? (c % 2 == 0) : (c % 2 == 1))
            return c - 1;
        return c;
    }
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c == 0x491)
        return 0x490;
    return c;
}

CaseTable MakeCaseTable(platform::CodePage page) {
    CaseTable table{};
    for (size_t b = 0; b < 256; ++b)
        table.otherOf[b] = static_cast<uint8_t>(b);
    for (size_t b = 0; b < 256; ++b) {
        const char32_t c = platform::ByteToUnicode(page, static_cast<uint8_t>(b));
        const std::optional<uint8_t> upper = platform::UnicodeToByte(page, UpperOf(c));
        table.upper[b] = upper ? *upper : static_cast<uint8_t>(b);
        if (table.upper[b] != b)
            table.otherOf[table.upper[b]] = static_cast<uint8_t>(b);
    }
    return table;
}

// The index of the first byte in p[0, n) that is a or b; n when there is none. The bytes up to
// p[readable) may be read (readable >= n), so a short range in a long enough line is looked at
// with one load.
size_t FindEither(const uint8_t* p, size_t n, size_t readable, uint8_t a, uint8_t b) {
#if defined(__SSE2__)
    if (readable >= 16) {
        const __m128i va = _mm_set1_epi8(static_cast<char>(a));
        const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
        for (size_t i = 0; i < n; i += 16) {
            // Sixteen bytes from i, or the last sixteen readable ones shifted to start at i.
            const size_t at = std::min(i, readable - 16);
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
            unsigned mask = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
            mask >>= i - at;
            if (n - i < 16)
                mask &= (1u << (n - i)) - 1;
            if (mask)
                return i + static_cast<size_t>(__builtin_ctz(mask));
        }
        return n;
    }
#else
    (void)readable;
#endif
    for (size_t i = 0; i < n; ++i)
        if (p[i] == a || p[i] == b)
            return i;
    return n;
}

} // namespace

const CaseTable& CaseTableOf(platform::CodePage page) {
    static const CaseTable t1252 = MakeCaseTable(platform::CodePage::Windows1252);
    static const CaseTable t1251 = MakeCaseTable(platform::CodePage::Windows1251);
    return page == platform::CodePage::Windows1251 ? t1251 : t1252;
}

void LineSearcher::Prepare(std::string_view pattern, bool matchCase, bool wholeWord,
                           platform::CodePage page) {
    pattern_.assign(pattern);
    wholeWord_ = wholeWord;
    case_ = matchCase ? nullptr : &CaseTableOf(page);
    if (case_)
        for (char& c : pattern_)
            c = static_cast<char>(case_->upper[static_cast<uint8_t>(c)]);
    if (pattern_.empty())
        return;
    firstA_ = static_cast<uint8_t>(pattern_[0]);
    firstB_ = case_ ? case_->otherOf[firstA_] : firstA_;
}

bool LineSearcher::RestMatches(const uint8_t* at) const {
    const auto* p = reinterpret_cast<const uint8_t*>(pattern_.data());
    const size_t m = pattern_.size();
    if (!case_)
        return std::memcmp(at + 1, p + 1, m - 1) == 0;
    for (size_t j = 1; j < m; ++j)
        if (case_->upper[at[j]] != p[j])
            return false;
    return true;
}

bool LineSearcher::Accepted(const uint8_t* text, int32_t length, int32_t offset) const {
    if (!wholeWord_)
        return true;
    const int32_t after = offset + PatternLength();
    return (offset == 0 || !CTextView::IsWordChar(text[offset - 1])) &&
           (after >= length || !CTextView::IsWordChar(text[after]));
}

int32_t LineSearcher::Find(const char* text, int32_t length) const {
    const auto* t = reinterpret_cast<const uint8_t*>(text);
    const int32_t m = PatternLength();
    if (m == 0) {
        for (int32_t i = 0; i <= length; ++i)
            if (Accepted(t, length, i))
                return i;
        return -1;
    }
    const int32_t last = length - m; // the last offset an occurrence can start at
    for (int32_t i = 0; i <= last; ++i) {
        const size_t skip = FindEither(t + i, static_cast<size_t>(last - i) + 1,
                                       static_cast<size_t>(length - i), firstA_, firstB_);
        i += static_cast<int32_t>(skip);
        if (i > last)
            return -1;
        if (RestMatches(t + i) && Accepted(t, length, i))
            return i;
    }
    return -1;
}

} // namespace view
