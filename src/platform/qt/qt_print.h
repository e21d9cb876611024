// Printing on Qt Print Support: the printer every job of the application shares, the print
// dialog and the job with its progress dialog, the preview window, Print Setup and the Page Setup
// dialog. The job itself runs the platform's loop (platform/print.h).
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/print.h"
#include "platform/qt/qt_surface.h"

class QDoubleSpinBox;
class QLabel;
class QPainter;
class QPrinter;
class QProgressDialog;
class QPushButton;
class QScrollArea;

namespace platform::qt {

// The progress of a running job: a dialog with a Cancel button that appears once the job has run
// for a moment, updated and kept responsive at most every kUpdateMs however often the job reports.
class QtPrintProgress {
public:
    static constexpr int kShowAfterMs = 300;
    static constexpr int kUpdateMs = 30;

    QtPrintProgress(QWidget* parent, QString title);
    ~QtPrintProgress();

    // False once the user pressed Cancel.
    bool Report(PrintStage stage, int64_t done, int64_t total);
    // The dialog, once shown; null before.
    QProgressDialog* Dialog() const { return dialog_.get(); }
    // How many times the dialog was updated, and the longest time between two updates.
    int64_t Updates() const { return updates_; }
    int64_t LongestGapMs() const { return longestGapMs_; }

private:
    QPointer<QWidget> parent_;
    QString title_;
    QElapsedTimer started_;
    QElapsedTimer sinceUpdate_;
    std::unique_ptr<QProgressDialog> dialog_;
    bool cancelled_ = false;
    int64_t updates_ = 0;
    int64_t longestGapMs_ = 0;
};

// A printer's device caps as QPrinter reports them: its resolution, the printable area and the
// paper.
DeviceCaps PrinterCaps(const QPrinter& printer);

// The printer as a PrintDevice: the system print dialog, a painter on the printer for the whole
// document, a page per StartPage. A preview device draws the pages on whatever painter
// SetPageTarget gives it, measuring as the printer would.
class QtPrinterDevice final : public PrintDevice {
public:
    QtPrinterDevice(QPrinter& printer, QWidget* parent, QtPrintProgress* progress,
                    bool preview = false);
    ~QtPrinterDevice() override;

    // Preview devices only: where the next page is drawn (null: nowhere).
    void SetPageTarget(QPainter* painter);

    bool PreparePrinting(PrintInfo& info) override;
    Surface* BeginDocument(std::string_view title) override;
    Rect PageRect() const override;
    bool StartPage() override;
    bool EndPage() override;
    bool EndDocument() override;
    void AbortDocument() override;
    bool Progress(PrintStage stage, int64_t done, int64_t total) override;
    std::string LastError() const override { return error_; }

private:
    QString PrinterName() const;

    QPrinter& printer_;
    QPointer<QWidget> parent_;
    QtPrintProgress* progress_;
    bool preview_ = false;
    std::unique_ptr<QtFont> defaultFont_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtSurface> surface_;
    bool firstPage_ = true;
    std::string error_;
};

class QtPrinting;

// The preview window: one page at a time, scaled to fit the window or at 100% and 200%, with
// Print, Next Page, Prev Page, Zoom In, Zoom Out and Close. Pages are drawn when shown, so the
// first page of any document is up at once.
class QtPreviewWindow final : public QDialog {
    Q_OBJECT

public:
    QtPreviewWindow(QPrinter& printer, PrintableView& view, QString title, QWidget* parent);
    ~QtPreviewWindow() override;

    // Begins the job and shows the first page; false when it cannot (Error() says why, empty
    // when the user cancelled).
    bool Start();
    const std::string& Error() const { return error_; }
    uint32_t CurrentPage() const { return page_; }
    uint32_t PageCount() const { return count_; }
    // The page as shown now.
    const QImage& PageImage() const { return image_; }
    // The user pressed Print.
    bool PrintRequested() const { return printRequested_; }

    void ShowPage(uint32_t page);
    void ZoomIn();
    void ZoomOut();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Render();
    void UpdateControls();

    QPrinter& printer_;
    QtPrintProgress progress_;
    QtPrinterDevice device_;
    PrintPreview job_;
    QString title_;
    std::string error_;
    uint32_t page_ = 1;
    uint32_t count_ = 0;
    int zoom_ = 0; // 0: the whole page in the window; 1: 100%; 2: 200%
    bool printRequested_ = false;
    QImage image_;
    QLabel* pageLabel_ = nullptr;
    QLabel* canvas_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* prev_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
};

// The printer settings all jobs share (the printer, its paper and orientation), chosen in Print
// Setup and in the print dialog, and the three printing commands on them.
class QtPrinting {
public:
    QtPrinting();
    ~QtPrinting();
    QtPrinting(const QtPrinting&) = delete;
    QtPrinting& operator=(const QtPrinting&) = delete;

    // Made on first use: asking the print system for its printers takes a moment.
    QPrinter& Printer();

    // The print dialog, then the job with its progress dialog.
    PrintOutcome Print(PrintableView& view, const QString& title, QWidget* parent);
    // The job on the printer as it is set, without the print dialog (a PDF file when the printer
    // has an output file).
    PrintOutcome PrintDirect(PrintableView& view, const QString& title, QWidget* parent);
    // The preview window, modal; its Print button goes on to Print.
    PrintOutcome Preview(PrintableView& view, const QString& title, QWidget* parent);
    // The printer selection dialog; false when cancelled.
    bool PrintSetup(QWidget* parent);

private:
    PrintOutcome Run(PrintableView& view, const QString& title, QWidget* parent, bool direct);

    std::unique_ptr<QPrinter> printer_;
};

// The Page Setup dialog: the four margins in millimetres (kept in hundredths), the paper and
// orientation of `printer` shown but not offered. OK refuses margins that overlap or leave the
// paper.
class QtPageSetupDialog final : public QDialog {
    Q_OBJECT

public:
    enum Side { Left, Right, Top, Bottom };

    QtPageSetupDialog(QWidget* parent, const PageMargins& margins, QPrinter& printer);
    PageMargins Margins() const;
    QDoubleSpinBox* MarginBox(Side side) const { return boxes_[side]; }

    void accept() override;

private:
    QDoubleSpinBox* boxes_[4] = {};
    QSizeF paperMm_;
};

// Runs the dialog; false when cancelled, `margins` then staying as it was.
bool RunPageSetupDialog(QWidget* parent, PageMargins& margins, QPrinter& printer);

} // namespace platform::qt
