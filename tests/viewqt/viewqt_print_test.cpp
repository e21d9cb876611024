// Printing on Qt Print Support for real: a hosted view printed through QPrinter into a PDF file,
// read back with poppler's pdfinfo and pdftotext; a printer that cannot be opened; Cancel in the
// progress dialog; the preview window; the Page Setup dialog.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <string>
#include <vector>

#include "platform/qt/qt_print.h"
#include "viewqt_harness.h"

namespace viewqt {
namespace {

using platform::PrintResult;
using platform::qt::QtPrinting;
using platform::qt::QtWindow;

// The output of a poppler tool on `pdf`; the test fails when the tool is missing.
QString Poppler(const char* tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        ADD_FAILURE() << tool << " is missing: install poppler-utils (scripts/install-deps.sh)";
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PageCountOf(const QString& pdf) {
    for (const QString& line : Poppler("pdfinfo", {pdf}).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The text of each page.
QStringList PagesOf(const QString& pdf) {
    QStringList pages = Poppler("pdftotext", {"-layout", pdf, "-"}).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// A view hosted in a window of its own, on a text given with '\n' between lines.
struct Hosted {
    explicit Hosted(const std::string& text) : file(text) {
        file.LoadInto(buffer);
        auto made = MakeView(&buffer);
        view = made.get();
        window = std::make_unique<QtWindow>(std::move(made));
        window->resize(400, 300);
        view->ConnectBuffer(&buffer);
    }
    Z80File file;
    CTextBuffer buffer;
    Z80QtView* view = nullptr;
    std::unique_ptr<QtWindow> window;
};

// 300 numbered lines, then one line of 400 numbered words that wraps over several printed rows.
std::string Document() {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line" + std::to_string(1000 + i) + " ld a,(ix+" + std::to_string(i % 100) + ")\n";
    for (int i = 0; i < 400; ++i)
        text += "w" + std::to_string(1000 + i) + " ";
    return text + "\nend";
}

TEST(QtPrint, PdfFileThroughTheRealPrintPath) {
    Hosted h(Document());
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    QtPrinting printing;
    printing.Printer().setOutputFormat(QPrinter::PdfFormat);
    printing.Printer().setOutputFileName(pdf);
    const platform::PrintOutcome outcome =
        printing.PrintDirect(*h.view, "source.asm", h.window.get());
    ASSERT_EQ(outcome.result, PrintResult::Printed) << outcome.error;

    const int count = PageCountOf(pdf);
    EXPECT_GE(count, 2);
    EXPECT_EQ(static_cast<int>(outcome.pages), count);
    const QStringList pages = PagesOf(pdf);
    ASSERT_EQ(pages.size(), count);
    QString all;
    for (int p = 0; p < count; ++p) {
        EXPECT_TRUE(pages[p].contains(QStringLiteral("Page %1/%2").arg(p + 1).arg(count)))
            << "page " << p + 1 << ":\n"
            << pages[p].toStdString();
        all += pages[p];
    }
    // Every line and every word of the wrapped line, in order, and the wrapped line on more
    // than one row.
    qsizetype at = 0;
    for (int i = 0; i < 300; ++i) {
        at = all.indexOf(QStringLiteral("line%1 ld a,(ix+%2)").arg(1000 + i).arg(i % 100), at);
        ASSERT_GE(at, 0) << "line " << i;
    }
    const qsizetype wrappedFrom = at;
    for (int i = 0; i < 400; ++i) {
        at = all.indexOf(QStringLiteral("w%1").arg(1000 + i), at);
        ASSERT_GE(at, 0) << "word " << i;
    }
    EXPECT_GT(all.mid(wrappedFrom, at - wrappedFrom).count('\n'), 2) << "wrapped over rows";
    EXPECT_GT(all.indexOf("end", at), at);
    EXPECT_FALSE(h.view->GetPrintJob().printPageStarts.has_value());
}

TEST(QtPrint, FileThatCannotBeWrittenFailsWithItsName) {
    Hosted h("ld a,1");
    QtPrinting printing;
    printing.Printer().setOutputFormat(QPrinter::PdfFormat);
    printing.Printer().setOutputFileName("/nonexistent-folder/out.pdf");
    const platform::PrintOutcome outcome = printing.PrintDirect(*h.view, "t", h.window.get());
    EXPECT_EQ(outcome.result, PrintResult::Failed);
    EXPECT_NE(outcome.error.find("/nonexistent-folder/out.pdf"), std::string::npos)
        << outcome.error;
}

// Cancel in the progress dialog ends the job: no file is left, the view's job is over.
TEST(QtPrint, CancelInTheProgressDialog) {
    std::string text;
    for (int i = 0; i < 60000; ++i)
        text += "line " + std::to_string(i) + "\n";
    Hosted h(text);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("cancelled.pdf");
    QtPrinting printing;
    printing.Printer().setOutputFormat(QPrinter::PdfFormat);
    printing.Printer().setOutputFileName(pdf);
    bool sawDialog = false;
    QTimer cancel;
    cancel.setInterval(50);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog && dialog->isVisible()) {
                sawDialog = true;
                dialog->cancel();
            }
    });
    cancel.start();
    const platform::PrintOutcome outcome = printing.PrintDirect(*h.view, "t", h.window.get());
    cancel.stop();
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(outcome.result, PrintResult::Cancelled);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(h.view->GetPrintJob().printPageStarts.has_value());
    EXPECT_EQ(h.view->GetPrintJob().printFont, nullptr);
}

TEST(QtPrint, PreviewWindowShowsPagesOnDemand) {
    Hosted h(Document());
    QtPrinting printing;
    {
        platform::qt::QtPreviewWindow window(printing.Printer(), *h.view, "source.asm",
                                             h.window.get());
        ASSERT_TRUE(window.Start()) << window.Error();
        const uint32_t count = window.PageCount();
        EXPECT_GE(count, 2u);
        EXPECT_EQ(window.CurrentPage(), 1u);
        ASSERT_FALSE(window.PageImage().isNull());
        // Ink on a white page: something dark was drawn.
        const QImage page = window.PageImage().convertToFormat(QImage::Format_Grayscale8);
        int dark = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(dark, 100);
        const QSize fitted = window.PageImage().size();
        window.ShowPage(count + 5);
        EXPECT_EQ(window.CurrentPage(), count);
        window.ShowPage(1);
        window.ZoomIn();
        window.ZoomIn();
        EXPECT_GT(window.PageImage().width(), fitted.width());
        EXPECT_TRUE(h.view->GetPrintJob().printPageStarts.has_value());
    }
    EXPECT_FALSE(h.view->GetPrintJob().printPageStarts.has_value()) << "closing ends the job";
}

TEST(QtPrint, PageSetupDialog) {
    QPrinter printer(QPrinter::HighResolution);
    platform::qt::QtPageSetupDialog dialog(nullptr, {1000, 1500, 2000, 2545}, printer);
    using Side = platform::qt::QtPageSetupDialog::Side;
    EXPECT_DOUBLE_EQ(dialog.MarginBox(Side::Left)->value(), 10.0);
    EXPECT_DOUBLE_EQ(dialog.MarginBox(Side::Bottom)->value(), 25.45);
    // Paper and orientation are shown, not offered.
    int disabledGroups = 0;
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        disabledGroups += !group->isEnabled();
    EXPECT_EQ(disabledGroups, 2);
    dialog.MarginBox(Side::Right)->setValue(12.34);
    EXPECT_EQ(dialog.Margins(), (platform::PageMargins{1000, 1234, 2000, 2545}));

    // Margins that overlap are refused with a message; the dialog stays.
    dialog.MarginBox(Side::Left)->setValue(150);
    dialog.MarginBox(Side::Right)->setValue(150);
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

} // namespace
} // namespace viewqt
