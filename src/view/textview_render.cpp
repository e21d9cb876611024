// Painting: the parser-state cache, one row of text with its coloured runs and the selection,
// the margin with its icons, and the client area row by row through the line bitmap.
#include <algorithm>
#include <cstdint>

#include "view/tabexpand.h"
#include "view/textview.h"

using platform::CLR_NONE;
using platform::ColorRef;
using platform::Rect;
using platform::Surface;

// ---- Parser states

uint32_t CTextView::GetParserStateAfter(int32_t line) {
    if (!parserStates.Exists())
        parserStates.Create(TextLineCount());
    line = std::min(line, parserStates.Size() - 1);
    if (line < 0)
        return 0;
    while (parserStates.ValidEnd() <= line) {
        const int32_t i = parserStates.ValidEnd();
        const uint32_t start = i == 0 ? 0 : parserStates.Exact(i - 1);
        int32_t unused = 0;
        parserStates.Store(i, ColorizeLine(start, i, nullptr, unused));
    }
    return parserStates.Exact(line);
}

// ---- Whole-line colours

void CTextView::GetLineHighlightColors(int32_t line, ColorRef& background, ColorRef& text,
                                       bool& drawWhitespace) {
    const LineFlags flags = TextLineFlags(line);
    text = 0xFFFFFF;
    drawWhitespace = true;
    if (flags & MarginMarkA) {
        background = 0x008000;
    } else if (flags & MarginMarkB) {
        background = 0x0000FF;
    } else if (flags & MarginMarkD) {
        background = 0x008080;
    } else {
        background = CLR_NONE;
        text = CLR_NONE;
        drawWhitespace = false;
    }
}

// ---- One row of text

