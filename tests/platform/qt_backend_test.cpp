#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QFontInfo>
#include <QImage>
#include <QPalette>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

#include "common/qt_test_app.h"
#include "platform/headless/cellgrid.h"
#include "platform/qt/qt_window.h"
#include "recording_wnd.h"

namespace platform::qt {
namespace {

using test::RecordingWnd;

const auto* const kApp =
    ::testing::AddGlobalTestEnvironment(new qttest::QtAppEnvironment("platform_qt_test"));

constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kBlue = 0xFF0000;
constexpr ColorRef kGreen = 0x00C000;
constexpr ColorRef kYellow = 0x00FFFF;
constexpr ColorRef kWhite = 0xFFFFFF;

struct QtBackend : ::testing::Test {};

int CountPixels(const QImage& image, const QRect& area, ColorRef color) {
    int n = 0;
    const QRgb want = qRgb(GetRValue(color), GetGValue(color), GetBValue(color));
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF);
    return n;
}

ColorRef PixelAt(const QImage& image, int x, int y) {
    return FromQColor(image.pixelColor(x, y));
}

// Draws a red-on-blue run directly and a green-on-yellow run through a one-line memory bitmap.
struct PaintWnd : RecordingWnd {
    std::unique_ptr<Font> font;
    Size cell;

