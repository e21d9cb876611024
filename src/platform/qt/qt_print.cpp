#include "platform/qt/qt_print.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::qt {
namespace {

// Size of the printer's default font, in points.
constexpr int kDefaultFontPoints = 10;
// The progress bar's resolution.
constexpr int kProgressSteps = 1000;

std::string Quoted(const QString& name) {
    return "\"" + name.toStdString() + "\"";
}

} // namespace

// ---- Progress

QtPrintProgress::QtPrintProgress(QWidget* parent, QString title)
    : parent_(parent), title_(std::move(title)) {}

QtPrintProgress::~QtPrintProgress() = default;

bool QtPrintProgress::Report(PrintStage stage, int64_t done, int64_t total) {
    if (cancelled_)
        return false;
    if (!started_.isValid()) {
        started_.start();
        sinceUpdate_.start();
    }
    if (sinceUpdate_.elapsed() < kUpdateMs)
        return true;
    const int64_t gap = sinceUpdate_.restart();
    if (!dialog_ && started_.elapsed() >= kShowAfterMs) {
        // Modal to the whole application: the text cannot change under a running job.
        dialog_ = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Cancel"), 0,
                                                    kProgressSteps, parent_);
        dialog_->setWindowTitle(title_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->show();
    } else if (dialog_) {
        longestGapMs_ = std::max(longestGapMs_, gap);
    }
    if (dialog_) {
        ++updates_;
        const int value =
            total > 0 ? static_cast<int>(std::min<int64_t>(done, total) * kProgressSteps / total)
                      : 0;
        if (stage == PrintStage::Paginating) {
            dialog_->setLabelText(QStringLiteral("Laying out the pages..."));
        } else {
            dialog_->setLabelText(
                total > 0 ? QStringLiteral("Printing page %1 of %2").arg(done).arg(total)
                          : QStringLiteral("Printing page %1").arg(done));
        }
        dialog_->setMaximum(total > 0 ? kProgressSteps : 0);
        dialog_->setValue(value);
    }
    // Keeps the dialog painted and its Cancel button answering.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (dialog_ && dialog_->wasCanceled())
        cancelled_ = true;
    return !cancelled_;
}

// ---- The printer as a device

DeviceCaps PrinterCaps(const QPrinter& printer) {
    const int dpi = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QRect paint = layout.paintRectPixels(dpi);
    const QRect full = layout.fullRectPixels(dpi);
    DeviceCaps caps;
    caps.dpiX = dpi;
    caps.dpiY = dpi;
    caps.area = {paint.width(), paint.height()};
    caps.page = {full.width(), full.height()};
    caps.offset = {paint.left() - full.left(), paint.top() - full.top()};
    return caps;
}

QtPrinterDevice::QtPrinterDevice(QPrinter& printer, QWidget* parent, QtPrintProgress* progress,
                                 bool preview)
    : printer_(printer), parent_(parent), progress_(progress), preview_(preview) {}

QtPrinterDevice::~QtPrinterDevice() {
    AbortDocument();
}

void QtPrinterDevice::SetPageTarget(QPainter* painter) {
    if (preview_ && surface_)
        surface_->SetPainter(painter);
}

QString QtPrinterDevice::PrinterName() const {
    if (printer_.outputFormat() == QPrinter::PdfFormat)
        return printer_.outputFileName();
    return printer_.printerName();
}

bool QtPrinterDevice::PreparePrinting(PrintInfo& info) {
    error_.clear();
    if (info.preview || info.direct)
        return true;
    QPrintDialog dialog(&printer_, parent_);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setMinMax(1, 999999);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        info.fromPage = static_cast<uint32_t>(std::max(1, printer_.fromPage()));
        info.toPage = static_cast<uint32_t>(std::max(printer_.fromPage(), printer_.toPage()));
    }
    return true;
}