void CTextView::DrawTextLine(Surface& dc, const Rect& rect, int32_t line) {
    if (line == -1) {
        dc.FillSolidRect(rect, ColorOf(ColorWhitespace));
        return;
    }
    ColorRef background = CLR_NONE;
    ColorRef text = CLR_NONE;
    bool drawWhitespace = false;
    GetLineHighlightColors(line, background, text, drawWhitespace);
    if (background == CLR_NONE)
        background = ColorOf(ColorBackground);
    const ColorRef restColor = drawWhitespace ? background : ColorOf(ColorWhitespace);
    const int32_t cw = GetCellWidth();

    const int32_t length = TextLineLength(line);
    const char* chars = GetLineText(line);
    if (length <= 0 || !chars) {
        Rect rest = rect;
        if (SelectionShown() && IsInSelection({0, line})) {
            const Rect mark{rest.left, rest.top, rest.left + cw, rest.top + GetRowHeight()};
            dc.FillSolidRect(mark, ColorOf(ColorSelectionBackground));
            rest.left = mark.right;
        }
        dc.FillSolidRect(rest, restColor);
        return;
    }

    // The characters drawn, [drawFrom, drawTo), and the column where drawFrom starts. A line short
    // enough is coloured whole (which refreshes its own parser state as a side effect); of a
    // longer one only the characters the window shows are coloured and drawn.
    const int32_t tab = GetTabWidth();
    int32_t drawFrom = 0;
    int32_t drawTo = length;
    int64_t column = 0;
    const uint32_t state = GetParserStateAfter(line - 1);
    int32_t count = 0;
    size_t room = 0;
    if (length <= kWholeLineColoring) {
        // Room for three blocks per character, and a few more for a parser that adds one at the
        // line's end.
        room = 3 * static_cast<size_t>(length) + 8;
        if (blockScratch_.size() < room)
            blockScratch_.resize(room);
        parserStates.Store(line, ColorizeLine(state, line, blockScratch_.data(), count));
    } else {
        const int64_t columns = (rect.right - rect.left) / cw + 2;
        drawFrom = ColumnToCoveringIndex(line, firstColumn, &column);
        drawTo = std::min(length, ColumnToCoveringIndex(line, firstColumn + columns, nullptr) + 1);
        room = 3 * static_cast<size_t>(drawTo - drawFrom) + 8;
        if (blockScratch_.size() < room)
            blockScratch_.resize(room);
        if (drawFrom < drawTo)
            ColorizeLineSpan(state, line, drawFrom, drawTo, blockScratch_.data(), count);
    }
    count = std::clamp<int32_t>(count, 0, static_cast<int32_t>(room));

    dc.SetBkColor(background);
    if (text != CLR_NONE)
        dc.SetTextColor(text);

    // Runs are clamped to the characters drawn; a run that ends before it starts draws nothing.
    // `column` is the expanded column where the last drawn run ended.
    int32_t drawnTo = drawFrom;
    const auto drawRun = [&](int32_t from, int32_t to, int32_t colorIndex) {
        if (text == CLR_NONE)
            dc.SetTextColor(ColorOf(colorIndex));
        dc.SelectFont(GetStyledFont(IsColorItalic(colorIndex), IsColorBold(colorIndex)));
        from = std::clamp(from, drawFrom, drawTo);
        to = std::clamp(to, drawFrom, drawTo);
        if (to <= from)
            return;
        if (from != drawnTo)
            column = tabs::AdvanceColumn(chars, from, 0, tab);
        column = DrawRunWithSelection(dc, column, rect, chars, from, to - from, {from, line});
        drawnTo = to;
    };
    if (count == 0) {
        drawRun(drawFrom, drawTo, ColorNormalText);
    } else {
        drawRun(drawFrom, blockScratch_[0].startChar, ColorNormalText);
        for (int32_t i = 0; i + 1 < count; ++i) {
            const TextBlock& block = blockScratch_[static_cast<size_t>(i)];
            drawRun(block.startChar, blockScratch_[static_cast<size_t>(i) + 1].startChar,
                    block.colorIndex);
        }
        const TextBlock& last = blockScratch_[static_cast<size_t>(count) - 1];
        drawRun(last.startChar, drawTo, last.colorIndex);
    }
    if (drawnTo != length)
        column = drawTo == length ? tabs::AdvanceColumn(chars, length, 0, tab)
                                  : GetExpandedLineLength(line);

    // The rest of the row right of the line's end.
    const int64_t endX = rect.left + static_cast<int64_t>(cw) * (column - firstColumn);
    Rect rest = rect;
    rest.left = static_cast<int32_t>(std::clamp<int64_t>(endX, rect.left, rect.right));
    if (rest.IsEmpty())
        return;
    if (SelectionShown() && IsInSelection({length, line})) {
        const Rect mark{rest.left, rest.top, std::min(rest.left + cw, rest.right),
                        rest.top + GetRowHeight()};
        dc.FillSolidRect(mark, ColorOf(ColorSelectionBackground));
        rest.left = mark.right;
    }
    dc.FillSolidRect(rest, restColor);
}

int64_t CTextView::DrawRunWithSelection(Surface& dc, int64_t column, const Rect& clip,
                                        const char* chars, int32_t offset, int32_t count,
                                        TextPosition position) {
    if (count <= 0)
        return column;
    if (!SelectionShown())
        return DrawRun(dc, column, clip, chars, offset, count);
    const auto split = [&](TextPosition p) {
        if (p.y > position.y)
            return count;
        if (p.y < position.y)
            return 0;
        return std::clamp(p.x - position.x, 0, count);
    };
    const int32_t selBegin = split(selectionStart);
    const int32_t selEnd = std::max(split(selectionEnd), selBegin);
    column = DrawRun(dc, column, clip, chars, offset, selBegin);
    if (selBegin < selEnd) {
        const ColorRef oldBack = dc.SetBkColor(ColorOf(ColorSelectionBackground));
        const ColorRef oldText = dc.SetTextColor(ColorOf(ColorSelectedText));
        column = DrawRun(dc, column, clip, chars, offset + selBegin, selEnd - selBegin);
        dc.SetBkColor(oldBack);
        dc.SetTextColor(oldText);
    }
    return DrawRun(dc, column, clip, chars, offset + selEnd, count - selEnd);
}

