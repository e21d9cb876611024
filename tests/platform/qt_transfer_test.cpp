// Text at the Qt boundary: the application's MIME data (its exact bytes in the private format,
// plain text for others), the clipboard read back inside and outside the application, drags of
// files, and drag events reaching a hosted window's drop target with its periodic scroll calls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_transfer.h"
#include "platform/qt/qt_window.h"
#include "recording_wnd.h"

namespace platform::qt {
namespace {

// The application object is that of qt_backend_test.cpp.

const QString kPrivate = QString::fromLatin1(kPrivateTextFormat.data());

QByteArray Raw(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

TEST(QtTransfer, ApplicationMimeDataCarriesExactBytesAndPlainText) {
    const std::string bytes("ld a,\0\xC0\r\nret\r\n", 14);
    TransferMimeData data(bytes, CodePage::Windows1251);
    EXPECT_TRUE(data.hasFormat(kPrivate));
    EXPECT_TRUE(data.hasText());
    EXPECT_TRUE(data.formats().contains("text/plain"));
    EXPECT_EQ(data.data(kPrivate), Raw(bytes));
    EXPECT_EQ(data.text(), QString::fromUtf8(Raw(std::string("ld a,\0\xD0\x90\nret\n", 13))));
    EXPECT_EQ(data.data("text/plain;charset=utf-8"),
              Raw(std::string("ld a,\0\xD0\x90\nret\n", 13)));
}

TEST(QtTransfer, ReadingMimeData) {
    struct Row {
        const char* what;
        std::function<void(QMimeData&)> fill;
        std::optional<std::string> text; // in Windows-1252
    };
    const Row rows[] = {
        {"nothing", [](QMimeData&) {}, std::nullopt},
        {"another application's text", [](QMimeData& d) { d.setText(u8"caf\u00E9\nok\u0101"); },
         "caf\xE9\r\nok?"},
        // Another instance of this application: its bytes, not its plain text.
        {"another instance",
         [](QMimeData& d) {
             d.setData(kPrivate, Raw(std::string("a\0b\r\n", 5)));
             d.setText("other");
         },
         std::string("a\0b\r\n", 5)},
        {"an image only", [](QMimeData& d) { d.setData("image/png", "PNG"); }, std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QMimeData data;
        r.fill(data);
        EXPECT_EQ(MimeHasText(&data), r.text.has_value());
        EXPECT_EQ(MimeText(&data, CodePage::Windows1252), r.text);
    }
    // Files dragged in are left to whoever opens files, whatever text comes with them.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/prog.asm")});
    files.setText("/tmp/prog.asm");
    EXPECT_FALSE(QtDragData(&files, nullptr).HasText());
    EXPECT_TRUE(MimeHasText(&files)); // a pasted file name is text
    QMimeData web;
    web.setUrls({QUrl("https://example.org/")});
    web.setText("https://example.org/");
    EXPECT_TRUE(QtDragData(&web, nullptr).HasText());
}

TEST(QtTransfer, ClipboardRoundTrips) {
    QtSystem& system = QtSystem::Instance();
    Clipboard* clipboard = system.GetClipboard(ClipboardKind::Standard);
    ASSERT_NE(clipboard, nullptr);
    // The offscreen platform has no primary selection.
    EXPECT_EQ(system.GetClipboard(ClipboardKind::Selection) != nullptr,
              QGuiApplication::clipboard()->supportsSelection());

    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    ASSERT_TRUE(clipboard->SetText(every, CodePage::Windows1252));
    EXPECT_TRUE(clipboard->HasText());
    EXPECT_EQ(clipboard->GetText(CodePage::Windows1251), every);
    const std::string forOthers = TextForOtherApplications(every, CodePage::Windows1252);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), Raw(forOthers));

    QGuiApplication::clipboard()->setText(QString::fromUtf8(u8"\u0416\r\n\u20AC\n"));
    EXPECT_EQ(clipboard->GetText(CodePage::Windows1251), "\xC6\r\n\x88\r\n");
    EXPECT_EQ(clipboard->GetText(CodePage::Windows1252), "?\r\n\x80\r\n");
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(clipboard->HasText());
    EXPECT_EQ(clipboard->GetText(CodePage::Windows1252), std::nullopt);
}

// Records the drop target calls it gets and answers with the key state's effect.
struct Target final : DropTarget {
    std::vector<std::string> calls;
    int scrolls = 0;

    uint32_t Effect(uint32_t keys) const {
        return (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    uint32_t OnDragEnter(Wnd&, const DataObject& data, uint32_t keys, Point p) override {
        calls.push_back("enter " + std::to_string(p.x) + "," + std::to_string(p.y));
        return data.HasText() ? Effect(keys) : DROPEFFECT_NONE;
    }
    uint32_t OnDragOver(Wnd&, const DataObject& data, uint32_t keys, Point p) override {
        calls.push_back("over " + std::to_string(p.x) + "," + std::to_string(p.y));
        return data.HasText() ? Effect(keys) : DROPEFFECT_NONE;
    }
    void OnDragLeave(Wnd&) override { calls.emplace_back("leave"); }
    bool OnDrop(Wnd&, const DataObject& data, uint32_t effect, Point) override {
        calls.push_back("drop " + std::to_string(effect) + " " +
                        data.GetText(CodePage::Windows1252).value_or("-"));
        return true;
    }
    uint32_t OnDragScroll(Wnd&, uint32_t keys, Point) override {
        ++scrolls;
        return Effect(keys);
    }
};

TEST(QtTransfer, DragEventsReachTheDropTarget) {
    QtWindow window(std::make_unique<test::RecordingWnd>());
    window.resize(200, 100);
    window.show();
    QtWndHost& host = *window.Host();
    Target target;
    ASSERT_TRUE(host.GetWnd().RegisterDropTarget(&target));
    EXPECT_TRUE(host.acceptDrops());

    QMimeData data;
    data.setText("a\nb");
    const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(10, 20), both, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&host, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
    QDragMoveEvent move(QPoint(12, 22), both, &data, Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(&host, &move);
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);

    // While the drag rests, the target is asked to scroll every 50 ms.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 180)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(target.scrolls, 2);

    // A source that only lends its text gets a copy.
    QDragMoveEvent lent(QPoint(14, 24), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&host, &lent);
    EXPECT_EQ(lent.dropAction(), Qt::CopyAction);

    QDropEvent drop(QPointF(14, 24), both, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&host, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"enter 10,20", "over 12,22", "over 14,24",
                                                      "over 14,24", "drop 2 a\r\nb"}));
    const int scrolls = target.scrolls;
    clock.restart();
    while (clock.elapsed() < 120)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(target.scrolls, scrolls) << "no scroll calls once the drag is over";

    // Data without text is refused where it enters, and the window hears no more of it.
    QMimeData image;
    image.setData("image/png", "PNG");
    target.calls.clear();
    QDragEnterEvent refused(QPoint(5, 5), both, &image, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&host, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(target.calls, (std::vector<std::string>{"enter 5,5", "leave"}));

    host.GetWnd().RevokeDropTarget();
    EXPECT_FALSE(host.acceptDrops());
}

} // namespace
} // namespace platform::qt
