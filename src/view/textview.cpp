// Construction, reset, the line accessors, fonts, colours and resources of the text view.
#include <algorithm>

#include "syntax/defaultcolors.h"
#include "view/textview.h"

using platform::ColorRef;
using platform::Font;
using platform::LogFont;

namespace {

const view::ResourceModule* g_resourceModule = nullptr;

} // namespace

CTextView::CTextView() {
    ResetViewState();
}

CTextView::~CTextView() {
    if (buffer)
        buffer->DetachView(this);
}

void CTextView::SetResourceModule(const view::ResourceModule* module) {
    g_resourceModule = module;
}

const view::ResourceModule& CTextView::GetResourceModule() {
    return g_resourceModule ? *g_resourceModule : view::BuiltInResources();
}

CTextBuffer* CTextView::FindTextBuffer() {
    return nullptr;
}

void CTextView::AfterEditAction(EditAction /*action*/, std::string_view /*text*/) {}

void CTextView::ResetViewState() {
    columnIndex_.Forget();
    topLine = 0;
    firstColumn = 0;
    rowHeight = -1;
    cellWidth = -1;
    tabWidth = 4;
    visibleRows = -1;
    visibleColumns = -1;
    widestLine = -1;
    rememberedColumn = -1;
    anchor = {};
    marginIcons.reset();
    DropFonts();
    parserStates.Clear();
    expandedLengths.Clear();
    caretPos = {};
    selectionFirst = {};
    selectionSecond = {};
    selectionStart = {};
    selectionEnd = {};
    holdHorzScrollBar = false;
    heldBandFrom = -1;
    // A mouse selection running now ends here, capture and timer with it.
    if (mouse.mouseSelecting && IsWindow())
        EndMouseSelection();
    mouse = {};
    drag = {};
    if (IsWindow())
        PlaceCaret();
    keepSelectionVisible = false;
    hasPlainBookmarks = false;
    print.printHeaderEnabled = false;
    print.printFooterEnabled = true;
}

// ---- Window creation and destruction

bool CTextView::OnCreate() {
    baseFont = LogFont{};
    baseFont.lfWeight = platform::FW_NORMAL;
    baseFont.lfCharSet = platform::DEFAULT_CHARSET;
    baseFont.SetFaceName("FixedSys");
    if (!Wnd::OnCreate())
        return false;
    accelerators = GetResourceModule().FindAccelerators(view::IDR_VIEW_ACCELERATORS);
    return true;
}

void CTextView::OnDestroy() {
    DisconnectBuffer();
    accelerators = nullptr;
    Wnd::OnDestroy();
    DropFonts();
    lineBitmap.reset();
}

platform::CodePage CTextView::GetInputCodePage() const {
    return platform::CodePageForCharSet(baseFont.lfCharSet);
}

void CTextView::OnSysColorChange() {
    Invalidate(true);
}

// ---- Line accessors. Lines outside the text read as empty, so a stale index never reads past
// the buffer.

int32_t CTextView::TextLineCount() const {
    return buffer ? buffer->LineCount() : 1;
}

int32_t CTextView::TextLineLength(int32_t line) const {
    if (!buffer || line < 0 || line >= buffer->LineCount())
        return 0;
    return buffer->LineLength(line);
}

const char* CTextView::GetLineText(int32_t line) const {
    if (!buffer || line < 0 || line >= buffer->LineCount())
        return nullptr;
    return buffer->LineChars(line);
}

LineFlags CTextView::TextLineFlags(int32_t line) const {
    if (!buffer || line < 0 || line >= buffer->LineCount())
        return 0;
    return buffer->LineFlagWord(line);
}

void CTextView::GetTextRange(TextPosition start, TextPosition end, std::string& text) const {
    text.clear();
    if (buffer)
        buffer->CopyText(start.y, start.x, end.y, end.x, text);
}

// ---- Colours

ColorRef CTextView::ColorOf(int32_t index) {
    SystemColors system = LightSystemColors;
    if (IsWindow()) {
        system.window = GetSysColor(platform::COLOR_WINDOW);
        system.windowText = GetSysColor(platform::COLOR_WINDOWTEXT);
        system.scrollBar = GetSysColor(platform::COLOR_SCROLLBAR);
    }
    return DefaultColorOf(index, system);
}

bool CTextView::IsColorItalic(int32_t /*index*/) {
    return false;
}

bool CTextView::IsColorBold(int32_t /*index*/) {
    return false;
}

uint32_t CTextView::ColorizeLine(uint32_t /*state*/, int32_t /*line*/, TextBlock* /*blocks*/,
                                 int32_t& /*count*/) {
    return 0;
}

void CTextView::ColorizeLineSpan(uint32_t /*state*/, int32_t /*line*/, int32_t /*from*/,
                                 int32_t /*to*/, TextBlock* /*blocks*/, int32_t& /*count*/) {}

// ---- Fonts

Font* CTextView::GetStyledFont(bool italic, bool bold) {
    const size_t slot = (bold ? 1u : 0u) | (italic ? 2u : 0u);
    if (!fontCache[slot]) {
        // The style is written into the base font itself, which is then made into a font.
        baseFont.lfWeight = bold ? platform::FW_BOLD : platform::FW_NORMAL;
        baseFont.lfItalic = italic ? 1 : 0;
        fontCache[slot] = CreateFontIndirect(baseFont);
        if (!fontCache[slot])
            return GetFont();
    }
    return fontCache[slot].get();
}

void CTextView::DropFonts() {
    for (auto& font : fontCache)
        font.reset();
}

void CTextView::SetBaseFont(const LogFont& font) {
    baseFont = font;
    rowHeight = -1;
    cellWidth = -1;
    visibleRows = -1;
    visibleColumns = -1;
    lineBitmap.reset();
    DropFonts();
    if (IsWindow()) {
        UpdateVertScrollBar(false);
        UpdateHorzScrollBar(false);
        PlaceCaret();
        Invalidate(true);
    }
}
