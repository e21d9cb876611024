// Printing: the print information of one job, the printing operations of a view, the printer a
// backend supplies, and the framework's job loops for printing and for a preview, written once
// here so that every backend runs the same sequence:
//
//   OnPreparePrinting -> OnBeginPrinting -> for each page: OnPrepareDC, OnPrint -> OnEndPrinting
//
// The view never sets a last page: a job ends when OnPrepareDC clears continuePrinting, when the
// user cancels through the progress the device shows, or when the device fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/geometry.h"
#include "platform/surface.h"

namespace platform {

class PrintDevice;

// Page margins in hundredths of a millimetre.
struct PageMargins {
    int32_t left = 1000;
    int32_t right = 1000;
    int32_t top = 1000;
    int32_t bottom = 1000;

    friend bool operator==(const PageMargins&, const PageMargins&) = default;
};

// Hundredths of a millimetre in device units at `dpi` units per inch (2540 per inch).
inline int32_t HimetricToDevice(int32_t himetric, int32_t dpi) {
    return MulDiv(himetric, dpi, 2540);
}

// The step of a job a progress report is about.
enum class PrintStage : uint8_t {
    Paginating, // done of total lines laid out into pages
    Printing,   // page done of total pages (total 0 while unknown)
};

// The print information record of one job (print or preview).
struct PrintInfo {
    // The highest page number a job asks for: no document has that many pages.
    static constexpr uint32_t kLastPage = 0x7FFFFFFF;

    bool preview = false; // a preview: nothing reaches a printer
    bool direct = false;  // printed without the print dialog
    // The pages the user chose in the print dialog.
    uint32_t fromPage = 1;
    uint32_t toPage = kLastPage;
    uint32_t currentPage = 1; // 1-based
    // The page's drawing rectangle in device units, (0, 0) at the printable area's corner.
    Rect drawRect;
    // Cleared by the view when the current page is past the end.
    bool continuePrinting = true;
    // The job's printer; null outside a job.
    PrintDevice* device = nullptr;

    // Reports the progress of a long step; false once the user has cancelled the job (and from
    // then on). Cheap enough to call every few thousand lines.
    bool ReportProgress(PrintStage stage, int64_t done, int64_t total);
    bool Cancelled() const { return cancelled_; }

private:
    bool cancelled_ = false;
};

// The printing operations of a view. The framework's default for OnPreparePrinting is
// DoPreparePrinting.
class PrintableView {
public:
    virtual ~PrintableView() = default;

    // False ends the job before it starts (the user cancelled the print dialog).
    virtual bool OnPreparePrinting(PrintInfo& info) = 0;
    virtual void OnBeginPrinting(Surface& dc, PrintInfo& info) = 0;
    // `info` is null when the context is prepared for the screen.
    virtual void OnPrepareDC(Surface& dc, PrintInfo* info) = 0;
    virtual void OnPrint(Surface& dc, PrintInfo& info) = 0;
    virtual void OnEndPrinting(Surface& dc, PrintInfo& info) = 0;
};

// The print dialog of a job: info.device asks the user (printer, pages) unless the job is a
// preview or direct. False when the user cancelled or no printer can be used.
bool DoPreparePrinting(PrintInfo& info);

// A printer, as a backend supplies it: the print dialog, the drawing context of a document and
// its pages, and the progress shown while a job runs.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;

    // The print dialog for a job that asks (not info.direct, not info.preview), which may set
    // info.fromPage and info.toPage; otherwise the current printer as it is. False when the
    // user cancelled or there is no printer (LastError then says why).
    virtual bool PreparePrinting(PrintInfo& info) = 0;
    // Opens the document and returns the drawing context every page of the job is drawn on, or
    // null when the printer cannot be opened (LastError says why). For a preview, the context
    // measures as the printer does; pages are drawn where the preview shows them.
    virtual Surface* BeginDocument(std::string_view title) = 0;
    // The drawing rectangle of a page in device units.
    virtual Rect PageRect() const = 0;
    // Frame the drawing of one page; false when the printer failed.
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    // Finishes the document; false when it could not be completed.
    virtual bool EndDocument() = 0;
    // Drops the document: nothing more is printed, and a file being written is removed.
    virtual void AbortDocument() = 0;
    // Called while a job runs, often; false when the user asked to cancel.
    virtual bool Progress(PrintStage stage, int64_t done, int64_t total) {
        (void)stage, (void)done, (void)total;
        return true;
    }
    virtual std::string LastError() const { return {}; }
};

enum class PrintResult : uint8_t { Printed, Cancelled, Failed };

struct PrintOutcome {
    PrintResult result = PrintResult::Cancelled;
    uint32_t pages = 0; // pages drawn
    std::string error;  // why it failed, for the user
};

// Prints `view` on `device`: the whole framework loop. A job the user cancels, during the print
// dialog or later, reports Cancelled; a printer that cannot be opened or fails, Failed with the
// reason.
PrintOutcome RunPrintJob(PrintableView& view, PrintDevice& device, std::string_view title,
                         bool direct = false);

// The number of pages of a job whose first page has been drawn: the last page for which the
// view keeps continuePrinting set, found by asking OnPrepareDC (a few dozen calls).
uint32_t CountPages(PrintableView& view, Surface& dc, const PrintInfo& info);

// A preview job: begun once, then any page drawn on demand, ended when the preview closes.
class PrintPreview {
public:
    PrintPreview(PrintableView& view, PrintDevice& device) : view_(view), device_(device) {}
    PrintPreview(const PrintPreview&) = delete;
    PrintPreview& operator=(const PrintPreview&) = delete;
    // Ends a job still running.
    ~PrintPreview() { End(); }

    // OnPreparePrinting and OnBeginPrinting; false when the job cannot start (`error` then
    // holds the reason, empty when the user cancelled).
    bool Begin(std::string_view title, std::string& error);
    // Draws page `page` between the device's StartPage and EndPage; false when the page is past
    // the end, the user cancelled, or the job is not running.
    bool DrawPage(uint32_t page);
    // The page count, known once a page has been drawn; 0 before.
    uint32_t PageCount();
    bool Cancelled() const { return info_.Cancelled(); }
    void End();

private:
    PrintableView& view_;
    PrintDevice& device_;
    PrintInfo info_;
    Surface* dc_ = nullptr;
    uint32_t pageCount_ = 0;
};

} // namespace platform
