// A text view on the headless backend with the Z80 parser plugged into its parse hook, and the
// helpers the view tests read the screen with.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/textbuffer.h"
#include "platform/headless/cellgrid.h"
#include "platform/headless/headless.h"
#include "syntax/z80parser.h"
#include "view/textview.h"

namespace viewtest {

using platform::ColorRef;
using platform::Point;
using platform::Size;
using platform::headless::Cell;
using platform::headless::HeadlessSystem;
using platform::headless::HeadlessWindow;
using platform::headless::kCellHeight;
using platform::headless::kCellWidth;

inline constexpr int32_t kMargin = CTextView::kMarginPixels;

// Each logical colour gets a colour of its own, so a cell tells which one painted it.
inline ColorRef Distinct(int32_t index) {
    return 0x400000 + static_cast<ColorRef>(index);
}

class Z80View : public CTextView {
public:
    bool colorize = true;
    bool distinctColors = true;
    CTextBuffer* found = nullptr;
    int32_t stateOnlyCalls = 0;
    int32_t drawCalls = 0;
    int32_t spanCalls = 0;
    Z80LongLine longLine;
    std::vector<int32_t> stateOnlyLines;
    std::vector<uint32_t> commands;

    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                          int32_t& count) override {
        if (!colorize)
            return CTextView::ColorizeLine(state, line, blocks, count);
        if (blocks) {
            ++drawCalls;
        } else {
            ++stateOnlyCalls;
            stateOnlyLines.push_back(line);
        }
        return ColorizeZ80Line(state, GetLineText(line), TextLineLength(line), blocks, count);
    }
    void ColorizeLineSpan(uint32_t state, int32_t line, int32_t from, int32_t to, TextBlock* blocks,
                          int32_t& count) override {
        ++spanCalls;
        if (colorize)
            longLine.Colorize(state, line, GetLineText(line), TextLineLength(line), from, to,
                              blocks, count);
    }
    // As the application's view keeps its long line's parse points.
    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override {
        if (hints & HintReload) {
            longLine.LinesMoved(-1);
        } else if (!(hints & HintMarksOnly)) {
            if (adjuster)
                longLine.ChangedFrom(adjuster->start.y, adjuster->start.x);
            if (!(hints & HintOneLine))
                longLine.LinesMoved(adjuster ? adjuster->start.y : line);
        }
        CTextView::OnBufferChanged(source, adjuster, hints, line);
    }
    ColorRef ColorOf(int32_t index) override {
        return distinctColors ? Distinct(index) : CTextView::ColorOf(index);
    }
    CTextBuffer* FindTextBuffer() override { return found; }
    bool OnCommand(uint32_t id) override {
        commands.push_back(id);
        return true;
    }
    void ResetCounts() {
        stateOnlyCalls = 0;
        drawCalls = 0;
        stateOnlyLines.clear();
    }
    // Forgets every per-line cache, as a view that keeps nothing between changes would.
    void DropCaches() {
        parserStates.Clear();
        expandedLengths.Clear();
        widestLine = -1;
    }
    int32_t ParserValidEnd() const { return parserStates.ValidEnd(); }
    void SetFirstColumnForTest(int32_t column) { firstColumn = column; }
};

// Test texts use '\n' between lines; the buffer takes CR as the line break.
inline std::string Lines(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\n')
            c = '\r';
    return out;
}

inline void SetText(CTextBuffer& buffer, std::string_view text) {
    buffer.ResetToEmpty(LineEndDos);
    int endLine = 0;
    int endChar = 0;
    if (!text.empty())
        buffer.ApplyInsert(nullptr, 0, 0, Lines(text), endLine, endChar);
}

// A window of `columns` x `rows` text cells (plus the margin) showing a buffer.
class Harness {
public:
    Harness(std::string_view text, int32_t columns, int32_t rows) {
        SetText(buffer, text);
        auto made = std::make_unique<Z80View>();
        view = made.get();
        view->found = &buffer;
        window = std::make_unique<HeadlessWindow>(
            system, std::move(made), Size{kMargin + columns * kCellWidth, rows * kCellHeight});
        view->ConnectBuffer(&buffer);
    }
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    void Paint() {
        window->InvalidateRect(nullptr, false);
        window->Paint();
    }
    // The pixel in the middle of text cell (column, row) of the window.
    const Cell& At(int32_t column, int32_t row) const {
        return window->Screen().At(kMargin + column * kCellWidth + kCellWidth / 2,
                                   row * kCellHeight + kCellHeight / 2);
    }
    const Cell& MarginAt(int32_t row) const {
        return window->Screen().At(kMargin / 2, row * kCellHeight + kCellHeight / 2);
    }
    // The characters of a row of text cells; cells without a glyph read as '_'.
    std::string Row(int32_t row, int32_t columns) const {
        return window->Screen().Text(kMargin + kCellWidth / 2, row * kCellHeight + kCellHeight / 2,
                                     columns, '_');
    }
    void Insert(int line, int ch, std::string_view text) {
        int endLine = 0;
        int endChar = 0;
        ASSERT_TRUE(buffer.ApplyInsert(nullptr, line, ch, Lines(text), endLine, endChar));
    }
    void Delete(int startLine, int startChar, int endLine, int endChar) {
        ASSERT_TRUE(buffer.ApplyDelete(nullptr, startLine, startChar, endLine, endChar));
    }
    platform::headless::HeadlessScrollBar& Bar(int32_t which) {
        return window->OwnScrollBar(which);
    }

    HeadlessSystem system;
    CTextBuffer buffer;
    Z80View* view = nullptr;
    std::unique_ptr<HeadlessWindow> window;
};

} // namespace viewtest
