// CTextView: the read-only view of one text buffer in a grid of fixed-pitch cells with a
// selection margin on the left. It lays out tabs and columns, colours lines through a per-line
// parse hook with a cache of parser states, paints through a one-line off-screen bitmap, keeps the
// scroll bars, caret and selection in step with the text, and follows the panes of a splitter.
//
// The state lives here; the implementation is split by concern:
//   textview.cpp           construction, reset, line accessors, fonts, colours, resources
//   textview_geometry.cpp  cell metrics, tab expansion, column and pixel conversions
//   textview_render.cpp    parser states, line drawing, margin icons, painting
//   textview_scroll.cpp    scroll bars, scrolling, splitter panes, size
//   textview_caret.cpp     caret, focus, selection, cursor, keys
//   textview_notify.cpp    attaching to a buffer and its change notifications
//   textview_move.cpp      the movement keys and the one-line and one-column scrolls
//   textview_mouse.cpp     selecting with the mouse, auto-scroll, the right button
//   textview_clipboard.cpp the clipboard, Copy and Select All, dragging text out
//   textview_commands.cpp  the command map and command routing
//   textview_bookmarks.cpp numbered and plain bookmarks
//   textview_print.cpp     printing: printer font, pagination, pages, header and footer
//   textview_search.cpp    the search routines, Find Next and Find Previous
//
// Without an attached buffer the view shows an empty text of one line.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "buffer/bufferview.h"
#include "buffer/textbuffer.h"
#include "buffer/types.h"
#include "platform/dialog.h"
#include "platform/print.h"
#include "platform/wnd.h"
#include "syntax/colorindex.h"
#include "view/cmdui.h"
#include "view/expandedlengths.h"
#include "view/linecolumns.h"
#include "view/parserstates.h"
#include "view/printjob.h"
#include "view/textsearch.h"
#include "view/viewresources.h"

// A selection made with the left mouse button: it runs from the button going down (or a double
// click) to the button going up, with the mouse captured and the auto-scroll timer running.
struct MouseSelection {
    bool mouseSelecting = false;
    // The selection grows by whole words (Ctrl+click, double click).
    bool wordSelecting = false;
    // The selection grows by whole lines (it began in the selection margin).
    bool lineSelecting = false;
    // The id SetTimer answered for the auto-scroll timer; 0 when it is not running.
    uint32_t autoScrollTimer = 0;
};

// Text dragged out of the view.
struct TextDrag {
    // The button went down inside the selection; the next mouse move starts a drag.
    bool dragPending = false;
    // A drag of this view's text is running: this view is the source of the current drag.
    bool draggingText = false;
    // The dragged range, ordered; it moves with the text while the drag runs.
    TextPosition draggedFrom;
    TextPosition draggedTo;
};

// Options of a search: bits of a 32-bit value.
enum FindFlags : uint32_t {
    FindMatchCase = 0x01,
    FindWholeWord = 0x02,
    FindDirectionUp = 0x10,
};

class CTextView : public platform::Wnd, public CBufferView, public platform::PrintableView {
public:
    // Width of the selection margin in pixels.
    static constexpr int32_t kMarginPixels = 20;
    // The timer that scrolls while the mouse selects outside the text area.
    static constexpr uint32_t AutoScrollTimerId = 1001;
    static constexpr uint32_t kAutoScrollPeriodMs = 100;
    // Lines up to this length are coloured whole through ColorizeLine when drawn; longer ones
    // only where the window shows them, through ColorizeLineSpan, so that drawing a line costs
    // memory for the visible columns rather than for its length.
    static constexpr int32_t kWholeLineColoring = 65536;
    // Icons of the margin: the icon of a line is that of the first entry whose flag it carries.
    static constexpr std::array<LineFlags, 15> kMarginIconFlags{
        MarginMarkA,       MarginMarkB,       MarginMarkC,       NumberedBookmark1,
        NumberedBookmark2, NumberedBookmark3, NumberedBookmark4, NumberedBookmark5,
        NumberedBookmark6, NumberedBookmark7, NumberedBookmark8, NumberedBookmark9,
        NumberedBookmark0, PlainBookmark,     MarginMarkD,
    };

    CTextView();
    ~CTextView() override;

