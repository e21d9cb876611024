// CTextEditView: the text view made editable. It types characters (inserting or overwriting),
// breaks lines with auto-indent, deletes forwards and backwards, indents and unindents blocks,
// replaces the selection for the Replace dialog, and offers Undo and Redo with the names of the
// steps. Every change goes through the buffer's recorded insert and delete with an edit action,
// grouped into undo steps as each command states.
//
//   editview.cpp            state, reset, notifications, commands, status panes, undo and redo
//   editview_keys.cpp       typing, Enter and auto-indent, Delete, Backspace, Tab and Shift+Tab
//   editview_clipboard.cpp  Paste, Cut, the middle-click paste, dropping text, moves by drag
//   editview_search.cpp     Find and Replace, replacing the selection and many matches at once
//   droptarget.cpp          CEditDropTarget, through which drags reach the view
//
// A view without a buffer, or on a read-only buffer, changes nothing; only Enter in overwrite
// mode, which changes no text, still moves the caret.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "view/textview.h"

class CEditDropTarget;

// Text dragged over the view: the grey drop caret stands where it would land.
struct DropState {
    // The drop caret is shown in place of the normal one.
    bool dropIndicatorShown = false;
    // Where the normal caret stood when the drop caret appeared.
    TextPosition savedCaretPos;
    // The text position under the pointer.
    TextPosition dropPos;
};

class CTextEditView : public CTextView {
public:
    CTextEditView();
    ~CTextEditView() override;

    // ---- Window messages and the text view's operations.
    // Creation registers the drop target; without one the view takes no drops.
    bool OnCreate() override;
    void OnDestroy() override;
    // A typed character: a byte of the view's input code page, Enter as 13.
    void OnChar(uint32_t ch, uint32_t repeat) override;
    // The middle button pastes the primary selection where it was pressed, as one "Paste" step.
    void OnMButtonDown(uint32_t flags, platform::Point point) override;
    void ResetViewState() override;
    // Auto-indent: called when an undo group made by this view closes.
    void AfterEditAction(EditAction action, std::string_view text) override;
    // Copy or move; copy only while the text cannot change.
    uint32_t GetDragEffects() override;
    // A move deletes the dragged range ("Drag And Drop").
    void OnDragSourceDone(uint32_t effect) override;
    // The text view's handling, then the saved selection moves with the text while it is kept.
    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override;
    void OnBufferBatchChanged(CBufferView* source, const BatchChange& change) override;
    bool RouteCommand(uint32_t id) override;
    bool RouteCommandUI(CmdUI& ui) override;

    // ---- The edit view's own operation: whether commands may change the text (a buffer that is
    // not read-only).
    virtual bool IsEditable() const;

    // ---- Commands.
    void OnEditDelete();
    void OnEditDeleteBack();
    void OnEditTab();
    void OnEditUntab();
    void OnEditSwitchOvrmode() { overwriteMode = !overwriteMode; }
    void OnEditUndo();
    void OnEditRedo();
    // Ctrl+V: the clipboard's text replaces the selection, caret after it; one undo step.
    void OnEditPaste();
    // Ctrl+X: the selection goes to the clipboard and out of the text ("Cut").
    void OnEditCut();
    void OnUpdateEditPaste(CmdUI& ui) { ui.Enable(IsEditable() && ClipboardHasText()); }
    void OnUpdateEditCut(CmdUI& ui) { ui.Enable(IsEditable() && HasSelection()); }
    // Find (Ctrl+F): the Find dialog, started from the last search (or the "Find" settings) and
    // from a selection within one line; it remembers the search and the settings, also after
    // Cancel.
    void OnEditFind();
    // Replace (Ctrl+H) on an editable view: the Replace dialog from the "Replace" settings, in the
    // selection's range when there is one; the selection comes back when it closes, and the
    // settings are written, also after Cancel.
    void OnEditReplace();
    void OnUpdateEditSwitchOvrmode(CmdUI& ui) { ui.SetCheck(overwriteMode); }
    void OnUpdateIndicatorOvr(CmdUI& ui) { ui.Enable(overwriteMode); }
    void OnUpdateIndicatorRead(CmdUI& ui) { ui.Enable(buffer && buffer->IsReadOnly()); }
    void OnUpdateIndicatorBlank(CmdUI& ui) { ui.Enable(false); }
    // Enabled while a step can be undone (redone) and the buffer is not read-only; a menu item
    // also gets the text naming the step.
    void OnUpdateEditUndo(CmdUI& ui);
    void OnUpdateEditRedo(CmdUI& ui);

