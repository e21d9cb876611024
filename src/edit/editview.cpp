// The edit view's state, reset and notifications, its command map, the status panes, Undo and
// Redo, and replacing the selection.
#include "edit/editview.h"

#include <array>
#include <string>

#include "edit/droptarget.h"
#include "edit/editcommandids.h"
#include "edit/editstrings.h"

namespace {

using Entry = CommandMapEntry<CTextEditView>;

constexpr std::array<Entry, 14> kEditCommands{{
    {edit::ID_EDIT_DELETE, [](CTextEditView& v) { v.OnEditDelete(); }, nullptr},
    {edit::ID_EDIT_DELETE_BACK, [](CTextEditView& v) { v.OnEditDeleteBack(); }, nullptr},
    {edit::ID_EDIT_TAB, [](CTextEditView& v) { v.OnEditTab(); }, nullptr},
    {edit::ID_EDIT_UNTAB, [](CTextEditView& v) { v.OnEditUntab(); }, nullptr},
    {edit::ID_EDIT_SWITCH_OVRMODE, [](CTextEditView& v) { v.OnEditSwitchOvrmode(); },
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateEditSwitchOvrmode(ui); }},
    {edit::ID_INDICATOR_OVR, nullptr,
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateIndicatorOvr(ui); }},
    {edit::ID_EDIT_INDICATOR_READ, nullptr,
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateIndicatorRead(ui); }},
    {edit::ID_EDIT_INDICATOR_BLANK, nullptr,
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateIndicatorBlank(ui); }},
    {edit::ID_EDIT_UNDO, [](CTextEditView& v) { v.OnEditUndo(); },
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateEditUndo(ui); }},
    {edit::ID_EDIT_REDO, [](CTextEditView& v) { v.OnEditRedo(); },
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateEditRedo(ui); }},
    {edit::ID_EDIT_PASTE, [](CTextEditView& v) { v.OnEditPaste(); },
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateEditPaste(ui); }},
    {edit::ID_EDIT_CUT, [](CTextEditView& v) { v.OnEditCut(); },
     [](CTextEditView& v, CmdUI& ui) { v.OnUpdateEditCut(ui); }},
    {edit::ID_EDIT_FIND, [](CTextEditView& v) { v.OnEditFind(); }, nullptr},
    {edit::ID_EDIT_REPLACE, [](CTextEditView& v) { v.OnEditReplace(); },
     [](CTextEditView& v, CmdUI& ui) { ui.Enable(v.IsEditable()); }},
}};

} // namespace

CTextEditView::CTextEditView() = default;

CTextEditView::~CTextEditView() = default;

bool CTextEditView::IsEditable() const {
    return buffer && !buffer->IsReadOnly();
}

void CTextEditView::ResetViewState() {
    autoIndent = true;
    overwriteMode = false;
    drop = {};
    CTextView::ResetViewState();
}

bool CTextEditView::OnCreate() {
    if (!CTextView::OnCreate())
        return false;
    dropTarget = std::make_unique<CEditDropTarget>(this);
    if (!RegisterDropTarget(dropTarget.get()))
        dropTarget.reset();
    return true;
}

void CTextEditView::OnDestroy() {
    if (dropTarget) {
        RevokeDropTarget();
        dropTarget.reset();
    }
    CTextView::OnDestroy();
}

// ---- Commands

bool CTextEditView::RouteCommand(uint32_t id) {
    return RunCommand<CTextEditView>(kEditCommands, *this, id) || CTextView::RouteCommand(id);
}

bool CTextEditView::RouteCommandUI(CmdUI& ui) {
    return UpdateCommand<CTextEditView>(kEditCommands, *this, ui) || CTextView::RouteCommandUI(ui);
}

// ---- Undo and redo. While the buffer is read-only both are unavailable: the buffer would keep
// its text, and the history must not move without it.

void CTextEditView::OnEditUndo() {
    if (!buffer || buffer->IsReadOnly() || !buffer->HasUndo())
        return;
    ReplayStep(true);
}

void CTextEditView::OnEditRedo() {
    if (!buffer || buffer->IsReadOnly() || !buffer->HasRedo())
        return;
    ReplayStep(false);
}

void CTextEditView::ReplayStep(bool undo) {
    // A step may change many lines (a block indent): the horizontal bar and the repaint band
    // are worked out once, after the whole step.
    HoldHorzScrollBar(true);
    TextPosition caret;
    const bool done = undo ? buffer->UndoLastStep(caret) : buffer->RedoNextStep(caret);
    HoldHorzScrollBar(false);
    if (!done)
        return;
    UpdateHorzScrollBar(false);
    CollapseCaretTo(caret);
}

void CTextEditView::OnUpdateEditUndo(CmdUI& ui) {
    const bool has = buffer && buffer->HasUndo();
    ui.Enable(has && !buffer->IsReadOnly());
    if (!ui.IsMenuItem())
        return;
    if (has) {
        std::string name;
        buffer->UndoActionName(name);
        ui.SetText(edit::FormatString(edit::LoadEditString(edit::IDS_UNDO_NAMED), name));
    } else {
        ui.SetText(edit::LoadEditString(edit::IDS_UNDO_PLAIN));
    }
}

void CTextEditView::OnUpdateEditRedo(CmdUI& ui) {
    const bool has = buffer && buffer->HasRedo();
    ui.Enable(has && !buffer->IsReadOnly());
    if (!ui.IsMenuItem())
        return;
    if (has) {
        std::string name;
        buffer->RedoActionName(name);
        ui.SetText(edit::FormatString(edit::LoadEditString(edit::IDS_REDO_NAMED), name));
    } else {
        ui.SetText(edit::LoadEditString(edit::IDS_REDO_PLAIN));
    }
}

// ---- Selection operations

TextPosition CTextEditView::InsertText(TextPosition position, std::string_view text,
                                       EditAction action) {
    int endLine = position.y;
    int endChar = position.x;
    if (!buffer ||
        !buffer->InsertRecorded(this, position.y, position.x, text, endLine, endChar, action))
        return position;
    return {endChar, endLine};
}

bool CTextEditView::DeleteSelection() {
    TextPosition start;
    TextPosition end;
    GetSelectedRange(start, end);
    if (start == end || !buffer)
        return false;
    CollapseCaretTo(start);
    return buffer->DeleteRecorded(this, start.y, start.x, end.y, end.x, ActionDeleteSelection);
}