    // ---- Window messages and framework operations.
    bool OnCreate() override;
    void OnInitialUpdate() override;
    void OnDestroy() override;
    void OnDraw(platform::Surface& dc) override;
    void OnSize(int32_t cx, int32_t cy) override;
    void OnSetFocus(platform::Wnd* oldWnd) override;
    void OnKillFocus(platform::Wnd* newWnd) override;
    void OnVScroll(uint32_t code, int32_t pos) override;
    void OnHScroll(uint32_t code, int32_t pos) override;
    bool OnSetCursor(uint32_t hitTest) override;
    // The mouse: selecting characters, words or lines with the left button, dragging the
    // selection out, auto-scrolling while the button is held outside the text area, and the
    // right button's caret before the context menu.
    void OnLButtonDown(uint32_t flags, platform::Point point) override;
    void OnLButtonUp(uint32_t flags, platform::Point point) override;
    void OnLButtonDblClk(uint32_t flags, platform::Point point) override;
    void OnMouseMove(uint32_t flags, platform::Point point) override;
    void OnRButtonDown(uint32_t flags, platform::Point point) override;
    void OnTimer(uint32_t id) override;
    // Keys of the view's accelerator table become commands before anything else sees them.
    bool PreTranslateKey(uint32_t vk, uint32_t modifiers) override;
    const platform::AccelTable* GetAcceleratorTable() const override { return accelerators; }
    platform::CodePage GetInputCodePage() const override;
    // The system colours changed: everything is painted again.
    void OnSysColorChange() override;
    // A command from the accelerator table: routed through the view's command map.
    bool OnCommand(uint32_t id) override;

    // ---- Printing, called by the framework's job loop (platform/print.h). A job prints every
    // line of the text in plain black, word-wrapped to the printable width with tabs expanded as
    // on screen, in a font half the physical size of the screen font, with the page footer
    // "Page n/count". A page never breaks inside a line, except inside a line taller than a
    // page, which starts a page of its own and goes on over the next pages.
    bool OnPreparePrinting(platform::PrintInfo& info) override;
    void OnBeginPrinting(platform::Surface& dc, platform::PrintInfo& info) override;
    void OnPrepareDC(platform::Surface& dc, platform::PrintInfo* info) override;
    void OnPrint(platform::Surface& dc, platform::PrintInfo& info) override;
    void OnEndPrinting(platform::Surface& dc, platform::PrintInfo& info) override;
    const view::PrintJob& GetPrintJob() const { return print; }

    // ---- Commands. RouteCommand runs the handler of `id`, RouteCommandUI fills `ui` from the
    // update handler of ui.id; both return false when this view has no entry for the id (the
    // router then goes on to the document and the frames). A derived view serves its own map
    // first and then this one.
    virtual bool RouteCommand(uint32_t id);
    virtual bool RouteCommandUI(CmdUI& ui);