    // ---- Editing operations.
    // Replaces a non-empty selection with `text` and selects the new text, caret at its end; the
    // deletion (recorded with `deletion`) and the insertion ("Replace") are undo steps of their
    // own unless a group is open. False, changing nothing, for an empty selection or a view that
    // is not editable.
    bool ReplaceSelection(std::string_view text, EditAction deletion = ActionDeleteSelection);
    // Replaces the `length` characters at each of `positions` (in text order, each within its
    // line, found in the text as it is) by `text`, which holds no line break, as one undo step
    // named "Replace". Caret, anchor and selection end as the last replacement made alone
    // through ReplaceSelection leaves them: the new text selected, the caret at its end. False,
    // changing nothing, when the buffer refuses the batch.
    bool ReplaceMatches(std::vector<TextPosition> positions, int32_t length, std::string_view text);
    // Deletes a non-empty selection ("Delete Selection") with the caret at its start; false when
    // the selection is empty.
    bool DeleteSelection();

    // ---- Options and state.
    bool GetOverwriteMode() const { return overwriteMode; }
    void SetOverwriteMode(bool on) { overwriteMode = on; }
    bool GetAutoIndent() const { return autoIndent; }
    void SetAutoIndent(bool on) { autoIndent = on; }
    bool GetBackspaceAtLineStart() const { return backspaceAtLineStart; }
    void SetBackspaceAtLineStart(bool on) { backspaceAtLineStart = on; }

    // ---- Dropping, as the drop target asks. Effects are DropEffect bits.
    // The effect a drop would take with `keyState` (MouseFlag bits): copy with Ctrl, else move.
    static uint32_t DropEffectFor(uint32_t keyState);
    // Whether a drag of `data` may drop here: an editable view and text to take.
    bool AcceptsDrop(const platform::DataObject& data) const;
    // The grey drop caret at the text position under `point`, hidden while that position lies
    // left of the window; hiding it brings the normal caret back.
    void ShowDropIndicator(platform::Point point);
    void HideDropIndicator();
    // The periodic call of a drag resting over the view: within 5 pixels of an edge (the
    // margin's right edge on the left) the view scrolls one line or one column. Returns the
    // effect a drop would take there.
    uint32_t DragScroll(platform::Point point, uint32_t keyState);
    // Inserts the dragged text at `point` ("Drag And Drop") and selects it, caret after it.
    // False, changing nothing, when there is no text, or when the drop lands inside the text
    // the drag moves out of (on this view's own selection only the caret moves there).
    bool DropText(const platform::DataObject& data, uint32_t effect, platform::Point point);
    const DropState& GetDropState() const { return drop; }
    bool HasDropTarget() const { return dropTarget != nullptr; }

protected:
    void OnEnter();
    // Inserts `text` at `position` with `action` on behalf of this view; the end of the inserted
    // text, or `position` when the buffer refused.
    TextPosition InsertText(TextPosition position, std::string_view text, EditAction action);
    // Block indent (`indent`) or unindent of the lines a multi-line selection touches, as one
    // undo step.
    void IndentBlock(bool indent);
    void MoveToNextTabStop();
    void MoveToPreviousTabStop();
    // Undoes (`undo`) or redoes one step and puts the caret where the buffer says.
    void ReplayStep(bool undo);
    // Selects the text a replacement put between `start` and `end`, caret and anchor at its end,
    // scrolled into view.
    void SelectReplacement(TextPosition start, TextPosition end);
    // Runs `dialog` modally over the view, which keeps showing its selection meanwhile; -1 when
    // there is no dialog to show.
    int32_t RunDialog(platform::Dialog& dialog);

    // The selection the Replace command restores when its dialog closes.
    struct SavedSelection {
        // While set, the two positions move with every change of the text.
        bool selectionSaved = false;
        TextPosition savedSelectionStart;
        TextPosition savedSelectionEnd;
    };

    // ---- State, in declaration order.
    bool overwriteMode = false;
    DropState drop;
    SavedSelection replaceSelection;
    bool autoIndent = true;
    bool backspaceAtLineStart = false;
    // Null when registering it failed: the view then takes no drops.
    std::unique_ptr<CEditDropTarget> dropTarget;
};
