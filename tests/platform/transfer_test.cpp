// Text at the boundary to other applications, the agreement on a drop's effect, and the order in
// which a drop site calls its target (enter, over, scroll ticks, leave, drop), on the in-memory
// backend's scripted drags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/dragdrop.h"
#include "platform/headless/headless.h"
#include "recording_wnd.h"

namespace platform {
namespace {

using headless::HeadlessData;
using headless::HeadlessDrag;
using headless::HeadlessSystem;
using headless::HeadlessWindow;

TEST(TransferText, ForOtherApplications) {
    struct Row {
        std::string bytes;
        CodePage page;
        std::string utf8;
    };
    const Row rows[] = {
        {"ld a,1\r\nret", CodePage::Windows1252, "ld a,1\nret"},
        {"a\r\n\r\nb\r\n", CodePage::Windows1252, "a\n\nb\n"},
        // Lone CR and LF inside a line, and NUL, are characters like any other.
        {"a\rb\nc", CodePage::Windows1252, "a\rb\nc"},
        {std::string("x\0y", 3), CodePage::Windows1252, std::string("x\0y", 3)},
        {"\r", CodePage::Windows1252, "\r"},
        {"\x80\xE9\xFF", CodePage::Windows1252, "\xE2\x82\xAC\xC3\xA9\xC3\xBF"},
        // A byte the page leaves undefined goes as the C1 control of the same value.
        {"\x81", CodePage::Windows1252, "\xC2\x81"},
        {"\xC0\xFF", CodePage::Windows1251, "\xD0\x90\xD1\x8F"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TextForOtherApplications(r.bytes, r.page), r.utf8) << r.bytes;
}

TEST(TransferText, FromOtherApplications) {
    struct Row {
        std::u32string text;
        CodePage page;
        std::string bytes;
    };
    const Row rows[] = {
        {U"a\nb", CodePage::Windows1252, "a\r\nb"},
        {U"a\r\nb\r\n", CodePage::Windows1252, "a\r\nb\r\n"},
        {U"a\rb", CodePage::Windows1252, "a\r\nb"},
        {U"a\n\nb", CodePage::Windows1252, "a\r\n\r\nb"},
        {U"a\n\rb", CodePage::Windows1252, "a\r\n\r\nb"},
        {U"a\u2028b\u2029c", CodePage::Windows1252, "a\r\nb\r\nc"},
        {U"\u20AC\u00E9", CodePage::Windows1252, "\x80\xE9"},
        // What the page cannot hold becomes one '?' per character.
        {U"\u0101\u0416\U0001F600", CodePage::Windows1252, "???"},
        {U"\u0416\u20AC", CodePage::Windows1251, "\xC6\x88"},
        {std::u32string(U"x\0y", 3), CodePage::Windows1252, std::string("x\0y", 3)},
        {U"\u0081\t", CodePage::Windows1252, "\x81\t"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TextFromOtherApplications(r.text, r.page), r.bytes);
}

TEST(TransferText, EveryByteComesBackFromAnotherApplication) {
    // Every byte but the line breaks goes out and comes back unchanged, in both pages.
    for (CodePage page : {CodePage::Windows1252, CodePage::Windows1251}) {
        std::string bytes;
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes += static_cast<char>(b);
        const std::string utf8 = TextForOtherApplications(bytes, page);
        std::u32string text;
        for (char c : bytes)
            text += ByteToUnicode(page, static_cast<uint8_t>(c));
        EXPECT_EQ(TextFromOtherApplications(text, page), bytes);
        EXPECT_GT(utf8.size(), bytes.size());
    }
}

TEST(DropEffect, AgreedWithTheSource) {
    struct Row {
        uint32_t wanted;
        uint32_t allowed;
        uint32_t agreed;
    };
    const Row rows[] = {
        {DROPEFFECT_MOVE, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE},
        {DROPEFFECT_COPY, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
        // A source that only lends its text is copied from.
        {DROPEFFECT_MOVE, DROPEFFECT_COPY, DROPEFFECT_COPY},
        {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_NONE},
        {DROPEFFECT_NONE, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_NONE},
        {DROPEFFECT_MOVE, DROPEFFECT_NONE, DROPEFFECT_NONE},
    };
    for (const Row& r : rows)
        EXPECT_EQ(AgreeDropEffect(r.wanted, r.allowed), r.agreed) << r.wanted << " " << r.allowed;
}

// A target that writes down each call and answers `answer`.
struct LogTarget final : DropTarget {
    std::vector<std::string> calls;
    uint32_t answer = DROPEFFECT_MOVE;
    bool takes = true;

    uint32_t OnDragEnter(Wnd&, const DataObject& data, uint32_t keys, Point p) override {
        calls.push_back("enter " + Where(keys, p) + (data.HasText() ? " text" : ""));
        return answer;
    }
    uint32_t OnDragOver(Wnd&, const DataObject&, uint32_t keys, Point p) override {
        calls.push_back("over " + Where(keys, p));
        return answer;
    }
    void OnDragLeave(Wnd&) override { calls.emplace_back("leave"); }
    bool OnDrop(Wnd&, const DataObject& data, uint32_t effect, Point p) override {
        calls.push_back("drop " + std::to_string(effect) + " " + Where(0, p) + " " +
                        data.GetText(CodePage::Windows1252).value_or("-"));
        return takes;
    }
    uint32_t OnDragScroll(Wnd&, uint32_t keys, Point p) override {
        calls.push_back("scroll " + Where(keys, p));
        return answer;
    }
    static std::string Where(uint32_t keys, Point p) {
        return std::to_string(keys) + "@" + std::to_string(p.x) + "," + std::to_string(p.y);
    }
};

struct DropSites : ::testing::Test {
    HeadlessSystem system;
    HeadlessWindow a{system, std::make_unique<test::RecordingWnd>(), {100, 50}};
    HeadlessWindow b{system, std::make_unique<test::RecordingWnd>(), {100, 50}};
    LogTarget ta;
    LogTarget tb;

    void SetUp() override {
        ASSERT_TRUE(a.GetWnd().RegisterDropTarget(&ta));
        ASSERT_TRUE(b.GetWnd().RegisterDropTarget(&tb));
    }
};

TEST_F(DropSites, CallOrderAcrossTwoWindows) {
    HeadlessDrag drag(HeadlessData::FromApplication("xy", CodePage::Windows1252),
                      DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(drag.MoveTo(a, {5, 6}, MK_LBUTTON), DROPEFFECT_MOVE);
    EXPECT_EQ(drag.MoveTo(a, {7, 8}, MK_LBUTTON | MK_CONTROL), DROPEFFECT_MOVE);
    EXPECT_EQ(drag.Tick(), DROPEFFECT_MOVE);
    EXPECT_EQ(drag.MoveTo(b, {1, 2}, MK_LBUTTON), DROPEFFECT_MOVE);
    EXPECT_EQ(drag.Drop(0), DROPEFFECT_MOVE);
    EXPECT_EQ(ta.calls, (std::vector<std::string>{"enter 1@5,6 text", "over 9@7,8", "scroll 9@7,8",
                                                  "leave"}));
    EXPECT_EQ(tb.calls,
              (std::vector<std::string>{"enter 1@1,2 text", "over 0@1,2", "drop 2 0@1,2 xy"}));
    EXPECT_TRUE(drag.Ended());
    EXPECT_FALSE(b.Drops().IsHovering());
}

TEST_F(DropSites, RefusalsAndTicks) {
    // A refusing target gets no scroll ticks, and a drop there is a leave.
    ta.answer = DROPEFFECT_NONE;
    HeadlessDrag drag(HeadlessData::FromOtherApplication(U"t"), DROPEFFECT_COPY);
    EXPECT_EQ(drag.MoveTo(a, {1, 1}), DROPEFFECT_NONE);
    EXPECT_FALSE(a.Drops().WantsTicks());
    EXPECT_EQ(drag.Tick(), DROPEFFECT_NONE);
    EXPECT_EQ(drag.Drop(), DROPEFFECT_NONE);
    EXPECT_EQ(ta.calls, (std::vector<std::string>{"enter 1@1,1 text", "over 0@1,1", "leave"}));

    // A copy-only source turns the target's move into a copy; a target that takes nothing at
    // the drop leaves the effect none.
    tb.takes = false;
    HeadlessDrag lent(HeadlessData::FromOtherApplication(U"t"), DROPEFFECT_COPY);
    EXPECT_EQ(lent.MoveTo(b, {3, 3}), DROPEFFECT_COPY);
    EXPECT_TRUE(b.Drops().WantsTicks());
    EXPECT_EQ(lent.Drop(), DROPEFFECT_NONE);

    // A target revoked while a drag hovers hears that it left.
    HeadlessDrag hover(HeadlessData::FromOtherApplication(U"t"), DROPEFFECT_MOVE);
    hover.MoveTo(b, {4, 4});
    tb.calls.clear();
    b.GetWnd().RevokeDropTarget();
    EXPECT_EQ(tb.calls, std::vector<std::string>{"leave"});
    EXPECT_EQ(hover.MoveTo(b, {5, 5}), DROPEFFECT_NONE);
}

} // namespace
} // namespace platform
