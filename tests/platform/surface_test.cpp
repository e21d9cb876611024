#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/headless/cellgrid.h"
#include "platform/headless/headless.h"
#include "recording_wnd.h"

namespace platform::headless {
namespace {

constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kGreen = 0x008000;

TEST(HeadlessSurface, ExtTextOutPlacesClipsAndFillsCells) {
    struct Case {
        const char* name;
        int32_t x;
        uint32_t options;
        Rect rect;
        int32_t mode;
        std::vector<int32_t> dx;
        // Expected per pixel column at y = 0 (every 4 pixels from 0 to 44): glyph and background.
        std::string glyphs;
        std::vector<ColorRef> backs;
    };
    const ColorRef N = CLR_NONE;
    const ColorRef W = kWhite;
    const ColorRef B = kBlue;
    const Case cases[] = {
        {"opaque run", 8, 0, {}, OPAQUE, {}, "..aabbcc....", {N, N, B, B, B, B, B, B, N, N, N, N}},
        {"transparent run keeps the background",
         8,
         0,
         {},
         TRANSPARENT,
         {},
         "..aabbcc....",
         {W, W, W, W, W, W, W, W, W, W, W, W}},
        {"clipped to the middle cell",
         8,
         ETO_CLIPPED,
         {16, 0, 24, 16},
         OPAQUE,
         {},
         "....bb......",
         {N, N, N, N, B, B, N, N, N, N, N, N}},
        {"clip starting inside a cell keeps the glyph's visible half",
         8,
         ETO_CLIPPED,
         {12, 0, 48, 16},
         OPAQUE,
         {},
         "...abbcc....",
         {N, N, N, B, B, B, B, B, N, N, N, N}},
        {"opaque rectangle fills beyond the text",
         8,
         ETO_OPAQUE | ETO_CLIPPED,
         {0, 0, 40, 16},
         OPAQUE,
         {},
         "..aabbcc....",
         {B, B, B, B, B, B, B, B, B, B, N, N}},
        {"per-character widths",
         0,
         0,
         {},
         OPAQUE,
         {16, 8, 8},
         "aa..bbcc....",
         {B, B, B, B, B, B, B, B, N, N, N, N}},
    };
    for (const Case& c : cases) {
        CellGrid grid({48, 16});
        HeadlessSurface dc(&grid, {}, false);
        if (c.mode == TRANSPARENT)
            dc.FillSolidRect(grid.Bounds(), kWhite);
        dc.SetBkMode(c.mode);
        dc.SetBkColor(kBlue);
        dc.SetTextColor(kRed);
        dc.ExtTextOut(c.x, 0, c.options, c.options ? &c.rect : nullptr, "abc",
                      c.dx.empty() ? nullptr : c.dx.data());
        std::string glyphs;
        for (int32_t px = 0; px < 48; px += 4) {
            const Cell& cell = grid.At(px, 0);
            glyphs.push_back(cell.ch ? static_cast<char>(cell.ch) : '.');
            EXPECT_EQ(cell.back, c.backs[static_cast<size_t>(px / 4)]) << c.name << " x=" << px;
            if (cell.ch) {
                EXPECT_EQ(cell.text, kRed) << c.name;
            }
        }
        EXPECT_EQ(glyphs, c.glyphs) << c.name;
        EXPECT_EQ(grid.At(8, 15).ch, c.glyphs[2] == '.' ? 0 : 'a') << c.name << ": cell height";
        EXPECT_EQ(grid.At(8, 16).back, CLR_NONE) << c.name << ": nothing below the cell";
    }
}

TEST(HeadlessSurface, SelectedFontGivesTheCellsTheirStyleAndTheMetricsStayFixed) {
    CellGrid grid({64, 16});
    HeadlessSurface dc(&grid, {}, false);
    LogFont lf;
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    HeadlessFont boldItalic(lf);
    Font* old = dc.SelectFont(&boldItalic);
    dc.TextOut(0, 0, "X");
    EXPECT_EQ(dc.GetTextExtent("XYZ"), (Size{24, 16}));
    EXPECT_EQ(dc.GetTextMetrics().tmHeight, 16);
    dc.SelectFont(old);
    dc.TextOut(8, 0, "Y");
    EXPECT_EQ(grid.At(0, 0).style, StyleBold | StyleItalic);
    EXPECT_EQ(grid.At(8, 0).style, StyleNormal);
}

TEST(HeadlessSurface, LineBitmapBlitCopiesCellsAndIcons) {
    CellGrid screen({80, 48});
    HeadlessSurface dc(&screen, {}, false);
    HeadlessImageList icons(14, {16, 16});
    icons.Draw(dc, 9, {0, 16}); // an old icon on the row about to be overwritten

    std::unique_ptr<Surface> mem = dc.CreateCompatibleDC();
    std::unique_ptr<Bitmap> line = dc.CreateCompatibleBitmap(80, 16);
    EXPECT_EQ(mem->SelectBitmap(line.get()), nullptr);
    mem->FillSolidRect({0, 0, 20, 16}, kGreen);
    EXPECT_TRUE(icons.Draw(*mem, 5, {2, 0}));
    EXPECT_FALSE(icons.Draw(*mem, 14, {2, 0})) << "there are 14 images";
    mem->SetBkColor(kWhite);
    const Rect text{20, 0, 80, 16};
    mem->ExtTextOut(20, 0, ETO_CLIPPED, &text, "hi", nullptr);
    EXPECT_TRUE(screen.Icons().size() == 1) << "the bitmap is off screen";

    ASSERT_TRUE(dc.BitBlt(0, 16, 80, 16, *mem, 0, 0));
    EXPECT_EQ(screen.Text(20, 20, 3), "hi ");
    EXPECT_EQ(screen.At(25, 31).back, kWhite);
    EXPECT_EQ(screen.At(0, 16).back, kGreen);
    EXPECT_EQ(screen.At(0, 15).back, CLR_NONE) << "only the blitted row changes";
    ASSERT_EQ(screen.Icons().size(), 1u) << "the old icon is painted over";
    EXPECT_EQ(screen.Icons()[0], (DrawnIcon{5, {2, 16, 18, 32}}));

    mem->SelectBitmap(nullptr);
    EXPECT_FALSE(dc.BitBlt(0, 0, 80, 16, *mem, 0, 0)) << "no bitmap selected";
}

// Paints a numbered text row per 16-pixel band, as a view would: the screen after any sequence of
// scrolls and partial repaints must equal a full repaint.
struct BandWnd : test::RecordingWnd {
    int32_t top = 0;
    BandWnd() {
        draw = [this](Surface& dc) {
            const Rect client = GetClientRect();
            for (int32_t y = 0; y < client.bottom; y += 16) {
                const std::string text = "line" + std::to_string(top + y / 16);
                dc.FillSolidRect({0, y, client.right, y + 16}, kWhite);
                dc.TextOut(0, y, text);
            }
        };
    }
};

TEST(HeadlessWindow, ScrollingMovesPixelsAndRepaintsOnlyTheUncoveredBand) {
    HeadlessSystem system;
    HeadlessWindow win(system, std::make_unique<BandWnd>(), {64, 64});
    auto& wnd = win.As<BandWnd>();
    ASSERT_TRUE(win.Paint());
    EXPECT_EQ(win.Screen().Text(0, 0, 5), "line0");
    EXPECT_FALSE(win.Paint()) << "nothing is invalid after a paint";

    wnd.top = 2; // scroll down two lines
    wnd.ScrollWindow(0, -32);
    ASSERT_EQ(win.InvalidArea().size(), 1u);
    EXPECT_EQ(win.InvalidArea()[0], (Rect{0, 32, 64, 64}));
    EXPECT_EQ(win.Screen().Text(0, 0, 5), "line2") << "moved pixels";
    wnd.UpdateWindow();
    const CellGrid scrolled = win.Screen();

    wnd.Invalidate();
    win.Paint();
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(scrolled.At(x, y), win.Screen().At(x, y)) << x << "," << y;
}

TEST(HeadlessWindow, PaintingIsClippedToTheInvalidArea) {
    HeadlessSystem system;
    HeadlessWindow win(system, std::make_unique<BandWnd>(), {64, 48});
    win.Paint();
    auto& wnd = win.As<BandWnd>();
    wnd.top = 10;
    const Rect band{0, 16, 64, 32};
    wnd.InvalidateRect(&band);
    win.Paint();
    EXPECT_EQ(win.Screen().Text(0, 0, 5), "line0");
    EXPECT_EQ(win.Screen().Text(0, 16, 6), "line11");
    EXPECT_EQ(win.Screen().Text(0, 32, 5), "line2");
}

} // namespace
} // namespace platform::headless
