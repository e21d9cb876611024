// Printing: the printer font, the pagination, one page with its header and footer, and the page
// margins kept in the settings. The framework's job loop (platform/print.h) calls these.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/appprofile.h"
#include "view/textview.h"

using platform::PrintInfo;
using platform::Rect;
using platform::Surface;

namespace view {

constexpr int32_t kScreenDpi = 96;
// Pagination reports its progress after this many lines.
constexpr int32_t kProgressLines = 1024;

namespace {

constexpr const char* kPageSetup = "PageSetup";
constexpr int32_t kDefaultMargin = 1000;

} // namespace

platform::PageMargins ReadPageMargins(const platform::Profile* profile) {
    platform::PageMargins m;
    if (!profile)
        return m;
    const auto read = [profile](const char* name) {
        return std::max(0, profile->GetProfileInt(kPageSetup, name, kDefaultMargin));
    };
    m.left = read("LeftMargin");
    m.right = read("RightMargin");
    m.top = read("TopMargin");
    m.bottom = read("BottomMargin");
    return m;
}

void WritePageMargins(platform::Profile& profile, const platform::PageMargins& margins) {
    profile.WriteProfileInt(kPageSetup, "LeftMargin", margins.left);
    profile.WriteProfileInt(kPageSetup, "RightMargin", margins.right);
    profile.WriteProfileInt(kPageSetup, "TopMargin", margins.top);
    profile.WriteProfileInt(kPageSetup, "BottomMargin", margins.bottom);
}

} // namespace view

// ---- The job

bool CTextView::OnPreparePrinting(PrintInfo& info) {
    return platform::DoPreparePrinting(info);
}

void CTextView::OnBeginPrinting(Surface& dc, PrintInfo& /*info*/) {
    // The normal screen font, at half its physical size on paper.
    platform::LogFont font = baseFont;
    font.lfWeight = platform::FW_NORMAL;
    font.lfItalic = 0;
    if (font.lfHeight == 0)
        font.lfHeight = GetRowHeight(); // the backend's default size, as the screen shows it
    int32_t screenX = view::kScreenDpi;
    int32_t screenY = view::kScreenDpi;
    if (std::unique_ptr<Surface> screen = GetDC()) {
        screenX = screen->GetDeviceCaps(platform::LOGPIXELSX);
        screenY = screen->GetDeviceCaps(platform::LOGPIXELSY);
    }
    if (screenX <= 0 || screenY <= 0)
        screenX = screenY = view::kScreenDpi;
    const int32_t printerX = dc.GetDeviceCaps(platform::LOGPIXELSX);
    const int32_t printerY = dc.GetDeviceCaps(platform::LOGPIXELSY);
    font.lfHeight = platform::MulDiv(font.lfHeight, printerY, 2 * screenY);
    font.lfWidth = platform::MulDiv(font.lfWidth, printerX, 2 * screenX);
    // A font that cannot be made leaves the printer's default font in use.
    print.printFont = CreateFontIndirect(font);
    if (print.printFont)
        print.replacedFont = dc.SelectFont(print.printFont.get());
    dc.SetTextColor(0x000000);
    dc.SetBkMode(platform::TRANSPARENT);
}

void CTextView::OnPrepareDC(Surface& /*dc*/, PrintInfo* info) {
    if (!info)
        return;
    info->continuePrinting =
        !print.printPageStarts || info->currentPage <= static_cast<uint32_t>(print.printPageCount);
}

void CTextView::OnEndPrinting(Surface& dc, PrintInfo& /*info*/) {
    if (print.printFont)
        dc.SelectFont(print.replacedFont);
    print.printFont.reset();
    print.replacedFont = nullptr;
    print.printPageStarts.reset();
    print.printPageCount = 0;
    print.printLineHeight = 0;
}

// ---- Pagination

