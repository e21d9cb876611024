// Drawing on Qt: fonts from LogFont descriptions, a Surface over a QPainter (window or memory
// context with an image bitmap), and image lists.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/surface.h"

namespace platform::qt {

QColor ToQColor(ColorRef c);
ColorRef FromQColor(const QColor& c);
QRect ToQRect(const Rect& r);
// Bytes shown through `page`, one QChar per byte.
QString DecodeBytes(std::string_view bytes, CodePage page);

// The family text in face `face` is drawn with (see QtFont): the face itself or the font it is
// an alias of when that is fixed pitch, else the system's fixed-pitch family.
QString FixedPitchFamily(const QString& face);

class QtFont final : public Font {
public:
    // Matches the description to an installed fixed-pitch font: a face that is missing (after the
    // toolkit's aliases, such as Courier New -> Liberation Mono), proportional, or empty gives the
    // system's fixed-pitch face. GetLogFont() keeps the face name as given. lfWidth, escapement,
    // orientation and the pitch-and-family byte are not used.
    explicit QtFont(const LogFont& lf);
    // Wraps a toolkit font as it is (the backend's default font).
    QtFont(const LogFont& lf, const QFont& font);

    const LogFont& GetLogFont() const override { return lf_; }
    const QFont& GetQFont() const { return font_; }
    const QFontMetrics& Metrics() const { return metrics_; }
    CodePage Page() const { return page_; }
    // Advance of one character; every character has the same one in a fixed-pitch font.
    int Advance(QChar ch) const;

    // How each byte of the font's code page is drawn: its advance and its glyph in the font's
    // own face. Glyph 0 means the face lacks the character, which is then drawn through the
    // toolkit's font fallback; blank bytes (space) have ink only through underline or strike-out.
    struct ByteGlyphs {
        QRawFont raw;
        std::array<quint32, 256> glyph{};
        std::array<int, 256> advance{};
        std::array<bool, 256> blank{};
        // How far ink may reach left of a glyph's cell and right of it.
        int overhangLeft = 0;
        int overhangRight = 0;
    };
    // Built on first use; lives as long as the font.
    const ByteGlyphs& Glyphs() const;

private:
    void Measure();

    LogFont lf_;
    QFont font_;
    QFontMetrics metrics_;
    CodePage page_;
    int cellAdvance_ = 0;
    bool uniform_ = false;
    mutable std::unique_ptr<ByteGlyphs> glyphs_;
};

// An off-screen picture: an opaque raster image, which the raster engine draws on and copies
// from without conversion.
class QtBitmap final : public Bitmap {
public:
    QtBitmap(int32_t cx, int32_t cy, qreal dpr);
    Size GetSize() const override { return size_; }
    QImage& Image() { return image_; }

private:
    Size size_;
    QImage image_;
};

// A window context (over the painter of a paint event, or with no painter for measuring only:
// drawing on it is dropped) or a memory context (its painter runs on the selected bitmap from
// the first drawing until another bitmap is selected or the context goes). A printer's context is
// a window context over a painter on the printer (or, in a preview, on the page shown), with the
// printer's device caps.
//
// Text is drawn as glyph runs of the font's face placed on the font's advances, with no text
// layout, and nothing is allocated per call once the scratch arrays have grown to the longest
// run.
class QtSurface final : public Surface {
public:
    QtSurface(QPainter* painter, qreal dpr, Font* defaultFont);
    static std::unique_ptr<QtSurface> Memory(qreal dpr, Font* defaultFont);
    ~QtSurface() override;

    void FillSolidRect(const Rect& rect, ColorRef color) override;
    void ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect, std::string_view text,
                    const int32_t* dx) override;
    Font* SelectFont(Font* font) override;
    ColorRef SetTextColor(ColorRef color) override;
    ColorRef SetBkColor(ColorRef color) override;
    ColorRef GetTextColor() const override { return text_; }
    ColorRef GetBkColor() const override { return back_; }
    int32_t SetBkMode(int32_t mode) override;
    Size GetTextExtent(std::string_view text) override;
    TextMetrics GetTextMetrics() override;
    bool GetCharWidth(uint8_t first, uint8_t last, int32_t* widths) override;
    int32_t GetDeviceCaps(int32_t index) const override { return caps_.Get(index); }
    std::unique_ptr<Surface> CreateCompatibleDC() override;
    std::unique_ptr<Bitmap> CreateCompatibleBitmap(int32_t cx, int32_t cy) override;
    Bitmap* SelectBitmap(Bitmap* bitmap) override;
    bool BitBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, Surface& source, int32_t xSrc,
                int32_t ySrc) override;
    Rect GetClipBox() const override { return clipBox_; }
    // A window context: the bounds of the area its paint event may change.
    void SetClipBox(const Rect& box) { clipBox_ = box; }

    // The painter to draw with now; null when drawing goes nowhere.
    QPainter* Painter();
    // Window contexts: draw with `painter` from now on (null: nowhere).
    void SetPainter(QPainter* painter);
    void SetDeviceCaps(const DeviceCaps& caps) { caps_ = caps; }

private:
    QtSurface(qreal dpr, Font* defaultFont);
    void EndMemoryPainter();
    QtFont& CurrentFont() const { return *static_cast<QtFont*>(font_); }
    void SetPen(QPainter& p, ColorRef color);
    // Draws the glyphs of `text` with their cells starting at `x` (in xs_) on `baseline`.
    void DrawGlyphs(QPainter& p, const QtFont& font, std::string_view text, int baseline);

    QPainter* painter_ = nullptr; // window context: not owned
    Rect clipBox_ = Surface::GetClipBox();
    bool memory_ = false;
    std::unique_ptr<QPainter> ownPainter_;
    QtBitmap* bitmap_ = nullptr;
    qreal dpr_;
    DeviceCaps caps_;
    Font* defaultFont_;
    Font* font_;
    ColorRef text_ = 0x000000;
    ColorRef back_ = 0xFFFFFF;
    int32_t mode_ = OPAQUE;
    // The pen colour the current painter has; CLR_NONE: not known.
    ColorRef pen_ = CLR_NONE;
    // Scratch of ExtTextOut: the left edge of every character's cell, and a glyph run.
    std::vector<int> xs_;
    std::vector<quint32> runGlyphs_;
    std::vector<QPointF> runPositions_;
    QGlyphRun run_;
};

class QtImageList final : public ImageList {
public:
    QtImageList(const BitmapData& strip, int32_t imageWidth, ColorRef mask);
    int32_t GetImageCount() const override { return count_; }
    Size GetImageSize() const override { return size_; }
    bool Draw(Surface& surface, int32_t index, Point at) override;

private:
    QImage image_;
    int32_t count_;
    Size size_;
};

} // namespace platform::qt
