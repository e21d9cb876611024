#include "app/sampleview.h"

#include <cstdio>

#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "buffer/replacebatch.h"
#include "syntax/colorindex.h"
#include "syntax/z80parser.h"
#include "view/printjob.h"

namespace app {
namespace {

// Value names of section "Colors" with their defaults, in the order they are written back.
struct ColorSetting {
    std::string_view name;
    platform::ColorRef defaultValue;
};
constexpr std::array<ColorSetting, 4> kColorSettings{{
    {"Comment", 0x808080},
    {"Number", 0x000080},
    {"Keyword", 0xFF0000},
    {"Preproc", 0xC08000},
}};

using Entry = CommandMapEntry<CSampleView>;

const std::array<Entry, 4> kSampleViewCommands{{
    {ID_BACKSPACE_AT_LINE_START,
     [](CSampleView& v) { v.SetBackspaceAtLineStart(!v.GetBackspaceAtLineStart()); },
     [](CSampleView& v, CmdUI& ui) { ui.SetCheck(v.GetBackspaceAtLineStart()); }},
    {ID_FILE_PRINT, [](CSampleView& v) { v.OnFilePrint(false); }, nullptr},
    {ID_FILE_PRINT_PREVIEW, [](CSampleView& v) { v.OnFilePrint(true); }, nullptr},
    {ID_FILE_PAGE_SETUP, [](CSampleView& v) { v.OnFilePageSetup(); }, nullptr},
}};

} // namespace

CSampleView::CSampleView(CSampleDoc& doc, platform::Profile& profile, UiServices& ui)
    : doc_(doc), profile_(profile), ui_(ui), shell_(ui, profile) {
    SetShellServices(&shell_);
    for (size_t i = 0; i < colors_.size(); ++i)
        colors_[i] = kColorSettings[i].defaultValue;
}

CSampleView::~CSampleView() {
    profile_.WriteProfileInt("Settings", "BSASOL", GetBackspaceAtLineStart() ? 1 : 0);
}

void CSampleView::OnInitialUpdate() {
    CTextEditView::OnInitialUpdate();
    for (size_t i = 0; i < colors_.size(); ++i)
        colors_[i] = static_cast<platform::ColorRef>(
            profile_.GetProfileInt("Colors", kColorSettings[i].name,
                                   static_cast<int32_t>(kColorSettings[i].defaultValue)));
    // Written back at once, so the settings always hold every colour.
    for (size_t i = 0; i < colors_.size(); ++i)
        profile_.WriteProfileInt("Colors", kColorSettings[i].name,
                                 static_cast<int32_t>(colors_[i]));
    SetBaseFont(doc_.Font());
    doc_.Buffer().ChangeReadOnly(false);
    SetBackspaceAtLineStart(profile_.GetProfileInt("Settings", "BSASOL", 0) != 0);
}

uint32_t CSampleView::ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                                   int32_t& count) {
    const char* text = GetLineText(line);
    const int32_t length = text ? TextLineLength(line) : 0;
    int parsed = count;
    const uint32_t next = ColorizeZ80Line(state, text ? text : "", length, blocks, parsed);
    count = parsed;
    return next;
}

void CSampleView::ColorizeLineSpan(uint32_t state, int32_t line, int32_t from, int32_t to,
                                   TextBlock* blocks, int32_t& count) {
    const char* text = GetLineText(line);
    if (!text)
        return;
    int parsed = count;
    longLine_.Colorize(state, line, text, TextLineLength(line), from, to, blocks, parsed);
    count = parsed;
}

void CSampleView::OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster,
                                  uint32_t hints, int line) {
    if (hints & HintReload) {
        longLine_.LinesMoved(-1);
    } else if (!(hints & HintMarksOnly)) {
        if (adjuster)
            longLine_.ChangedFrom(adjuster->start.y, adjuster->start.x);
        if (!(hints & HintOneLine))
            longLine_.LinesMoved(adjuster ? adjuster->start.y : line);
    }
    CTextEditView::OnBufferChanged(source, adjuster, hints, line);
}

void CSampleView::OnBufferBatchChanged(CBufferView* source, const BatchChange& change) {
    for (int32_t i = 0; i < change.LineCount(); ++i)
        longLine_.ChangedFrom(change.Line(i), 0);
    CTextEditView::OnBufferBatchChanged(source, change);
}

platform::ColorRef CSampleView::ColorOf(int32_t index) {
    switch (index) {
    case ColorKeyword:
        return colors_[2];
    case ColorComment:
        return colors_[0];
    case ColorNumber:
        return colors_[1];
    case ColorPreprocessor:
        return colors_[3];
    default:
        return CTextEditView::ColorOf(index);
    }
}

bool CSampleView::RouteCommand(uint32_t id) {
    return RunCommand<CSampleView>(kSampleViewCommands, *this, id) ||
           CTextEditView::RouteCommand(id);
}

bool CSampleView::RouteCommandUI(CmdUI& ui) {
    if (UpdateCommand<CSampleView>(kSampleViewCommands, *this, ui) ||
        CTextEditView::RouteCommandUI(ui))
        return true;
    if (ui.id == ID_EDIT_INDICATOR_POSITION) {
        UpdatePositionPane(ui);
        return true;
    }
    if (ui.id == ID_EDIT_INDICATOR_CRLF) {
        UpdateLineEndPane(ui);
        return true;
    }
    return false;
}

bool CSampleView::OnCommand(uint32_t id) {
    return route_ ? route_(id) : RouteCommand(id);
}

void CSampleView::OnFilePrint(bool preview) {
    ui_.PrintView(*this, doc_.Title(), preview);
}

void CSampleView::OnFilePageSetup() {
    platform::PageMargins margins = view::ReadPageMargins(&profile_);
    if (ui_.PageSetup(margins))
        view::WritePageMargins(profile_, margins);
}

void CSampleView::UpdatePositionPane(CmdUI& ui) const {
    const TextPosition caret = GetCaretPos();
    char text[64];
    std::snprintf(text, sizeof text, "Ln %d, Col %d", caret.y + 1, caret.x + 1);
    ui.Enable(true);
    ui.SetText(text);
}

void CSampleView::UpdateLineEndPane(CmdUI& ui) const {
    const CTextBuffer* textBuffer = GetBuffer();
    int32_t stringId = 0;
    if (textBuffer) {
        switch (textBuffer->GetLineEndStyle()) {
        case LineEndDos:
            stringId = IDS_LINE_END_DOS;
            break;
        case LineEndUnix:
            stringId = IDS_LINE_END_UNIX;
            break;
        case LineEndMac:
            stringId = IDS_LINE_END_MAC;
            break;
        default:
            break;
        }
    }
    if (stringId == 0) {
        ui.Enable(false);
        return;
    }
    ui.Enable(true);
    ui.SetText(FindString(stringId).value_or(""));
}

void CSampleView::UpdateContextMenuItem(CmdUI& ui) {
    switch (ui.id) {
    case ID_EDIT_COPY:
        OnUpdateEditCopy(ui);
        return;
    case ID_EDIT_CUT:
        OnUpdateEditCut(ui);
        return;
    case ID_EDIT_PASTE:
        OnUpdateEditPaste(ui);
        return;
    default:
        ui.Enable(true);
        return;
    }
}

} // namespace app
