#include "platform/headless/headless_print.h"

#include <algorithm>
#include <map>
#include <utility>

namespace platform::headless {

// ---- PrintedPage

std::string PrintedPage::TextAt(int32_t y) const {
    std::vector<const PrintedText*> row;
    for (const PrintedText& t : texts)
        if (t.at.y == y)
            row.push_back(&t);
    std::stable_sort(row.begin(), row.end(),
                     [](const PrintedText* a, const PrintedText* b) { return a->at.x < b->at.x; });
    std::string out;
    for (const PrintedText* t : row)
        out += t->text;
    return out;
}

std::vector<std::string> PrintedPage::Rows() const {
    std::map<int32_t, bool> ys;
    for (const PrintedText& t : texts)
        ys[t.at.y] = true;
    std::vector<std::string> rows;
    for (const auto& [y, unused] : ys)
        rows.push_back(std::to_string(y) + ":" + TextAt(y));
    return rows;
}

// ---- HeadlessPrintSurface

void HeadlessPrintSurface::FillSolidRect(const Rect& /*rect*/, ColorRef /*color*/) {}

void HeadlessPrintSurface::ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect,
                                      std::string_view text, const int32_t* /*dx*/) {
    if (!page_)
        return;
    PrintedText t;
    t.at = {x, y};
    t.text.assign(text);
    t.font = font_ ? font_->GetLogFont() : DefaultFont().GetLogFont();
    t.clipped = (options & ETO_CLIPPED) && rect;
    if (t.clipped)
        t.clip = *rect;
    t.color = text_;
    page_->texts.push_back(std::move(t));
}

Font* HeadlessPrintSurface::SelectFont(Font* font) {
    return std::exchange(font_, font);
}

// ---- HeadlessPrintDevice

bool HeadlessPrintDevice::PreparePrinting(PrintInfo& info) {
    error_.clear();
    if (!hasPrinter) {
        error_ = "No printer is installed.";
        return false;
    }
    if (info.preview || info.direct)
        return true;
    ++dialogsShown;
    if (!dialogAccepts)
        return false;
    info.fromPage = dialogFromPage;
    info.toPage = dialogToPage;
    return true;
}

platform::Surface* HeadlessPrintDevice::BeginDocument(std::string_view docTitle) {
    if (openFails) {
        error_ = "The printer cannot be opened.";
        return nullptr;
    }
    title.assign(docTitle);
    documentOpen = true;
    return &surface_;
}

Rect HeadlessPrintDevice::PageRect() const {
    return {0, 0, paper_.printable.Width(), paper_.printable.Height()};
}

bool HeadlessPrintDevice::StartPage() {
    pages.emplace_back();
    surface_.SetPage(&pages.back());
    return true;
}

bool HeadlessPrintDevice::EndPage() {
    surface_.SetPage(nullptr);
    if (failingPage != 0 && pages.size() == failingPage) {
        error_ = "The printer stopped.";
        return false;
    }
    return true;
}

bool HeadlessPrintDevice::EndDocument() {
    documentOpen = false;
    documentEnded = true;
    return true;
}

void HeadlessPrintDevice::AbortDocument() {
    documentOpen = false;
    documentAborted = true;
}

bool HeadlessPrintDevice::Progress(PrintStage stage, int64_t done, int64_t total) {
    progress.push_back({stage, done, total});
    return cancelAtProgressCall < 0 ||
           static_cast<int64_t>(progress.size()) <= cancelAtProgressCall;
}

} // namespace platform::headless