    // ---- The view's own virtual operations, in slot order.
    virtual void ResetViewState();
    virtual void DrawPageHeader(platform::Surface& dc, int32_t page);
    virtual void DrawPageFooter(platform::Surface& dc, int32_t page);
    virtual void PageHeaderText(int32_t page, std::string& text);
    virtual void PageFooterText(int32_t page, std::string& text);
    // `horz` true: the panes of this pane's splitter row follow its top line; false: the panes
    // of its column follow its first column.
    virtual void SyncSiblingScroll(bool horz);
    virtual void FollowSiblingScroll(CTextView* source, bool horz);
    virtual int32_t TextLineCount() const;
    virtual int32_t TextLineLength(int32_t line) const;
    virtual int32_t GetExpandedLineLength(int32_t line);
    // The line's characters, not terminated; null without a buffer.
    virtual const char* GetLineText(int32_t line) const;
    virtual LineFlags TextLineFlags(int32_t line) const;
    // The text between two positions, lines joined by CR LF.
    virtual void GetTextRange(TextPosition start, TextPosition end, std::string& text) const;
    // The clipboard: text as bytes of the view's code page with CR LF between lines, NUL bytes
    // and all. Putting an empty text fails and leaves the clipboard alone; getting gives the
    // whole text.
    virtual bool ClipboardHasText();
    virtual bool PutTextOnClipboard(std::string text);
    virtual bool GetTextFromClipboard(std::string& text);
    // The selected text for a drag out, recording the dragged range; none for an empty
    // selection or when the text cannot be had.
    virtual std::optional<std::string> BuildDragData();
    // Drop effects offered when this view's text is dragged out (DropEffect bits).
    virtual uint32_t GetDragEffects();
    // A drag out ended with `effect` (not DROPEFFECT_NONE).
    virtual void OnDragSourceDone(uint32_t effect);
    virtual platform::ColorRef ColorOf(int32_t index);
    // Colours a whole line from its flags; CLR_NONE leaves the normal colour.
    virtual void GetLineHighlightColors(int32_t line, platform::ColorRef& background,
                                        platform::ColorRef& text, bool& drawWhitespace);
    virtual bool IsColorItalic(int32_t index);
    virtual bool IsColorBold(int32_t index);
    // `line` -1 paints a row below the text.
    virtual void DrawTextLine(platform::Surface& dc, const platform::Rect& rect, int32_t line);
    virtual void DrawMarginCell(platform::Surface& dc, const platform::Rect& rect, int32_t line);
    // The parse hook. `state` is the parser state at the start of `line`; with `blocks` the
    // parser appends the line's coloured runs at blocks[count] (count grows with each; the room
    // is three blocks per character of the line); without, only the state is wanted. Returns
    // the state at the end of the line, never 0xFFFFFFFF. The base view colours nothing.
    virtual uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks, int32_t& count);
    // The parse hook for drawing a line longer than kWholeLineColoring characters, of which only
    // what the window shows is coloured: appends at blocks[count] the blocks that colour the
    // characters [from, to) of `line` (room for 3 * (to - from) + 8), the first starting at
    // `from`; `state` is the state at the start of the line. The base view colours nothing.
    virtual void ColorizeLineSpan(uint32_t state, int32_t line, int32_t from, int32_t to,
                                  TextBlock* blocks, int32_t& count);
    virtual const view::ResourceModule& GetResourceModule();
    virtual CTextBuffer* FindTextBuffer();
    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override;
    // The changed lines' caches are brought up to date one by one; positions, the repaint, the
    // caret and the horizontal bar once for the whole batch.
    void OnBufferBatchChanged(CBufferView* source, const BatchChange& change) override;
    void AfterEditAction(EditAction action, std::string_view text) override;

    // ---- Resources. The module an application sets serves every view; none: the built-in one.
    static void SetResourceModule(const view::ResourceModule* module);

    // ---- Fonts and cell metrics.
    int32_t GetRowHeight();
    int32_t GetCellWidth();
    void MeasureCharCell();
    int32_t GetTabWidth() const { return tabWidth; }
    int32_t GetMarginPixels() const { return kMarginPixels; }
    int32_t GetVisibleRowCount();
    int32_t GetVisibleColumnCount();
    int32_t GetWidestLineColumns();
    // One of the four fonts made from the base font; the window's font when it cannot be made.
    platform::Font* GetStyledFont(bool italic, bool bold);
    const platform::LogFont& GetBaseFont() const { return baseFont; }
    void SetBaseFont(const platform::LogFont& font);

    // ---- Columns and pixels.
    int32_t CharIndexToColumn(int32_t line, int32_t charIndex);
    int32_t ColumnToCharIndex(int32_t line, int32_t column);
    // The character whose cell covers `column` (tabs::ColumnToCoveringIndex), and with
    // `startColumn` the column where it starts. A line longer than kWholeLineColoring is walked
    // from the nearest of its column checkpoints.
    int32_t ColumnToCoveringIndex(int32_t line, int64_t column, int64_t* startColumn);
    void ExpandTabs(const char* chars, int32_t offset, int32_t count, std::string& out);
    TextPosition PointToTextPosition(platform::Point point);
    platform::Point TextPositionToPoint(TextPosition position);

    // ---- Colouring.
    uint32_t GetParserStateAfter(int32_t line);

    // ---- Buffer.
    // Attaches to `textBuffer`, or to FindTextBuffer() when none is given.
    void ConnectBuffer(CTextBuffer* textBuffer);
    void DisconnectBuffer();
    CTextBuffer* GetBuffer() const { return buffer; }

    // ---- Scrolling.
    int32_t GetTopLine() const { return topLine; }
    int32_t GetFirstColumn() const { return firstColumn; }
    void ScrollToTopLine(int32_t top, bool track);
    void ScrollToColumn(int32_t offset, bool track);
    void UpdateVertScrollBar(bool positionOnly);
    void UpdateHorzScrollBar(bool positionOnly);
    void ScrollIntoView(TextPosition position);
    // The text view in a pane of this view's splitter; null outside a splitter, for this pane
    // or for a pane of another kind.
    CTextView* GetSplitterPane(int32_t row, int32_t column) const;
    // While set, changes of line lengths do not recompute the horizontal bar, and the lines that
    // changes invalidate are gathered into one band, invalidated when the hold is released.
    void HoldHorzScrollBar(bool hold);

    // ---- Caret and selection.
    void PlaceCaret();
    void InvalidateLineBand(int32_t first, int32_t last);
    void SelectRange(TextPosition start, TextPosition end);
    void GetSelectedRange(TextPosition& start, TextPosition& end);
    void OrderSelection();
    bool IsInSelection(TextPosition position) const;
    bool PositionInSelection(TextPosition position);
    bool HasSelection() const { return selectionFirst != selectionSecond; }
    void MoveCaretTo(TextPosition position);
    TextPosition GetCaretPos() const { return caretPos; }
    void SetSelectionAnchor(TextPosition position) { anchor = position; }
    void DisableCaret();
    void EnableCaret();
    // Places the caret at `position` with an empty selection and the anchor there, the
    // remembered column taken from it, scrolled into view.
    void CollapseCaretTo(TextPosition position);
    bool KeepsSelectionVisible() const { return keepSelectionVisible; }
    // While set the selection is drawn also without the focus (while a dialog runs over the view).
    void SetKeepSelectionVisible(bool keep);

    // ---- Mouse selection, clipboard and drag source.
    // Ctrl+A: selects from the start of the text to the end of its last line, caret at the end;
    // the anchor stays and the view does not scroll.
    void SelectWholeText();
    // Ctrl+C: the selection's text to the clipboard; nothing for an empty selection.
    void CopySelection();
    void OnUpdateEditCopy(CmdUI& ui) { ui.Enable(HasSelection()); }
    // A client point as the mouse handlers read it: half a cell to the right, so that a click on
    // the right half of a character lands after it.
    platform::Point NudgeToNearestChar(platform::Point point);
    // The ends of the word around a position (IsWordChar): the position moved left while the
    // character before it is a word character, and right while the one at it is.
    TextPosition WordStartBefore(TextPosition position);
    TextPosition WordEndAfter(TextPosition position);
    const MouseSelection& GetMouseSelection() const { return mouse; }
    const TextDrag& GetTextDrag() const { return drag; }
    // Starts dragging the selection out, as the mouse does: returns when the drag is over.
    void DragOut();

    // ---- Movement. `extend` false moves the caret and collapses the selection onto it; true
    // selects from the anchor to the new caret. None of them changes the text.
    void CaretLeft(bool extend);
    void CaretRight(bool extend);
    void CaretWordLeft(bool extend);
    void CaretWordRight(bool extend);
    void CaretLineUp(bool extend);
    void CaretLineDown(bool extend);
    void CaretPageUp(bool extend);
    void CaretPageDown(bool extend);
    void CaretLineHome(bool extend);
    void CaretLineEnd(bool extend);
    void CaretTextStart(bool extend);
    void CaretTextEnd(bool extend);
    // The one-line scrolls leave caret and selection alone, even off screen.
    void ScrollOneLineUp();
    void ScrollOneLineDown();
    // One column of horizontal scrolling, for the auto-scroll of a drag hovering at an edge.
    void ScrollOneCharLeft();
    void ScrollOneCharRight();
    // Character classes of the word movements, by byte value alone: ASCII letters, digits and
    // underscore are word characters; 0x09-0x0D and space are whitespace; the rest, all bytes
    // from 0x80 on included, are other characters.
    static bool IsWordChar(unsigned char c);
    static bool IsWhitespaceChar(unsigned char c);
    int32_t GetRememberedColumn() const { return rememberedColumn; }

    // ---- Search. Matches never span lines: a pattern is searched inside single lines, whose
    // bytes (NUL included) are compared as they are, or upper-cased through the view's code page
    // without FindMatchCase. Lines outside the text find nothing.
    //
    // The offset of the first occurrence of `pattern` in `text` that is acceptable (with
    // `wholeWord`: adjoined by no word character, the ends of `text` counting as none), or -1.
    // A rejected occurrence makes the search go on one byte after its start.
    static int32_t FindInString(std::string_view text, std::string_view pattern, bool wholeWord);
    // Searches from `start` (moved up to rangeStart when before it): downward up to a match that
    // starts before rangeEnd, or (FindDirectionUp) upward to line 0, taking in every line the
    // leftmost match at or after the examined column; with `wrap`, once more from rangeStart
    // (upward: from the start of the last line of the text). The part of a line before the
    // examined column is not looked at, not even for the whole-word test. An empty range finds
    // nothing. True with the position of the match's first character in `found`.
    bool FindTextInRange(std::string_view pattern, TextPosition start, TextPosition rangeStart,
                         TextPosition rangeEnd, uint32_t flags, bool wrap, TextPosition& found);
    // FindTextInRange over the whole text, from (0, 0) to the end of the last line.
    bool FindTextInWholeText(std::string_view pattern, TextPosition start, uint32_t flags,
                             bool wrap, TextPosition& found);
    // Selects the `length` characters at `position`, the caret and the anchor at their end,
    // scrolled into view; the remembered column stays. Returns true.
    bool SelectFoundText(TextPosition position, int32_t length);

    // The search that Find Next and Find Previous repeat: set by the Find command. Cleared when
    // the view is created, kept across resets.
    struct LastSearch {
        // Set when a Find dialog ended with a successful search.
        bool hasLastSearch = false;
        // The pattern last entered in the Find dialog.
        std::string lastFindWhat;
        // Its FindFlags.
        uint32_t lastSearchFlags = 0;
    };
    const LastSearch& GetLastSearch() const { return lastSearch; }
    void SetLastSearch(LastSearch search) { lastSearch = std::move(search); }

    // Find Next (F3): the last search again from the caret, wrapping once past the end; without
    // a match the message "Cannot find string" and nothing else changes. Nothing without a last
    // search. Find Previous (Shift+F3) does the same in the other direction.
    void OnEditRepeat();
    void OnEditFindPrevious();
    // Enabled exactly when there is a last search.
    void OnUpdateEditRepeat(CmdUI& ui);

    // ---- The application around the view: dialogs, message boxes, settings. None: the view
    // shows nothing and keeps no settings.
    void SetShellServices(platform::ShellServices* services) { shell = services; }
    platform::ShellServices* GetShellServices() const { return shell; }
    // A message box with only an OK button; `text` in the view's code page.
    void ShowMessage(std::string_view text);

    // ---- Bookmarks: line flags of the buffer, so every view of the text shows the same ones.
    // All of them do nothing without a buffer. Going to a bookmark puts the caret at the start
    // of its line with an empty selection, scrolled into view; a bookmark that is not set leaves
    // everything as it is.
    // Numbered bookmark n (0..9): on the caret line, taken from the line that carried it.
    void ToggleNumberedBookmark(int32_t n);
    void GoToNumberedBookmark(int32_t n);
    void ClearNumberedBookmarks();
    // The plain bookmarks, any number of lines; next and previous wrap around the text.
    void TogglePlainBookmark();
    void GoToNextPlainBookmark();
    void GoToPreviousPlainBookmark();
    void ClearPlainBookmarks();
    // Whether some line carried a plain bookmark after this view's last toggle or clear of
    // them; edits and other views do not change it.
    bool HasPlainBookmarks() const { return hasPlainBookmarks; }