Surface* QtPrinterDevice::BeginDocument(std::string_view title) {
    AbortDocument();
    error_.clear();
    printer_.setDocName(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    const DeviceCaps caps = PrinterCaps(printer_);
    LogFont lf;
    lf.lfHeight = -MulDiv(kDefaultFontPoints, caps.dpiY, 72);
    lf.lfWeight = FW_NORMAL;
    defaultFont_ = std::make_unique<QtFont>(lf);
    if (!preview_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&printer_)) {
            painter_.reset();
            error_ = printer_.outputFormat() == QPrinter::PdfFormat
                         ? "The file " + Quoted(PrinterName()) + " cannot be written."
                         : "The printer " + Quoted(PrinterName()) + " cannot be opened.";
            return nullptr;
        }
    }
    surface_ = std::make_unique<QtSurface>(painter_.get(), 1.0, defaultFont_.get());
    surface_->SetDeviceCaps(caps);
    firstPage_ = true;
    return surface_.get();
}

Rect QtPrinterDevice::PageRect() const {
    const DeviceCaps caps = PrinterCaps(printer_);
    return {0, 0, caps.area.cx, caps.area.cy};
}

bool QtPrinterDevice::StartPage() {
    if (preview_)
        return true;
    if (!firstPage_ && !printer_.newPage()) {
        error_ = "The printer " + Quoted(PrinterName()) + " stopped taking pages.";
        return false;
    }
    firstPage_ = false;
    return true;
}

bool QtPrinterDevice::EndPage() {
    if (!preview_ && printer_.printerState() == QPrinter::Error) {
        error_ = "The printer " + Quoted(PrinterName()) + " reported an error.";
        return false;
    }
    return true;
}

bool QtPrinterDevice::EndDocument() {
    if (!painter_)
        return preview_;
    surface_->SetPainter(nullptr);
    const bool ended = painter_->end();
    painter_.reset();
    if (!ended || printer_.printerState() == QPrinter::Error) {
        error_ = "The document could not be completed on " + Quoted(PrinterName()) + ".";
        return false;
    }
    return true;
}

void QtPrinterDevice::AbortDocument() {
    if (surface_)
        surface_->SetPainter(nullptr);
    if (!painter_)
        return;
    printer_.abort();
    painter_->end();
    painter_.reset();
    // A file cut short is no document: it goes.
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty())
        QFile::remove(printer_.outputFileName());
}

bool QtPrinterDevice::Progress(PrintStage stage, int64_t done, int64_t total) {
    return !progress_ || progress_->Report(stage, done, total);
}

// ---- The preview window

QtPreviewWindow::QtPreviewWindow(QPrinter& printer, PrintableView& view, QString title,
                                 QWidget* parent)
    : QDialog(parent), printer_(printer), progress_(this, QStringLiteral("Print Preview")),
      device_(printer, this, &progress_, true), job_(view, device_), title_(std::move(title)) {
    setWindowTitle(QStringLiteral("Print Preview - %1").arg(title_));
    auto* print = new QPushButton(QStringLiteral("&Print..."), this);
    next_ = new QPushButton(QStringLiteral("&Next Page"), this);
    prev_ = new QPushButton(QStringLiteral("Pre&v Page"), this);
    zoomIn_ = new QPushButton(QStringLiteral("Zoom &In"), this);
    zoomOut_ = new QPushButton(QStringLiteral("Zoom &Out"), this);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    pageLabel_ = new QLabel(this);
    for (QPushButton* b : {print, next_, prev_, zoomIn_, zoomOut_, close})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {print, next_, prev_, zoomIn_, zoomOut_, close})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(pageLabel_);

    canvas_ = new QLabel;
    canvas_->setAlignment(Qt::AlignCenter);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(true);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(scroll_, 1);

    connect(print, &QPushButton::clicked, this, [this] {
        printRequested_ = true;
        accept();
    });
    connect(next_, &QPushButton::clicked, this, [this] { ShowPage(page_ + 1); });
    connect(prev_, &QPushButton::clicked, this, [this] { ShowPage(page_ > 1 ? page_ - 1 : 1); });
    connect(zoomIn_, &QPushButton::clicked, this, &QtPreviewWindow::ZoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &QtPreviewWindow::ZoomOut);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    QSize size(820, 900);
    if (const QScreen* s = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(s->availableSize() * 9 / 10);
    resize(size);
}

QtPreviewWindow::~QtPreviewWindow() {
    job_.End();
}