int32_t CTextView::MeasurePrintLine(Surface& dc, int32_t line) {
    const int32_t length = TextLineLength(line);
    const char* chars = GetLineText(line);
    if (length <= 0 || !chars)
        return print.printLineHeight;
    const Rect& area = print.printTextArea;
    // Most lines are shorter than the width even in the widest character: they take one row
    // without being measured. (A CR or LF inside a line breaks its printed row.)
    const auto bytes = static_cast<size_t>(length);
    if (!std::memchr(chars, '\r', bytes) && !std::memchr(chars, '\n', bytes) &&
        int64_t{GetExpandedLineLength(line)} * print.widestAdvance <= area.Width())
        return print.printLineHeight;
    ExpandTabs(chars, 0, length, print.text);
    Rect measured{area.left, 0, area.right, 0};
    return dc.DrawText(print.text, measured,
                       platform::DT_CALCRECT | platform::DT_WORDBREAK | platform::DT_NOPREFIX);
}

void CTextView::ComputePrintPages(Surface& dc, PrintInfo& info) {
    const Rect& draw = info.drawRect;
    print.printArea = {std::min(draw.left, draw.right), std::min(draw.top, draw.bottom),
                       std::max(draw.left, draw.right), std::max(draw.top, draw.bottom)};
    const int32_t h = std::max(1, dc.GetTextExtent("X").cy);
    print.printLineHeight = h;

    const platform::PageMargins margins = view::ReadPageMargins(platform::AppProfile());
    const int32_t dpiX = dc.GetDeviceCaps(platform::LOGPIXELSX);
    const int32_t dpiY = dc.GetDeviceCaps(platform::LOGPIXELSY);
    Rect area = print.printArea;
    area.left += platform::HimetricToDevice(margins.left, dpiX);
    area.top += platform::HimetricToDevice(margins.top, dpiY);
    area.right -= platform::HimetricToDevice(margins.right, dpiX);
    area.bottom -= platform::HimetricToDevice(margins.bottom, dpiY);
    if (print.printHeaderEnabled)
        area.top += h + h / 2;
    if (print.printFooterEnabled)
        area.bottom -= h + h / 2;

    dc.GetCharWidth(0, 255, print.widths.data());
    print.widestAdvance = std::max(1, *std::max_element(print.widths.begin(), print.widths.end()));
    // Margins that leave no room for a character or a row would print off the sheet: they are
    // dropped. A page smaller than that still gets one character on one row.
    if (area.Width() < print.widestAdvance) {
        area.left = print.printArea.left;
        area.right = std::max(print.printArea.right, area.left + print.widestAdvance);
    }
    if (area.Height() < h) {
        area.top = print.printArea.top + (print.printHeaderEnabled ? h + h / 2 : 0);
        area.bottom = print.printArea.bottom - (print.printFooterEnabled ? h + h / 2 : 0);
        area.bottom = std::max(area.bottom, area.top + h);
    }
    print.printTextArea = area;

    std::vector<view::PrintPageStart>& starts = print.printPageStarts.emplace();
    starts.reserve(32);
    starts.push_back({0, 0});
    print.printPageCount = 1;
    const int32_t rowsPerPage = std::max(1, area.Height() / h);
    const int32_t lineCount = TextLineCount();
    int64_t y = area.top;
    bool pageUsed = false;
    for (int32_t line = 0; line < lineCount; ++line) {
        if (line % view::kProgressLines == 0 && line > 0 &&
            !info.ReportProgress(platform::PrintStage::Paginating, line, lineCount)) {
            info.continuePrinting = false;
            return;
        }
        const int32_t height = MeasurePrintLine(dc, line);
        if (pageUsed && y + height > area.bottom) {
            starts.push_back({line, 0});
            ++print.printPageCount;
            y = area.top;
        }
        pageUsed = true;
        if (height <= area.Height()) {
            y += height;
            continue;
        }
        // Taller than a page: the line goes on over as many pages as its rows need.
        const int32_t rows = height / h;
        int32_t row = rowsPerPage;
        for (; row < rows; row += rowsPerPage) {
            starts.push_back({line, row});
            ++print.printPageCount;
        }
        y = area.top + int64_t{rows - (row - rowsPerPage)} * h;
    }
    info.ReportProgress(platform::PrintStage::Paginating, lineCount, lineCount);
}

// ---- One page

