// What the view paints on Qt: the colours of the Z80 runs, the selection and the areas without
// text, read back from real pixels; and a change of the system colours repainting the view.
#include <QPalette>
#include <string>

#include "viewqt_harness.h"

namespace viewqt {
namespace {

using platform::qt::QtWindow;

// Columns:          0         1         2
//                   0123456789012345678901234
const char* const kSource = "start:  ld a, 0FFh ; load\n"
                            "        db \"hi\"\n"
                            "/* old\n"
                            " */ nop\n";

struct ViewOnQt : ::testing::Test {
    void SetUp() override {
        file.LoadInto(buffer);
        auto made = MakeView(&buffer);
        view = made.get();
        window = std::make_unique<QtWindow>(std::move(made));
        window->resize(400, 200);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        view->ConnectBuffer(&buffer);
    }
    QImage Grab() { return window->Host()->grab().toImage(); }

    Z80File file{kSource};
    CTextBuffer buffer;
    Z80QtView* view = nullptr;
    std::unique_ptr<QtWindow> window;
};

TEST_F(ViewOnQt, CellsShowTheirRunColoursOnTheirBackground) {
    struct Case {
        const char* what;
        int32_t column;
        int32_t row;
        ColorIndex text; // the glyph's colour; ColorWhitespace for a cell with no glyph
        ColorIndex back;
    };
    const Case cases[] = {
        {"label", 1, 0, ColorNormalText, ColorBackground},
        {"mnemonic", 8, 0, ColorKeyword, ColorBackground},
        {"register", 11, 0, ColorKeyword, ColorBackground},
        {"hex number", 14, 0, ColorNumber, ColorBackground},
        {"line comment", 21, 0, ColorComment, ColorBackground},
        {"directive", 9, 1, ColorKeyword, ColorBackground},
        {"string", 12, 1, ColorString, ColorBackground},
        {"block comment", 4, 2, ColorComment, ColorBackground},
        {"block comment carried to the next line", 1, 3, ColorComment, ColorBackground},
        {"keyword after the comment's end", 5, 3, ColorKeyword, ColorBackground},
        {"blank inside the text", 6, 0, ColorWhitespace, ColorBackground},
        {"right of the line end", 20, 1, ColorWhitespace, ColorWhitespace},
        {"below the last line", 3, 6, ColorWhitespace, ColorWhitespace},
    };
    const QImage image = Grab();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto colors = ColorsIn(image, CellRect(*view, c.column, c.row));
        const ColorRef back = kTestColors[c.back];
        if (c.text == ColorWhitespace) {
            EXPECT_EQ(colors.size(), 1u);
            EXPECT_TRUE(colors.contains(back));
            continue;
        }
        const ColorRef text = kTestColors[c.text];
        EXPECT_GT(colors.contains(text) ? colors.at(text) : 0, 3) << "the glyph has its colour";
        EXPECT_GT(colors.contains(back) ? colors.at(back) : 0, 20);
        EXPECT_EQ(colors.size(), 2u) << "nothing but glyph and background";
    }
    const auto margin = ColorsIn(image, QRect(0, 0, view->GetMarginPixels(), 40));
    EXPECT_EQ(margin.size(), 1u);
    EXPECT_TRUE(margin.contains(kTestColors[ColorSelectionMargin]));
}

TEST_F(ViewOnQt, TheSelectionIsDrawnInItsColoursWithTheLineBreakMarked) {
    view->SetKeepSelectionVisible(true);
    view->SelectRange({8, 1}, {0, 2}); // "db "hi"" and the line break after it
    const QImage image = Grab();
    struct Case {
        const char* what;
        int32_t column;
        int32_t row;
        bool glyph;
        ColorRef back;
    };
    const ColorRef selBack = kTestColors[ColorSelectionBackground];
    const Case cases[] = {
        {"selected keyword", 8, 1, true, selBack},
        {"selected blank", 10, 1, false, selBack},
        {"selected string", 12, 1, true, selBack},
        {"the line break", 15, 1, false, selBack},
        {"after the line break", 16, 1, false, kTestColors[ColorWhitespace]},
        {"before the selection", 7, 1, false, kTestColors[ColorBackground]},
        {"the line after", 1, 2, true, kTestColors[ColorBackground]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto colors = ColorsIn(image, CellRect(*view, c.column, c.row));
        EXPECT_GT(colors.contains(c.back) ? colors.at(c.back) : 0, 20);
        EXPECT_EQ(colors.size(), c.glyph ? 2u : 1u);
        if (c.glyph && c.back == selBack) {
            EXPECT_TRUE(colors.contains(kTestColors[ColorSelectedText]));
        }
    }
}

TEST_F(ViewOnQt, ASystemColourChangeRepaintsWithTheNewColours) {
    view->testColors = false; // the view's own colours: background and text follow the system
    window->Host()->repaint();
    const QRect blank = CellRect(*view, 20, 1);
    const QPalette original = QApplication::palette();
    QImage screen = OnScreen(window->Host());
    if (screen.isNull())
        GTEST_SKIP() << "the platform's backing store is not an image";
    ASSERT_EQ(ColorsIn(screen, blank).begin()->first,
              platform::qt::FromQColor(original.color(QPalette::Base)));

    QPalette changed = original;
    changed.setColor(QPalette::Base, QColor(0x20, 0x30, 0x40));
    QApplication::setPalette(changed);
    screen = OnScreen(window->Host());
    QApplication::setPalette(original);
    const auto colors = ColorsIn(screen, blank);
    ASSERT_EQ(colors.size(), 1u);
    EXPECT_EQ(colors.begin()->first, platform::Rgb(0x20, 0x30, 0x40))
        << "the window repainted itself with the new window colour";
}

} // namespace
} // namespace viewqt