protected:
    // Whether the selection is drawn: with the focus, or when asked to keep it visible.
    bool SelectionShown() const { return focused || keepSelectionVisible; }
    void DropFonts();
    // Runs of one line; `column` is the expanded column of the run's first character. Both
    // return the column after the run.
    int64_t DrawRunWithSelection(platform::Surface& dc, int64_t column, const platform::Rect& clip,
                                 const char* chars, int32_t offset, int32_t count,
                                 TextPosition position);
    int64_t DrawRun(platform::Surface& dc, int64_t column, const platform::Rect& clip,
                    const char* chars, int32_t offset, int32_t count);
    // The base rule for one line, from the line's characters.
    int32_t ComputeExpandedLength(int32_t line);
    // Keeps both per-line caches in step with a change of `line` and what follows it.
    void UpdateCachesForOneLine(int32_t line);
    void UpdateCachesForLines(int32_t start, const PositionAdjuster* adjuster);
    // Invalidates from `line` to the bottom of the window, or, while the horizontal bar is held,
    // remembers the band for the release.
    void InvalidateChangedLines(int32_t line);
    // The end of every caret movement: scroll the caret into view, place it, and select from the
    // anchor (moved to the caret unless extending). `remember` takes the remembered column from
    // the new caret; vertical moves keep it.
    void FinishCaretMove(bool extend, bool remember);
    // The caret moved vertically to `line`, at the remembered column.
    void MoveCaretToLine(int32_t line);
    // A page step, in lines: one page less one line of overlap, at least one line.
    int32_t PageStep();
    // The text position under a client point as the mouse handlers read it (nudged).
    TextPosition MousePosition(platform::Point point);
    // The ranges a mouse selection grows by: whole words or whole lines from the anchor to `p`.
    void WordExtendedRange(TextPosition p, TextPosition& start, TextPosition& end);
    void LineExtendedRange(TextPosition p, TextPosition& start, TextPosition& end);
    // The start of a mouse selection: the caret placed and shown, the selection set, the mouse
    // captured and the auto-scroll timer started; EndMouseSelection releases both.
    void BeginMouseSelection(TextPosition start, TextPosition end, bool words, bool lines);
    void EndMouseSelection();
    // The selection goes to the primary selection (a mouse selection, on systems that have one).
    void PublishSelection();
    // The printed height of a line: its rows times the font's height (an empty line: one row).
    int32_t MeasurePrintLine(platform::Surface& dc, int32_t line);
    // Lays the text out into pages: run once per job, by the first page printed. Stops early,
    // clearing info.continuePrinting, when the user cancels.
    void ComputePrintPages(platform::Surface& dc, platform::PrintInfo& info);
    // Prints rows [fromRow, toRow) of a line (toRow -1: all) at `y`; returns the y below them.
    int64_t PrintLineRows(platform::Surface& dc, int32_t line, int32_t fromRow, int32_t toRow,
                          int64_t y);
    // The bookmark commands' part of the command map.
    bool RouteBookmarkCommand(uint32_t id);
    bool RouteBookmarkCommandUI(CmdUI& ui);
    void GoToBookmarkedLine(int32_t line);

    // ---- State, in declaration order, grouped by meaning.
    bool caretHidden = false;
    std::unique_ptr<platform::Bitmap> lineBitmap;
    int32_t rowHeight = -1;
    int32_t cellWidth = -1;
    int32_t tabWidth = 4;
    int32_t visibleRows = -1;
    int32_t visibleColumns = -1;
    int32_t widestLine = -1;
    int32_t rememberedColumn = -1;
    bool focused = false;
    TextPosition anchor;
    platform::LogFont baseFont;
    std::array<std::unique_ptr<platform::Font>, 4> fontCache;
    ParserStateCache parserStates;
    ExpandedLengthCache expandedLengths;
    TextPosition selectionStart;
    TextPosition selectionEnd;
    TextPosition caretPos;
    TextPosition selectionFirst;
    TextPosition selectionSecond;
    bool hasPlainBookmarks = false;
    std::unique_ptr<platform::ImageList> marginIcons;
    CTextBuffer* buffer = nullptr;
    const platform::AccelTable* accelerators = nullptr;
    bool keepSelectionVisible = false;
    view::PrintJob print;
    int32_t topLine = 0;
    int32_t firstColumn = 0;
    MouseSelection mouse;
    TextDrag drag;
    bool holdHorzScrollBar = false;
    // The first line of the band that changes made invalid during the hold; -1 for none.
    int32_t heldBandFrom = -1;
    LastSearch lastSearch;
    platform::ShellServices* shell = nullptr;

private:
    // Reused by every drawn line, so that painting allocates only when a line longer than any
    // before it is drawn (at most kWholeLineColoring characters or a window's width of them).
    std::vector<TextBlock> blockScratch_;
    std::string runScratch_;
    // Prepared by every search, so that searching allocates nothing per line.
    view::LineSearcher searcher_;
    // Column checkpoints of the long line looked at last.
    LineColumnIndex columnIndex_;
};
