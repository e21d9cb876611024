// Word movement by character class, over every byte value: the classes come from the byte alone
// (no locale), and Ctrl+Left / Ctrl+Right treat every member of a class alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "view_harness.h"

namespace viewtest {
namespace {

enum class CharClass { Whitespace, Word, Other };

CharClass ClassOf(int byte) {
    if ((byte >= 0x09 && byte <= 0x0D) || byte == 0x20)
        return CharClass::Whitespace;
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || byte == '_')
        return CharClass::Word;
    return CharClass::Other;
}

TEST(ViewWordMoves, EveryByteMovesAsItsClass) {
    // Line b (for byte b) is "q", b, b, "q r". Where the caret lands, by the class of b:
    struct Landing {
        CharClass cls;
        int32_t rightFrom0; // Ctrl+Right from column 0
        int32_t rightFrom1; // from column 1, on the first b
        int32_t leftFrom4;  // Ctrl+Left from column 4, after the second q
        int32_t leftFrom3;  // from column 3, after the second b
    };
    const Landing landings[] = {
        // The whole "qbbq" is one word; Ctrl+Right skips the blank after it.
        {CharClass::Word, 5, 5, 0, 0},
        // Blanks between two words: Ctrl+Right stops at the second word, Ctrl+Left skips them.
        {CharClass::Whitespace, 3, 3, 3, 0},
        // A run of other characters between two words is a stop of its own.
        {CharClass::Other, 1, 3, 3, 1},
    };

    // Loaded from a file, so that the line may hold a CR or LF byte of its own.
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / "every_byte_words.asm";
    {
        std::ofstream out(path, std::ios::binary);
        for (int b = 0; b < 256; ++b)
            out << 'q' << static_cast<char>(b) << static_cast<char>(b) << "q r\r\n";
        out << "end";
    }
    Harness h("", 20, 10);
    ASSERT_TRUE(h.buffer.ReadFromFile(path.string(), LineEndDos));
    std::filesystem::remove(path);
    ASSERT_EQ(h.buffer.LineCount(), 257);

    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE("byte " + std::to_string(b));
        const auto byte = static_cast<unsigned char>(b);
        const CharClass cls = ClassOf(b);
        EXPECT_EQ(CTextView::IsWordChar(byte), cls == CharClass::Word);
        EXPECT_EQ(CTextView::IsWhitespaceChar(byte), cls == CharClass::Whitespace);
        ASSERT_EQ(h.buffer.LineLength(b), 6);
        for (const Landing& l : landings) {
            if (l.cls != cls)
                continue;
            const auto landAt = [&](int32_t from, bool right) {
                h.view->MoveCaretTo({from, b});
                h.view->SetSelectionAnchor({from, b});
                h.view->SelectRange({from, b}, {from, b});
                right ? h.view->CaretWordRight(false) : h.view->CaretWordLeft(false);
                EXPECT_EQ(h.view->GetCaretPos().y, b);
                return h.view->GetCaretPos().x;
            };
            EXPECT_EQ(landAt(0, true), l.rightFrom0);
            EXPECT_EQ(landAt(1, true), l.rightFrom1);
            EXPECT_EQ(landAt(4, false), l.leftFrom4);
            EXPECT_EQ(landAt(3, false), l.leftFrom3);
        }
    }
}

} // namespace
} // namespace viewtest