void CTextView::OnPrint(Surface& dc, PrintInfo& info) {
    if (!print.printPageStarts) {
        ComputePrintPages(dc, info);
        if (info.Cancelled())
            return;
    }
    const uint32_t page = info.currentPage;
    if (page < 1 || page > static_cast<uint32_t>(print.printPageCount)) {
        info.continuePrinting = false; // nothing to print there
        return;
    }
    const std::vector<view::PrintPageStart>& starts = *print.printPageStarts;
    const view::PrintPageStart first = starts[page - 1];
    const int32_t lineCount = TextLineCount();
    const view::PrintPageStart end =
        page < starts.size() ? starts[page] : view::PrintPageStart{lineCount, 0};
    const auto p = static_cast<int32_t>(page);
    if (print.printHeaderEnabled)
        DrawPageHeader(dc, p);
    if (print.printFooterEnabled)
        DrawPageFooter(dc, p);

    int64_t y = print.printTextArea.top;
    for (int32_t line = first.line; line < lineCount; ++line) {
        if (line > end.line || (line == end.line && end.row == 0))
            break;
        const int32_t fromRow = line == first.line ? first.row : 0;
        const int32_t toRow = line == end.line ? end.row : -1;
        y = PrintLineRows(dc, line, fromRow, toRow, y);
    }
}

int64_t CTextView::PrintLineRows(Surface& dc, int32_t line, int32_t fromRow, int32_t toRow,
                                 int64_t y) {
    const int32_t length = TextLineLength(line);
    const char* chars = GetLineText(line);
    if (length <= 0 || !chars)
        return y + print.printLineHeight;
    const Rect& area = print.printTextArea;
    ExpandTabs(chars, 0, length, print.text);
    if (fromRow == 0 && toRow == -1) {
        Rect rect{area.left, static_cast<int32_t>(y), area.right, area.bottom};
        return y + dc.DrawText(print.text, rect, platform::DT_WORDBREAK | platform::DT_NOPREFIX);
    }
    // A slice of a line taller than a page: the rows DrawText would give, from `fromRow` on.
    platform::WrapText(print.text, area.Width(), print.widths, true, true, print.rows);
    const auto last =
        toRow < 0 ? print.rows.size() : std::min(print.rows.size(), static_cast<size_t>(toRow));
    for (size_t r = static_cast<size_t>(fromRow); r < last; ++r) {
        const platform::TextRow& row = print.rows[r];
        if (row.end > row.begin)
            dc.ExtTextOut(area.left, static_cast<int32_t>(y), platform::ETO_CLIPPED, &area,
                          std::string_view(print.text)
                              .substr(static_cast<size_t>(row.begin),
                                      static_cast<size_t>(row.end - row.begin)),
                          nullptr);
        y += print.printLineHeight;
    }
    return y;
}

// ---- Header and footer

void CTextView::DrawPageHeader(Surface& dc, int32_t page) {
    const int32_t h = print.printLineHeight;
    const Rect& area = print.printTextArea;
    Rect band{area.left, area.top - (h + h / 2), area.right, area.top};
    std::string text;
    PageHeaderText(page, text);
    if (!text.empty())
        dc.DrawText(text, band,
                    platform::DT_SINGLELINE | platform::DT_CENTER | platform::DT_NOPREFIX);
}

void CTextView::DrawPageFooter(Surface& dc, int32_t page) {
    const int32_t h = print.printLineHeight;
    const Rect& area = print.printTextArea;
    Rect band{area.left, area.bottom, area.right, area.bottom + h + h / 2};
    std::string text;
    PageFooterText(page, text);
    if (!text.empty())
        dc.DrawText(text, band,
                    platform::DT_SINGLELINE | platform::DT_CENTER | platform::DT_BOTTOM |
                        platform::DT_NOPREFIX);
}

void CTextView::PageHeaderText(int32_t /*page*/, std::string& text) {
    text.clear();
}

void CTextView::PageFooterText(int32_t page, std::string& text) {
    char formatted[48];
    std::snprintf(formatted, sizeof formatted, "Page %d/%d", page, print.printPageCount);
    text = formatted;
}
