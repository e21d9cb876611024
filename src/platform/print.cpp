#include "platform/print.h"

namespace platform {

bool PrintInfo::ReportProgress(PrintStage stage, int64_t done, int64_t total) {
    if (!cancelled_ && device && !device->Progress(stage, done, total))
        cancelled_ = true;
    return !cancelled_;
}

bool DoPreparePrinting(PrintInfo& info) {
    if (!info.device || !info.device->PreparePrinting(info))
        return false;
    if (info.fromPage < 1)
        info.fromPage = 1;
    return info.fromPage <= info.toPage;
}

uint32_t CountPages(PrintableView& view, Surface& dc, const PrintInfo& info) {
    PrintInfo probe = info;
    const auto exists = [&](uint32_t page) {
        probe.currentPage = page;
        probe.continuePrinting = true;
        view.OnPrepareDC(dc, &probe);
        return probe.continuePrinting;
    };
    if (!exists(1))
        return 0;
    // Doubling to a page past the end, then halving the gap.
    uint32_t known = 1;
    uint32_t past = 2;
    while (past < PrintInfo::kLastPage && exists(past)) {
        known = past;
        past = past > PrintInfo::kLastPage / 2 ? PrintInfo::kLastPage : past * 2;
    }
    if (past == PrintInfo::kLastPage && exists(past))
        return past;
    while (past - known > 1) {
        const uint32_t middle = known + (past - known) / 2;
        (exists(middle) ? known : past) = middle;
    }
    return known;
}

PrintOutcome RunPrintJob(PrintableView& view, PrintDevice& device, std::string_view title,
                         bool direct) {
    PrintOutcome outcome;
    PrintInfo info;
    info.device = &device;
    info.direct = direct;
    if (!view.OnPreparePrinting(info)) {
        outcome.error = device.LastError();
        outcome.result = outcome.error.empty() ? PrintResult::Cancelled : PrintResult::Failed;
        return outcome;
    }
    Surface* dc = device.BeginDocument(title);
    if (!dc) {
        outcome.result = PrintResult::Failed;
        outcome.error = device.LastError();
        return outcome;
    }
    view.OnBeginPrinting(*dc, info);
    bool failed = false;
    uint32_t pageCount = 0;
    for (info.currentPage = info.fromPage; info.currentPage <= info.toPage; ++info.currentPage) {
        view.OnPrepareDC(*dc, &info);
        if (!info.continuePrinting ||
            !info.ReportProgress(PrintStage::Printing, info.currentPage, pageCount))
            break;
        if (!device.StartPage()) {
            failed = true;
            break;
        }
        info.drawRect = device.PageRect();
        view.OnPrint(*dc, info);
        if (!device.EndPage()) {
            failed = true;
            break;
        }
        // The view clears the flag while printing when the page turned out to be past the end.
        if (info.Cancelled() || !info.continuePrinting)
            break;
        ++outcome.pages;
        if (pageCount == 0)
            pageCount = CountPages(view, *dc, info);
        if (info.currentPage == PrintInfo::kLastPage)
            break;
    }
    view.OnEndPrinting(*dc, info);
    if (failed || info.Cancelled()) {
        outcome.error = failed ? device.LastError() : std::string();
        device.AbortDocument();
        outcome.result = failed ? PrintResult::Failed : PrintResult::Cancelled;
        return outcome;
    }
    if (outcome.pages == 0) {
        // Only pages past the end were asked for: no empty sheet comes out.
        device.AbortDocument();
        outcome.result = PrintResult::Failed;
        outcome.error = "The document has no page in the chosen range.";
        return outcome;
    }
    if (!device.EndDocument()) {
        outcome.result = PrintResult::Failed;
        outcome.error = device.LastError();
        return outcome;
    }
    outcome.result = PrintResult::Printed;
    return outcome;
}

// ---- PrintPreview

bool PrintPreview::Begin(std::string_view title, std::string& error) {
    error.clear();
    info_ = PrintInfo{};
    info_.preview = true;
    info_.device = &device_;
    if (!view_.OnPreparePrinting(info_)) {
        error = device_.LastError();
        return false;
    }
    dc_ = device_.BeginDocument(title);
    if (!dc_) {
        error = device_.LastError();
        return false;
    }
    view_.OnBeginPrinting(*dc_, info_);
    return true;
}

bool PrintPreview::DrawPage(uint32_t page) {
    if (!dc_ || info_.Cancelled() || page < 1)
        return false;
    info_.currentPage = page;
    info_.continuePrinting = true;
    view_.OnPrepareDC(*dc_, &info_);
    if (!info_.continuePrinting || !device_.StartPage())
        return false;
    info_.drawRect = device_.PageRect();
    view_.OnPrint(*dc_, info_);
    device_.EndPage();
    if (info_.Cancelled() || !info_.continuePrinting)
        return false;
    if (pageCount_ == 0)
        pageCount_ = CountPages(view_, *dc_, info_);
    return true;
}

uint32_t PrintPreview::PageCount() {
    return pageCount_;
}

void PrintPreview::End() {
    if (!dc_)
        return;
    view_.OnEndPrinting(*dc_, info_);
    device_.AbortDocument(); // a preview leaves nothing behind
    dc_ = nullptr;
}

} // namespace platform
