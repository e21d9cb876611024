// Fonts on the Qt backend: whatever face a description names, text is drawn with a fixed-pitch
// face whose glyphs fill exactly the cells the view lays text out in.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <optional>
#include <string>

#include "platform/qt/qt_surface.h"
#include "platformqt_app.h"

namespace {

using platform::LogFont;
using platform::qt::QtBitmap;
using platform::qt::QtFont;
using platform::qt::QtSurface;

bool Proportional(const QString& family) {
    QFont font(family);
    font.setPixelSize(16);
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(QLatin1Char('i')) !=
           metrics.horizontalAdvance(QLatin1Char('W'));
}

// An installed proportional face (every desktop has one).
std::optional<std::string> ProportionalFace() {
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isFixedPitch(family) && Proportional(family))
            return family.toStdString();
    return std::nullopt;
}

// The leftmost and rightmost inked column of `image`; {-1, -1} when nothing is inked.
std::pair<int, int> InkColumns(const QImage& image) {
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {left, right};
}

TEST(QtFont, MissingOrProportionalFacesDrawFixedPitchGlyphsInTheirCells) {
    std::vector<std::string> faces{"No Such Face Anywhere", "Courier New", ""};
    if (const std::optional<std::string> proportional = ProportionalFace())
        faces.push_back(*proportional);
    for (const std::string& face : faces) {
        SCOPED_TRACE("face \"" + face + "\"");
        LogFont lf;
        lf.lfHeight = 16;
        lf.SetFaceName(face);
        QtFont font(lf);
        // The description keeps the name it was given (the settings keep it too).
        EXPECT_EQ(font.GetLogFont().FaceName(), face);
        const QString drawnWith = QFontInfo(font.GetQFont()).family();
        EXPECT_FALSE(Proportional(drawnWith)) << drawnWith.toStdString();

        std::unique_ptr<QtSurface> dc = QtSurface::Memory(1.0, &font);
        dc->SelectFont(&font);
        const int cell = dc->GetTextExtent("X").cx;
        const int height = dc->GetTextExtent("X").cy;
        ASSERT_GT(cell, 0);
        // Narrow and wide letters advance by the cell width.
        const QFontMetricsF metrics(font.GetQFont());
        for (const char c : std::string("iW.M_")) {
            EXPECT_EQ(std::lround(metrics.horizontalAdvance(QLatin1Char(c))), cell) << c;
        }
        // Each glyph drawn in cell 1 of three keeps its ink inside that cell.
        for (const char c : std::string("WMmi|")) {
            auto bitmap = dc->CreateCompatibleBitmap(3 * cell, height);
            dc->SelectBitmap(bitmap.get());
            dc->FillSolidRect({0, 0, 3 * cell, height}, 0xFFFFFF);
            dc->SetTextColor(0x000000);
            dc->SetBkColor(0xFFFFFF);
            const std::string text{' ', c, ' '};
            dc->ExtTextOut(0, 0, 0, nullptr, text, nullptr);
            dc->SelectBitmap(nullptr);
            const auto [left, right] = InkColumns(static_cast<QtBitmap&>(*bitmap).Image());
            ASSERT_GE(left, 0) << c;
            EXPECT_GE(left, cell - 1) << c;
            EXPECT_LE(right, 2 * cell) << c;
        }
    }
}

} // namespace
