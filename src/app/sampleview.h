// CSampleView: a pane of a document's window. An edit view on the document's buffer that colours
// lines with the Z80 parser, takes four of its colours and the "Backspace at start of line"
// option from the settings, uses the document's font, and offers the context menu's states.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "app/commandroute.h"
#include "app/sampledoc.h"
#include "app/uiservices.h"
#include "app/viewshell.h"
#include "edit/editview.h"
#include "platform/profile.h"
#include "syntax/z80parser.h"

namespace app {

class CSampleView final : public CTextEditView, public CommandTarget {
public:
    CSampleView(CSampleDoc& doc, platform::Profile& profile, UiServices& ui);
    // Stores the "Backspace at start of line" option, so the last view to go decides it.
    ~CSampleView() override;

    CSampleDoc& GetDocument() const { return doc_; }

    // Attaches to the buffer, then takes the colours (writing them back), the document's font,
    // the option, and makes the text writable.
    void OnInitialUpdate() override;
    CTextBuffer* FindTextBuffer() override { return &doc_.Buffer(); }
    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks, int32_t& count) override;
    // A window of a long line is parsed from the nearest parse point the earlier windows of the
    // same line left, kept until the line (from that point on) or its start state changes.
    void ColorizeLineSpan(uint32_t state, int32_t line, int32_t from, int32_t to, TextBlock* blocks,
                          int32_t& count) override;
    void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                         int line) override;
    void OnBufferBatchChanged(CBufferView* source, const BatchChange& change) override;
    platform::ColorRef ColorOf(int32_t index) override;

    // The view's own commands first, then the edit view's, then the status panes the engine
    // does not light itself.
    bool RouteCommand(uint32_t id) override;
    bool RouteCommandUI(CmdUI& ui) override;
    // A key command: along the whole command route from this view (SetCommandRoute), or through
    // this view's own handlers alone while it has no route.
    bool OnCommand(uint32_t id) override;
    void SetCommandRoute(std::function<bool(uint32_t)> route) { route_ = std::move(route); }

    // Print (the system print dialog) and Print Preview of the document's text.
    void OnFilePrint(bool preview);
    // Page Setup: the margins "PageSetup" keeps, written back when the user chooses OK.
    void OnFilePageSetup();

    // The state of an item of the context menu: Copy needs a selection, Cut a selection it may
    // delete, Paste text on the clipboard and a text it may change; the others keep their usual
    // state.
    void UpdateContextMenuItem(CmdUI& ui);

    // The four colours kept in the settings: comment, number, keyword, preprocessor.
    platform::ColorRef CommentColor() const { return colors_[0]; }
    platform::ColorRef NumberColor() const { return colors_[1]; }
    platform::ColorRef KeywordColor() const { return colors_[2]; }
    platform::ColorRef PreprocColor() const { return colors_[3]; }

private:
    void UpdatePositionPane(CmdUI& ui) const;
    void UpdateLineEndPane(CmdUI& ui) const;

    CSampleDoc& doc_;
    // The parse points of the long line coloured last (ColorizeLineSpan).
    Z80LongLine longLine_;
    platform::Profile& profile_;
    UiServices& ui_;
    std::array<platform::ColorRef, 4> colors_;
    std::function<bool(uint32_t)> route_;
    ViewShell shell_;
};

} // namespace app