    bool OnCreate() override {
        LogFont lf;
        lf.lfHeight = 16;
        lf.lfWeight = FW_NORMAL;
        lf.lfQuality = 3; // no antialiasing: glyph pixels have exactly the text colour
        lf.SetFaceName("Courier New");
        font = CreateFontIndirect(lf);
        return font != nullptr;
    }
    void OnDraw(Surface& dc) override {
        const Rect client = GetClientRect();
        dc.SelectFont(font.get());
        cell = dc.GetTextExtent("X");
        dc.FillSolidRect(client, kWhite);
        dc.SetTextColor(kRed);
        dc.SetBkColor(kBlue);
        const Rect row{0, 0, client.right, cell.cy};
        dc.ExtTextOut(0, 0, ETO_CLIPPED, &row, "M M", nullptr);

        std::unique_ptr<Surface> mem = dc.CreateCompatibleDC();
        std::unique_ptr<Bitmap> line = dc.CreateCompatibleBitmap(client.right, cell.cy);
        mem->SelectBitmap(line.get());
        mem->SelectFont(font.get());
        mem->FillSolidRect({0, 0, client.right, cell.cy}, kYellow);
        mem->SetTextColor(kGreen);
        mem->SetBkColor(kYellow);
        mem->TextOut(cell.cx * 2, 0, "W");
        dc.BitBlt(0, 40, client.right, cell.cy, *mem, 0, 0);
        mem->SelectBitmap(nullptr);
    }
};

TEST_F(QtBackend, PaintedTextLandsInItsCellsWithItsColours) {
    QtWindow window(std::make_unique<PaintWnd>());
    window.resize(240, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage image = window.Host()->grab().toImage();
    auto& wnd = static_cast<PaintWnd&>(window.Host()->GetWnd());
    const Size cell = wnd.cell;
    ASSERT_GT(cell.cx, 3);
    ASSERT_GT(cell.cy, 8);
    EXPECT_GT(CountPixels(image, QRect(0, 0, cell.cx, cell.cy), kRed), 4) << "the M is red";
    EXPECT_EQ(CountPixels(image, QRect(cell.cx, 0, cell.cx, cell.cy), kBlue), cell.cx * cell.cy)
        << "the space cell is all background";
    EXPECT_EQ(CountPixels(image, QRect(cell.cx, 0, cell.cx, cell.cy), kRed), 0);
    EXPECT_EQ(PixelAt(image, cell.cx * 3 + 2, cell.cy / 2), kWhite) << "nothing after the run";
    EXPECT_EQ(PixelAt(image, 2, 30), kWhite);
    EXPECT_EQ(PixelAt(image, 1, 41), kYellow) << "the blitted line";
    EXPECT_GT(CountPixels(image, QRect(cell.cx * 2, 40, cell.cx, cell.cy), kGreen), 4);
    EXPECT_EQ(CountPixels(image, QRect(0, 40, cell.cx * 2, cell.cy), kGreen), 0);
}

TEST_F(QtBackend, TheCaretIsDrawnInvertedUntilHiddenAndMovesWithAScroll) {
    auto owned = std::make_unique<RecordingWnd>();
    owned->draw = [](Surface& dc) { dc.FillSolidRect({0, 0, 200, 200}, kWhite); };
    QtWindow window(std::move(owned));
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Wnd& wnd = window.Host()->GetWnd();
    wnd.CreateSolidCaret(2, 16);
    wnd.SetCaretPos({10, 4});
    wnd.ShowCaret();
    EXPECT_TRUE(window.Host()->CaretVisible());
    QImage image = window.Host()->grab().toImage();
    EXPECT_EQ(PixelAt(image, 10, 10), 0u);
    EXPECT_EQ(PixelAt(image, 11, 19), 0u);
    EXPECT_EQ(PixelAt(image, 12, 10), kWhite) << "two pixels wide";
    EXPECT_EQ(PixelAt(image, 10, 20), kWhite) << "one line high";
    wnd.HideCaret();
    image = window.Host()->grab().toImage();
    EXPECT_EQ(PixelAt(image, 10, 10), kWhite);

    wnd.ShowCaret();
    wnd.ScrollWindow(0, 16);
    EXPECT_TRUE(window.Host()->CaretVisible());
    EXPECT_EQ(window.Host()->CaretRect(), (Rect{10, 20, 12, 36}));
    // What the window shows, read from its backing store where the platform keeps one.
    QApplication::processEvents();
    QBackingStore* store = window.backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        GTEST_SKIP() << "the platform's backing store is not an image";
    const QImage screen = static_cast<QImage*>(device)->copy(
        QRect(window.Host()->mapTo(&window, QPoint(0, 0)), window.Host()->size()));
    EXPECT_EQ(PixelAt(screen, 10, 24), 0u) << "the caret at its new place";
    EXPECT_EQ(PixelAt(screen, 10, 8), kWhite) << "and no trace of it at the old one";
}

TEST_F(QtBackend, AcceleratorKeysBeatWindowShortcutsAndTextBecomesCharacters) {
    const AccelTable table{{FVIRTKEY | FCONTROL, 'C', 57634}, {FVIRTKEY, VK_TAB, 37003}};
    QWidget top;
    int copyShortcut = 0;
    int quitShortcut = 0;
    auto* copy = new QAction(&top);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QObject::connect(copy, &QAction::triggered, [&] { ++copyShortcut; });
    top.addAction(copy);
    auto* quit = new QAction(&top);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QObject::connect(quit, &QAction::triggered, [&] { ++quitShortcut; });
    top.addAction(quit);
    auto owned = std::make_unique<RecordingWnd>();
    owned->accelerators = &table;
    auto* window = new QtWindow(std::move(owned), &top);
    auto* other = new QWidget(&top);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* box = new QVBoxLayout(&top);
    box->addWidget(window);
    box->addWidget(other);
    top.resize(300, 200);
    top.show();
    QApplication::setActiveWindow(&top);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
    QtWndHost* host = window->Host();
    host->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), host);
    auto& wnd = static_cast<RecordingWnd&>(host->GetWnd());