// Column 0 of the line lies at clip.left - cellWidth * firstColumn. Only the columns that reach
// into the clip rectangle are expanded and sent to the device; the cells are filled with the
// current background colour.
int64_t CTextView::DrawRun(Surface& dc, int64_t column, const Rect& clip, const char* chars,
                           int32_t offset, int32_t count) {
    if (count <= 0)
        return column;
    const int32_t cw = GetCellWidth();
    const int64_t originX = clip.left + static_cast<int64_t>(cw) * (column - firstColumn);
    int64_t skip = 0;
    int64_t limit = 0;
    if (clip.right - originX > 0) {
        limit = (clip.right - originX) / cw + 1;
        if (originX < clip.left)
            skip = (clip.left - originX) / cw;
        limit -= skip;
    }
    runScratch_.clear();
    const int64_t width =
        tabs::ExpandRun(chars + offset, count, column, skip, limit, GetTabWidth(), runScratch_);
    if (!runScratch_.empty()) {
        const auto x = static_cast<int32_t>(originX + skip * cw);
        dc.ExtTextOut(x, clip.top, platform::ETO_CLIPPED, &clip, runScratch_, nullptr);
    }
    return column + width;
}

// ---- Margin

void CTextView::DrawMarginCell(Surface& dc, const Rect& rect, int32_t line) {
    dc.FillSolidRect(rect, ColorOf(ColorSelectionMargin));
    if (line < 0)
        return;
    const LineFlags flags = TextLineFlags(line);
    const auto it = std::find_if(kMarginIconFlags.begin(), kMarginIconFlags.end(),
                                 [flags](LineFlags flag) { return (flags & flag) != 0; });
    if (it == kMarginIconFlags.end())
        return;
    if (!marginIcons) {
        if (const platform::BitmapData* strip =
                GetResourceModule().FindBitmap(view::IDB_MARGIN_ICONS))
            marginIcons = CreateImageList(*strip, view::kMarginIconSize, view::kMarginIconMask);
    }
    if (marginIcons) {
        const auto icon = static_cast<int32_t>(it - kMarginIconFlags.begin());
        marginIcons->Draw(dc, icon,
                          {rect.left + 2, rect.top + (rect.Height() - view::kMarginIconSize) / 2});
    }
}

// ---- The client area

void CTextView::OnDraw(Surface& dc) {
    const Rect client = GetClientRect();
    const int32_t lineCount = TextLineCount();
    const int32_t rh = GetRowHeight();
    OrderSelection();

    std::unique_ptr<Surface> memory = dc.CreateCompatibleDC();
    if (!memory)
        return;
    const platform::Size bitmapSize{client.Width(), rh};
    if (lineBitmap && lineBitmap->GetSize() != bitmapSize)
        lineBitmap.reset();
    if (!lineBitmap)
        lineBitmap = dc.CreateCompatibleBitmap(bitmapSize.cx, bitmapSize.cy);
    platform::Bitmap* oldBitmap = memory->SelectBitmap(lineBitmap.get());
    platform::Font* oldFont = memory->SelectFont(nullptr);

    const Rect marginRect{0, 0, GetMarginPixels(), rh};
    const Rect textRect{GetMarginPixels(), 0, client.Width(), rh};
    // Rows outside the area this paint may change would be lost: they are not drawn.
    const Rect clip = dc.GetClipBox();
    int32_t line = topLine;
    for (int32_t y = client.top; y < client.bottom; y += rh) {
        const int32_t drawn = line >= 0 && line < lineCount ? line : -1;
        if (y + rh > clip.top && y < clip.bottom) {
            DrawMarginCell(*memory, marginRect, drawn);
            DrawTextLine(*memory, textRect, drawn);
            dc.BitBlt(client.left, y, client.Width(), rh, *memory, 0, 0);
        }
        if (line < lineCount)
            ++line;
    }

    memory->SelectFont(oldFont);
    memory->SelectBitmap(oldBitmap);
}
