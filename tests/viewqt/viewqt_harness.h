// A text view with the Z80 parser as its parse hook, hosted on the Qt backend, showing a Z80 file
// loaded from disk; and the helpers the tests read pixels with.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "buffer/textbuffer.h"
#include "common/qt_test_app.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_window.h"
#include "syntax/z80parser.h"
#include "view/textview.h"

namespace viewqt {

using platform::ColorRef;

// Registered once for the whole test program, whichever test files it holds.
inline ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new qttest::QtAppEnvironment("viewqt_tests"));

// A colour of its own for every logical colour, so a pixel tells which one painted it.
inline constexpr std::array<ColorRef, ColorIndexCount> kTestColors{
    0xE0FFE0, // ColorWhitespace: pale green
    0xFFFFFF, // ColorBackground: white
    0x000000, // ColorNormalText: black
    0xC0C0C0, // ColorSelectionMargin: grey
    0x800000, // ColorSelectionBackground: navy
    0x00FFFF, // ColorSelectedText: yellow
    0xFF0000, // ColorKeyword: blue
    0x008000, // ColorComment: green
    0x000080, // ColorNumber: maroon
    0x404040, // ColorOperator: dark grey
    0x0000FF, // ColorString: red
    0x808000, // ColorPreprocessor: teal
};

class Z80QtView : public CTextView {
public:
    CTextBuffer* found = nullptr;
    // Off: the view's own colours, which follow the system colours.
    bool testColors = true;
    std::vector<uint32_t> commands;

    uint32_t ColorizeLine(uint32_t state, int32_t line, TextBlock* blocks,
                          int32_t& count) override {
        return ColorizeZ80Line(state, GetLineText(line), TextLineLength(line), blocks, count);
    }
    ColorRef ColorOf(int32_t index) override {
        if (testColors && index >= 0 && index < ColorIndexCount)
            return kTestColors[static_cast<size_t>(index)];
        return CTextView::ColorOf(index);
    }
    CTextBuffer* FindTextBuffer() override { return found; }
    bool OnCommand(uint32_t id) override {
        commands.push_back(id);
        return CTextView::OnCommand(id);
    }
    bool OnCreate() override {
        if (!CTextView::OnCreate())
            return false;
        // Without antialiasing every glyph pixel has exactly the text colour.
        platform::LogFont font = GetBaseFont();
        font.lfHeight = 16;
        font.lfQuality = 3;
        font.SetFaceName("Courier New");
        SetBaseFont(font);
        return true;
    }
};

// Test texts use '\n' between lines; the file gets CR LF.
class Z80File {
public:
    explicit Z80File(const std::string& text) {
        std::string bytes;
        for (char c : text)
            bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
        path_ = dir_.filePath(QStringLiteral("source.asm"));
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // A buffer loaded from the file.
    void LoadInto(CTextBuffer& buffer) const {
        ASSERT_TRUE(buffer.ReadFromFile(path_.toStdString(), LineEndAuto))
            << buffer.LastFileError().Message();
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

inline std::unique_ptr<Z80QtView> MakeView(CTextBuffer* buffer) {
    auto view = std::make_unique<Z80QtView>();
    view->found = buffer;
    return view;
}

// The pixels of text cell (column, row) of a view, in its widget's coordinates.
inline QRect CellRect(CTextView& view, int32_t column, int32_t row) {
    return QRect(view.GetMarginPixels() + column * view.GetCellWidth(), row * view.GetRowHeight(),
                 view.GetCellWidth(), view.GetRowHeight());
}

// How many pixels of each colour an area holds.
inline std::map<ColorRef, int> ColorsIn(const QImage& image, const QRect& area) {
    std::map<ColorRef, int> count;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++count[platform::qt::FromQColor(image.pixelColor(x, y))];
    return count;
}

// What the screen shows of `widget` now: its part of the window's backing store, which holds
// what the last paints left there (unlike QWidget::grab, which paints afresh). A null image when
// the platform's backing store is not an image.
inline QImage OnScreen(QWidget* widget) {
    // Palette events and the paints they cause each arrive through the event queue.
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    QBackingStore* store = widget->window()->backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return {};
    const QImage& image = *static_cast<QImage*>(device);
    return image.copy(QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size()));
}

} // namespace viewqt