    QTest::keyClick(host, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(wnd.commands, (std::vector<uint32_t>{57634}));
    EXPECT_EQ(copyShortcut, 0) << "the window's own table claims Ctrl+C first";
    QTest::keyClick(host, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quitShortcut, 1) << "keys outside the table still reach window shortcuts";
    QTest::keyClick(host, Qt::Key_Tab);
    EXPECT_EQ(wnd.commands, (std::vector<uint32_t>{57634, 37003}));
    EXPECT_EQ(QApplication::focusWidget(), host) << "Tab does not move the focus";

    wnd.chars.clear();
    QTest::keyClicks(host, "a");
    const auto typeText = [host](Qt::Key key, const QString& text) {
        QTest::sendKeyEvent(QTest::Press, host, key, text, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, host, key, text, Qt::NoModifier);
    };
    typeText(Qt::Key_Eacute, QString(QChar(0xE9)));
    typeText(Qt::Key_unknown, QString(QChar(0x416))); // no Cyrillic in the window's code page
    QTest::keyClick(host, Qt::Key_Return);
    EXPECT_EQ(wnd.chars, (std::vector<uint32_t>{'a', 0xE9, 13}));
    QTest::keyClick(host, Qt::Key_Left);
    EXPECT_EQ(wnd.keys.back(), VK_LEFT);
    EXPECT_EQ(wnd.chars.size(), 3u) << "keys without text type nothing";
}

TEST_F(QtBackend, ResizingUpdatesTheScrollBarsWhichStayVisible) {
    auto owned = std::make_unique<RecordingWnd>();
    RecordingWnd* wnd = owned.get();
    owned->size = [wnd](int32_t, int32_t cy) {
        ScrollInfo si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
        si.nMax = 19; // twenty lines of 16 pixels
        si.nPage = static_cast<uint32_t>(cy / 16);
        wnd->SetScrollInfo(SB_VERT, si);
    };
    QtWindow window(std::move(owned));
    window.resize(200, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = window.VerticalBar()->Widget();
    EXPECT_GE(window.Host()->height(), 320);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isEnabled()) << "everything fits";

    window.resize(200, 160 + window.HorizontalBar()->Widget()->sizeHint().height());
    QApplication::processEvents();
    ASSERT_EQ(window.Host()->height(), 160);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->pageStep(), 10);
    EXPECT_EQ(bar->maximum(), 10);
}

