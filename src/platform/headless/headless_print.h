// The in-memory printer: a print dialog answered as a test scripts it, and pages recorded as the
// text runs drawn on them (with their place, font and clipping), so a test can read what a user
// would find on paper. Every font has 8 x 16 cells, as on the headless screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/font.h"
#include "platform/geometry.h"
#include "platform/headless/cellgrid.h"
#include "platform/print.h"
#include "platform/surface.h"

namespace platform::headless {

// One ExtTextOut on a page.
struct PrintedText {
    Point at;
    std::string text;
    LogFont font;         // of the font selected when it was drawn
    bool clipped = false; // drawn with ETO_CLIPPED to `clip`
    Rect clip;
    ColorRef color = 0;
};

struct PrintedPage {
    std::vector<PrintedText> texts;

    // The texts whose top is `y`, left to right, joined.
    std::string TextAt(int32_t y) const;
    // Every row of text from the top: one string per distinct y (texts on one row joined left
    // to right), as "y:text".
    std::vector<std::string> Rows() const;
};

// The printer's geometry, in its device units.
struct HeadlessPaper {
    int32_t dpiX = 192;
    int32_t dpiY = 192;
    Size size{1632, 2112};              // 8.5 x 11 inches at 192 dpi
    Rect printable{48, 48, 1584, 2064}; // a quarter inch lost at each edge

    DeviceCaps Caps() const {
        return {dpiX, dpiY, {printable.Width(), printable.Height()}, size, printable.TopLeft()};
    }
};

// The drawing context of the headless printer: records what is drawn into the current page.
class HeadlessPrintSurface final : public HeadlessSurfaceBase {
public:
    explicit HeadlessPrintSurface(const HeadlessPaper& paper) : paper_(paper) {}

    // Where drawing goes; null: nowhere (measuring only).
    void SetPage(PrintedPage* page) { page_ = page; }

    void FillSolidRect(const Rect& rect, ColorRef color) override;
    void ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect, std::string_view text,
                    const int32_t* dx) override;
    Font* SelectFont(Font* font) override;
    int32_t GetDeviceCaps(int32_t index) const override { return paper_.Caps().Get(index); }
    std::unique_ptr<Surface> CreateCompatibleDC() override { return nullptr; }
    std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t, int32_t) override { return nullptr; }
    Bitmap* SelectBitmap(Bitmap*) override { return nullptr; }
    bool BitBlt(int32_t, int32_t, int32_t, int32_t, Surface&, int32_t, int32_t) override {
        return false;
    }

    Font* SelectedFont() const { return font_; }

private:
    HeadlessPaper paper_;
    PrintedPage* page_ = nullptr;
    Font* font_ = nullptr; // null: the printer's default font
};

// A printer whose dialog, failures and Cancel button a test scripts.
class HeadlessPrintDevice final : public PrintDevice {
public:
    struct ProgressCall {
        PrintStage stage;
        int64_t done;
        int64_t total;
    };

    explicit HeadlessPrintDevice(HeadlessPaper paper = {}) : paper_(paper), surface_(paper) {}

    // --- The script.
    bool hasPrinter = true;      // false: no printer to print on
    bool dialogAccepts = true;   // the print dialog's answer
    uint32_t dialogFromPage = 1; // the pages chosen in it
    uint32_t dialogToPage = PrintInfo::kLastPage;
    bool openFails = false;   // BeginDocument cannot open the printer
    uint32_t failingPage = 0; // EndPage fails on this page (0: never)
    // Progress answers Cancel from this call on (0-based; -1: never).
    int64_t cancelAtProgressCall = -1;

    // --- What happened.
    int32_t dialogsShown = 0;
    std::vector<PrintedPage> pages;
    std::vector<ProgressCall> progress;
    bool documentOpen = false;
    bool documentEnded = false;
    bool documentAborted = false;
    std::string title;

    HeadlessPrintSurface& Surface() { return surface_; }
    const HeadlessPaper& Paper() const { return paper_; }

    bool PreparePrinting(PrintInfo& info) override;
    platform::Surface* BeginDocument(std::string_view docTitle) override;
    Rect PageRect() const override;
    bool StartPage() override;
    bool EndPage() override;
    bool EndDocument() override;
    void AbortDocument() override;
    bool Progress(PrintStage stage, int64_t done, int64_t total) override;
    std::string LastError() const override { return error_; }

private:
    HeadlessPaper paper_;
    HeadlessPrintSurface surface_;
    std::string error_;
};

} // namespace platform::headless