bool QtPreviewWindow::Start() {
    if (!job_.Begin(title_.toStdString(), error_))
        return false;
    page_ = 1;
    Render();
    if (count_ == 0) {
        // Cancelled while the pages were laid out.
        job_.End();
        return false;
    }
    return true;
}

void QtPreviewWindow::ShowPage(uint32_t page) {
    page = std::clamp<uint32_t>(page, 1, std::max<uint32_t>(count_, 1));
    if (page == page_ && !image_.isNull())
        return;
    page_ = page;
    Render();
}

void QtPreviewWindow::ZoomIn() {
    if (zoom_ < 2) {
        ++zoom_;
        Render();
    }
}

void QtPreviewWindow::ZoomOut() {
    if (zoom_ > 0) {
        --zoom_;
        Render();
    }
}

void QtPreviewWindow::Render() {
    const DeviceCaps caps = PrinterCaps(printer_);
    if (caps.page.cx <= 0 || caps.page.cy <= 0)
        return;
    // Before the window is first shown its parts have no size yet.
    if (!isVisible() && layout())
        layout()->activate();
    double scale = 1.0;
    if (zoom_ == 0) {
        const QSize room = scroll_->maximumViewportSize() - QSize(24, 24);
        scale = std::min(double(std::max(room.width(), 50)) / caps.page.cx,
                         double(std::max(room.height(), 50)) / caps.page.cy);
    } else {
        scale = double(logicalDpiX()) / caps.dpiX * zoom_;
    }
    const QSize size(std::max(1, int(std::lround(caps.page.cx * scale))),
                     std::max(1, int(std::lround(caps.page.cy * scale))));
    const qreal dpr = devicePixelRatioF();
    image_ = QImage(size * dpr, QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr);
    image_.fill(Qt::white);
    {
        QPainter painter(&image_);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        painter.translate(caps.offset.x, caps.offset.y);
        device_.SetPageTarget(&painter);
        job_.DrawPage(page_);
        device_.SetPageTarget(nullptr);
        painter.resetTransform();
        painter.setPen(Qt::gray);
        painter.drawRect(QRect(QPoint(0, 0), size - QSize(1, 1)));
    }
    count_ = job_.PageCount();
    canvas_->setPixmap(QPixmap::fromImage(image_));
    UpdateControls();
}

void QtPreviewWindow::UpdateControls() {
    pageLabel_->setText(QStringLiteral("Page %1 of %2").arg(page_).arg(count_));
    next_->setEnabled(page_ < count_);
    prev_->setEnabled(page_ > 1);
    zoomIn_->setEnabled(zoom_ < 2);
    zoomOut_->setEnabled(zoom_ > 0);
}

void QtPreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        ShowPage(page_ + 1);
        return;
    case Qt::Key_PageUp:
        ShowPage(page_ > 1 ? page_ - 1 : 1);
        return;
    case Qt::Key_Home:
        ShowPage(1);
        return;
    case Qt::Key_End:
        ShowPage(count_);
        return;
    case Qt::Key_Plus:
        ZoomIn();
        return;
    case Qt::Key_Minus:
        ZoomOut();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void QtPreviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (zoom_ == 0 && count_ > 0)
        Render();
}

// ---- The application's printing

QtPrinting::QtPrinting() = default;
QtPrinting::~QtPrinting() = default;

