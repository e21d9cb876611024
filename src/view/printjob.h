// The state of one print or preview job of a text view, and the page margins it prints within.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/font.h"
#include "platform/geometry.h"
#include "platform/print.h"
#include "platform/profile.h"
#include "platform/textlayout.h"

namespace view {

// Where a page starts: a line, and the printed row of that line. The row is 0 except on the pages
// that continue a line taller than a page.
struct PrintPageStart {
    int32_t line = 0;
    int32_t row = 0;

    friend bool operator==(const PrintPageStart&, const PrintPageStart&) = default;
};

// The margins stored under "PageSetup" ("LeftMargin", "RightMargin", "TopMargin",
// "BottomMargin", hundredths of a millimetre, 1000 each when missing). Without a store: the
// defaults. A stored value below 0 reads as 0.
platform::PageMargins ReadPageMargins(const platform::Profile* profile);
void WritePageMargins(platform::Profile& profile, const platform::PageMargins& margins);

// A text view's printing state. Everything but the two band switches lives from the job's first
// page (or OnBeginPrinting, for the font) to OnEndPrinting.
struct PrintJob {
    // Entry k: where page k + 1 starts; entry 0 is always the start of line 0. Absent outside a
    // job until the first page is printed.
    std::optional<std::vector<PrintPageStart>> printPageStarts;
    int32_t printPageCount = 0;
    // The screen font scaled for the printer; none when it could not be made (the printer's
    // default font prints then).
    std::unique_ptr<platform::Font> printFont;
    // Height of "X" in the printer font, in device units: an empty line's height and the unit of
    // the header and footer bands.
    int32_t printLineHeight = 0;
    platform::Rect printArea;     // the page's drawing rectangle
    platform::Rect printTextArea; // less the margins and the bands: where lines print
    bool printHeaderEnabled = false;
    bool printFooterEnabled = true;

    // The font that was selected before printFont, put back before printFont goes.
    platform::Font* replacedFont = nullptr;
    // The advances of the printer font and the widest of them.
    platform::CharWidths widths{};
    int32_t widestAdvance = 1;
    // Scratch of the line being measured or printed.
    std::string text;
    std::vector<platform::TextRow> rows;
};

} // namespace view