TEST_F(QtBackend, UserScrollActionsReachTheWindowAndTheWindowDecidesThePosition) {
    auto owned = std::make_unique<RecordingWnd>();
    RecordingWnd* wnd = owned.get();
    owned->vscroll = [wnd](uint32_t code, int32_t pos) {
        ScrollInfo si;
        si.fMask = SIF_POS;
        wnd->GetScrollInfo(SB_VERT, si);
        if (code == SB_LINEDOWN)
            si.nPos += 1;
        else if (code == SB_THUMBTRACK)
            si.nPos = pos;
        wnd->SetScrollInfo(SB_VERT, si);
    };
    QtWindow window(std::move(owned));
    window.resize(200, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMax = 99;
    si.nPage = 10;
    wnd->SetScrollInfo(SB_VERT, si);
    QScrollBar* bar = window.VerticalBar()->Widget();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(wnd->vscrolls.back().first, SB_LINEDOWN);
    EXPECT_EQ(bar->value(), 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(wnd->vscrolls.back().first, SB_PAGEDOWN);
    EXPECT_EQ(bar->value(), 1) << "the window ignored the page step, so the bar stays";
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(wnd->vscrolls.back().first, SB_BOTTOM);
    bar->setSliderPosition(42);
    EXPECT_EQ(wnd->vscrolls.back(), (std::pair<uint32_t, int32_t>{SB_THUMBTRACK, 42}));
    EXPECT_EQ(bar->value(), 42);

    // A wheel notch the window leaves scrolls the desktop's lines, and the bar shows it.
    wnd->vscrolls.clear();
    const QPointF at(50, 50);
    QWheelEvent wheel(at, window.Host()->mapToGlobal(at), QPoint(), QPoint(0, -WHEEL_DELTA),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.Host(), &wheel);
    const int lines = QApplication::wheelScrollLines();
    ASSERT_EQ(wnd->vscrolls.size(), static_cast<size_t>(lines) + 1);
    EXPECT_EQ(wnd->vscrolls.front().first, SB_LINEDOWN);
    EXPECT_EQ(wnd->vscrolls.back().first, SB_ENDSCROLL);
    EXPECT_EQ(bar->value(), 42 + lines);
}

TEST_F(QtBackend, MarginCursorIsOurOwnPicture) {
    QtWindow window(std::make_unique<RecordingWnd>());
    Wnd& wnd = window.Host()->GetWnd();
    wnd.SetCursor(IDC_MARGIN);
    EXPECT_EQ(window.Host()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window.Host()->cursor().hotSpot(), QPoint(15, 0));
    wnd.SetCursor(IDC_IBEAM);
    EXPECT_EQ(window.Host()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(QtBackend, FixedFacesFallBackToAFaceWithUniformCells) {
    struct Case {
        const char* face;
        int32_t height;
        uint8_t charSet;
        CodePage page;
    };
    const Case cases[] = {
        {"FixedSys", 0, DEFAULT_CHARSET, CodePage::Windows1252},
        {"Courier New", 20, RUSSIAN_CHARSET, CodePage::Windows1251},
        {"Courier New", -12, ANSI_CHARSET, CodePage::Windows1252},
    };
    for (const Case& c : cases) {
        LogFont lf;
        lf.lfHeight = c.height;
        lf.lfCharSet = c.charSet;
        lf.SetFaceName(c.face);
        QtFont font(lf);
        EXPECT_EQ(font.Page(), c.page);
        const QFontMetrics& m = font.Metrics();
        EXPECT_EQ(m.horizontalAdvance(QLatin1Char('i')), m.horizontalAdvance(QLatin1Char('W')))
            << c.face << " matched " << QFontInfo(font.GetQFont()).family().toStdString();
        if (c.height > 0) {
            EXPECT_NEAR(font.Metrics().height(), c.height, 2) << c.face;
        }
    }
}

TEST_F(QtBackend, ObjectsOfTheOtherBackendAreRefusedNotMisused) {
    QtWindow window(std::make_unique<RecordingWnd>());
    std::unique_ptr<Surface> dc = window.Host()->GetDC();
    const Size plain = dc->GetTextExtent("abc");
    headless::HeadlessFont foreignFont(LogFont{});
    dc->SelectFont(&foreignFont);
    EXPECT_EQ(dc->GetTextExtent("abc"), plain) << "the default font stays in use";

    headless::HeadlessSurface foreignScreen(nullptr, {}, false);
    std::unique_ptr<Surface> foreignMem = foreignScreen.CreateCompatibleDC();
    std::unique_ptr<Bitmap> foreignBitmap = foreignScreen.CreateCompatibleBitmap(10, 10);
    foreignMem->SelectBitmap(foreignBitmap.get());
    EXPECT_FALSE(dc->BitBlt(0, 0, 10, 10, *foreignMem, 0, 0));

    std::unique_ptr<Surface> mem = dc->CreateCompatibleDC();
    EXPECT_EQ(mem->SelectBitmap(foreignBitmap.get()), nullptr);
    EXPECT_FALSE(dc->BitBlt(0, 0, 10, 10, *mem, 0, 0)) << "nothing was selected";
}

TEST_F(QtBackend, NothingIsErasedBeforeOnDrawAndPaletteChangesArriveOnce) {
    auto owned = std::make_unique<RecordingWnd>();
    RecordingWnd* wnd = owned.get();
    owned->draw = [](Surface& dc) { dc.FillSolidRect({0, 0, 400, 400}, kRed); };
    QtWindow window(std::move(owned));
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    // The second paint leaves the right half alone: it must still show the first paint.
    wnd->draw = [](Surface& dc) { dc.FillSolidRect({0, 0, 20, 400}, kBlue); };
    window.Host()->repaint();
    QPaintDevice* device = window.backingStore()->paintDevice();
    if (device && device->devType() == QInternal::Image) {
        const QImage& screen = *static_cast<QImage*>(device);
        const QPoint host = window.Host()->mapTo(&window, QPoint(0, 0));
        EXPECT_EQ(PixelAt(screen, host.x() + 5, host.y() + 5), kBlue);
        EXPECT_EQ(PixelAt(screen, host.x() + 60, host.y() + 5), kRed);
    }

    const QPalette original = QApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::Base, QColor(0x20, 0x30, 0x40));
    QApplication::setPalette(changed);
    QApplication::processEvents();
    EXPECT_EQ(wnd->sysColorChanges, 1) << "one change, however many palette events";
    EXPECT_EQ(wnd->GetSysColor(COLOR_WINDOW), Rgb(0x20, 0x30, 0x40));
    changed.setColor(QPalette::ToolTipBase, QColor(1, 2, 3)); // no colour the engine asks for
    QApplication::setPalette(changed);
    QApplication::processEvents();
    EXPECT_EQ(wnd->sysColorChanges, 1);
    QApplication::setPalette(original);
    QApplication::processEvents();
    EXPECT_EQ(wnd->sysColorChanges, 2);
}

} // namespace
} // namespace platform::qt