QPrinter& QtPrinting::Printer() {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

PrintOutcome QtPrinting::Run(PrintableView& view, const QString& title, QWidget* parent,
                             bool direct) {
    QtPrintProgress progress(parent, QStringLiteral("Print"));
    QtPrinterDevice device(Printer(), parent, &progress);
    return RunPrintJob(view, device, title.toStdString(), direct);
}

PrintOutcome QtPrinting::Print(PrintableView& view, const QString& title, QWidget* parent) {
    return Run(view, title, parent, false);
}

PrintOutcome QtPrinting::PrintDirect(PrintableView& view, const QString& title, QWidget* parent) {
    return Run(view, title, parent, true);
}

PrintOutcome QtPrinting::Preview(PrintableView& view, const QString& title, QWidget* parent) {
    PrintOutcome outcome;
    bool print = false;
    {
        QtPreviewWindow window(Printer(), view, title, parent);
        if (!window.Start()) {
            outcome.error = window.Error();
            outcome.result = outcome.error.empty() ? PrintResult::Cancelled : PrintResult::Failed;
            return outcome;
        }
        window.exec();
        print = window.PrintRequested();
        outcome.pages = window.PageCount();
    }
    // The preview's job is over before the print job starts.
    if (print)
        return Print(view, title, parent);
    outcome.result = PrintResult::Printed;
    return outcome;
}

bool QtPrinting::PrintSetup(QWidget* parent) {
    QPrintDialog dialog(&Printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    // Choosing a printer prints nothing: the button says so.
    if (auto* box = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

// ---- Page Setup

QtPageSetupDialog::QtPageSetupDialog(QWidget* parent, const PageMargins& margins, QPrinter& printer)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Page Setup"));
    const QPageLayout layout = printer.pageLayout();
    paperMm_ = layout.fullRect(QPageLayout::Millimeter).size();

    auto* paper = new QGroupBox(QStringLiteral("Paper"), this);
    auto* paperForm = new QFormLayout(paper);
    auto* size = new QComboBox(paper);
    size->addItem(layout.pageSize().name());
    auto* source = new QComboBox(paper);
    source->addItem(QStringLiteral("Automatically Select"));
    paperForm->addRow(QStringLiteral("Si&ze:"), size);
    paperForm->addRow(QStringLiteral("&Source:"), source);
    paper->setEnabled(false);

    auto* orientation = new QGroupBox(QStringLiteral("Orientation"), this);
    auto* orientationBox = new QVBoxLayout(orientation);
    auto* portrait = new QRadioButton(QStringLiteral("P&ortrait"), orientation);
    auto* landscape = new QRadioButton(QStringLiteral("L&andscape"), orientation);
    (layout.orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
    orientationBox->addWidget(portrait);
    orientationBox->addWidget(landscape);
    orientation->setEnabled(false);

    auto* marginGroup = new QGroupBox(QStringLiteral("Margins (millimetres)"), this);
    auto* grid = new QGridLayout(marginGroup);
    const QString names[4] = {QStringLiteral("&Left:"), QStringLiteral("&Right:"),
                              QStringLiteral("&Top:"), QStringLiteral("&Bottom:")};
    const int32_t values[4] = {margins.left, margins.right, margins.top, margins.bottom};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QDoubleSpinBox(marginGroup);
        box->setDecimals(2);
        box->setSingleStep(1.0);
        box->setRange(0.0, i < 2 ? paperMm_.width() : paperMm_.height());
        box->setValue(values[i] / 100.0);
        auto* label = new QLabel(names[i], marginGroup);
        label->setBuddy(box);
        grid->addWidget(label, i / 2, (i % 2) * 2);
        grid->addWidget(box, i / 2, (i % 2) * 2 + 1);
        boxes_[i] = box;
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QtPageSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(paper, 1);
    top->addWidget(orientation);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(marginGroup);
    main->addWidget(buttons);
}

PageMargins QtPageSetupDialog::Margins() const {
    const auto hundredths = [](const QDoubleSpinBox* box) {
        return static_cast<int32_t>(std::lround(box->value() * 100.0));
    };
    return {hundredths(boxes_[Left]), hundredths(boxes_[Right]), hundredths(boxes_[Top]),
            hundredths(boxes_[Bottom])};
}

void QtPageSetupDialog::accept() {
    const PageMargins m = Margins();
    if (m.left + m.right >= std::lround(paperMm_.width() * 100.0) ||
        m.top + m.bottom >= std::lround(paperMm_.height() * 100.0)) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The margins overlap or they are off the paper. "
                                            "Enter a different margin size."));
        return;
    }
    QDialog::accept();
}

bool RunPageSetupDialog(QWidget* parent, PageMargins& margins, QPrinter& printer) {
    QtPageSetupDialog dialog(parent, margins, printer);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    margins = dialog.Margins();
    return true;
}

} // namespace platform::qt
