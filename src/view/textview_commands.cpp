// The text view's command map: the movement keys of its accelerator table, Copy and Select All,
// Find Next and Find Previous, the bookmarks.
#include <array>

#include "view/commandids.h"
#include "view/textview.h"

namespace {

using Entry = CommandMapEntry<CTextView>;

constexpr std::array<Entry, 30> kViewCommands{{
    {view::ID_CARET_LEFT, [](CTextView& v) { v.CaretLeft(false); }, nullptr},
    {view::ID_CARET_LEFT_EXTEND, [](CTextView& v) { v.CaretLeft(true); }, nullptr},
    {view::ID_CARET_RIGHT, [](CTextView& v) { v.CaretRight(false); }, nullptr},
    {view::ID_CARET_RIGHT_EXTEND, [](CTextView& v) { v.CaretRight(true); }, nullptr},
    {view::ID_CARET_WORD_LEFT, [](CTextView& v) { v.CaretWordLeft(false); }, nullptr},
    {view::ID_CARET_WORD_LEFT_EXTEND, [](CTextView& v) { v.CaretWordLeft(true); }, nullptr},
    {view::ID_CARET_WORD_RIGHT, [](CTextView& v) { v.CaretWordRight(false); }, nullptr},
    {view::ID_CARET_WORD_RIGHT_EXTEND, [](CTextView& v) { v.CaretWordRight(true); }, nullptr},
    {view::ID_CARET_LINE_UP, [](CTextView& v) { v.CaretLineUp(false); }, nullptr},
    {view::ID_CARET_LINE_UP_EXTEND, [](CTextView& v) { v.CaretLineUp(true); }, nullptr},
    {view::ID_CARET_LINE_DOWN, [](CTextView& v) { v.CaretLineDown(false); }, nullptr},
    {view::ID_CARET_LINE_DOWN_EXTEND, [](CTextView& v) { v.CaretLineDown(true); }, nullptr},
    {view::ID_SCROLL_LINE_UP, [](CTextView& v) { v.ScrollOneLineUp(); }, nullptr},
    {view::ID_SCROLL_LINE_DOWN, [](CTextView& v) { v.ScrollOneLineDown(); }, nullptr},
    {view::ID_CARET_PAGE_UP, [](CTextView& v) { v.CaretPageUp(false); }, nullptr},
    {view::ID_CARET_PAGE_UP_EXTEND, [](CTextView& v) { v.CaretPageUp(true); }, nullptr},
    {view::ID_CARET_PAGE_DOWN, [](CTextView& v) { v.CaretPageDown(false); }, nullptr},
    {view::ID_CARET_PAGE_DOWN_EXTEND, [](CTextView& v) { v.CaretPageDown(true); }, nullptr},
    {view::ID_CARET_LINE_END, [](CTextView& v) { v.CaretLineEnd(false); }, nullptr},
    {view::ID_CARET_LINE_END_EXTEND, [](CTextView& v) { v.CaretLineEnd(true); }, nullptr},
    {view::ID_CARET_LINE_HOME, [](CTextView& v) { v.CaretLineHome(false); }, nullptr},
    {view::ID_CARET_LINE_HOME_EXTEND, [](CTextView& v) { v.CaretLineHome(true); }, nullptr},
    {view::ID_CARET_TEXT_START, [](CTextView& v) { v.CaretTextStart(false); }, nullptr},
    {view::ID_CARET_TEXT_START_EXTEND, [](CTextView& v) { v.CaretTextStart(true); }, nullptr},
    {view::ID_CARET_TEXT_END, [](CTextView& v) { v.CaretTextEnd(false); }, nullptr},
    {view::ID_CARET_TEXT_END_EXTEND, [](CTextView& v) { v.CaretTextEnd(true); }, nullptr},
    {view::ID_EDIT_COPY, [](CTextView& v) { v.CopySelection(); },
     [](CTextView& v, CmdUI& ui) { v.OnUpdateEditCopy(ui); }},
    {view::ID_EDIT_SELECT_ALL, [](CTextView& v) { v.SelectWholeText(); },
     [](CTextView&, CmdUI& ui) { ui.Enable(true); }},
    {view::ID_EDIT_REPEAT, [](CTextView& v) { v.OnEditRepeat(); },
     [](CTextView& v, CmdUI& ui) { v.OnUpdateEditRepeat(ui); }},
    {view::ID_EDIT_FIND_PREVIOUS, [](CTextView& v) { v.OnEditFindPrevious(); },
     [](CTextView& v, CmdUI& ui) { v.OnUpdateEditRepeat(ui); }},
}};

} // namespace

bool CTextView::OnCommand(uint32_t id) {
    return RouteCommand(id);
}

bool CTextView::RouteCommand(uint32_t id) {
    return RunCommand<CTextView>(kViewCommands, *this, id) || RouteBookmarkCommand(id);
}

bool CTextView::RouteCommandUI(CmdUI& ui) {
    return UpdateCommand<CTextView>(kViewCommands, *this, ui) || RouteBookmarkCommandUI(ui);
}
