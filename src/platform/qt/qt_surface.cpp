#include "platform/qt/qt_surface.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::qt {
namespace {

// Cell height used when a description leaves the size to the backend.
constexpr int kDefaultCellHeight = 16;
constexpr uint8_t kNonAntialiasedQuality = 3;

// Whether narrow and wide letters take the same advance: what "fixed pitch" means for a grid of
// cells. (A font's own fixed-pitch flag is unreliable: some monospaced faces do not set it.)
bool HasUniformAdvance(const QFont& f) {
    const QFontMetricsF m(f);
    const qreal w = m.horizontalAdvance(QLatin1Char('W'));
    return w > 0 && m.horizontalAdvance(QLatin1Char('i')) == w &&
           m.horizontalAdvance(QLatin1Char('.')) == w && m.horizontalAdvance(QLatin1Char(' ')) == w;
}

// The system's fixed-pitch face, or the first installed face with uniform advances.
QFont FixedPitchFallback() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (HasUniformAdvance(f))
        return f;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            QFont candidate(family);
            if (HasUniformAdvance(candidate))
                return candidate;
        }
    }
    return f;
}

QFont MakeQFont(const LogFont& lf) {
    const QString face =
        QString::fromLatin1(lf.FaceName().data(), static_cast<qsizetype>(lf.FaceName().size()));
    // Text is laid out in a grid of equal cells, so only a fixed-pitch face will do. The face
    // named is matched the toolkit's way (an alias such as Courier New -> Liberation Mono counts);
    // a face that is missing, or proportional, gives the system's fixed-pitch face instead. The
    // description keeps the name it was given.
    QFont f;
    if (!face.isEmpty())
        f.setFamily(face);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    if (face.isEmpty() || !HasUniformAdvance(f))
        f = FixedPitchFallback();
    const int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::clamp(lf.lfWeight, 1, 1000);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    if (lf.lfQuality == kNonAntialiasedQuality)
        f.setStyleStrategy(QFont::NoAntialias);
    if (lf.lfHeight < 0) {
        f.setPixelSize(-lf.lfHeight);
    } else {
        // A cell height: pick the pixel size whose ascent + descent comes closest.
        const int cell = lf.lfHeight > 0 ? lf.lfHeight : kDefaultCellHeight;
        f.setPixelSize(cell);
        const int got = QFontMetrics(f).height();
        if (got > 0 && got != cell)
            f.setPixelSize(std::max(1, static_cast<int>(std::lround(double(cell) * cell / got))));
    }
    return f;
}

} // namespace

QString FixedPitchFamily(const QString& face) {
    LogFont lf;
    lf.SetFaceName(face.toLatin1().toStdString());
    return QFontInfo(MakeQFont(lf)).family();
}

QColor ToQColor(ColorRef c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

ColorRef FromQColor(const QColor& c) {
    return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
               static_cast<uint8_t>(c.blue()));
}

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QString DecodeBytes(std::string_view bytes, CodePage page) {
    QString s;
    s.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes)
        s.append(QChar(static_cast<char16_t>(ByteToUnicode(page, static_cast<uint8_t>(b)))));
    return s;
}

// ---------------------------------------------------------------------------------------------
// QtFont

QtFont::QtFont(const LogFont& lf) : QtFont(lf, MakeQFont(lf)) {}

QtFont::QtFont(const LogFont& lf, const QFont& font)
    : lf_(lf), font_(font), metrics_(font), page_(CodePageForCharSet(lf.lfCharSet)) {
    Measure();
}

void QtFont::Measure() {
    cellAdvance_ = metrics_.horizontalAdvance(QLatin1Char('X'));
    const qreal exact = QFontMetricsF(font_).horizontalAdvance(QLatin1Char('X'));
    uniform_ = HasUniformAdvance(font_) && std::abs(exact - std::round(exact)) < 1e-3;
}

int QtFont::Advance(QChar ch) const {
    return uniform_ ? cellAdvance_ : metrics_.horizontalAdvance(ch);
}

const QtFont::ByteGlyphs& QtFont::Glyphs() const {
    if (glyphs_)
        return *glyphs_;
    auto g = std::make_unique<ByteGlyphs>();
    g->raw = QRawFont::fromFont(font_);
    for (size_t b = 0; b < g->glyph.size(); ++b) {
        const char32_t u = ByteToUnicode(page_, static_cast<uint8_t>(b));
        const QChar ch(static_cast<char16_t>(u));
        g->advance[b] = Advance(ch);
        g->blank[b] = u == U' ';
        // Control characters go through the toolkit, which decides how to show them.
        const bool control = u < 0x20 || (u >= 0x7F && u < 0xA0);
        if (control || !g->raw.isValid() || !g->raw.supportsCharacter(ch))
            continue;
        quint32 index = 0;
        int count = 1;
        if (g->raw.glyphIndexesForChars(&ch, 1, &index, &count) && count == 1)
            g->glyph[b] = index;
    }
    g->overhangLeft = std::max(0, -metrics_.minLeftBearing());
    g->overhangRight = std::max(0, -metrics_.minRightBearing());
    if (font_.italic())
        g->overhangRight = std::max(g->overhangRight, cellAdvance_ / 2 + 1);
    glyphs_ = std::move(g);
    return *glyphs_;
}

// ---------------------------------------------------------------------------------------------
// QtBitmap

QtBitmap::QtBitmap(int32_t cx, int32_t cy, qreal dpr)
    : size_{std::max(0, cx), std::max(0, cy)},
      image_(QSize(std::max(1, size_.cx), std::max(1, size_.cy)) * dpr, QImage::Format_RGB32) {
    image_.setDevicePixelRatio(dpr);
    image_.fill(Qt::white);
}

// ---------------------------------------------------------------------------------------------
// QtSurface

QtSurface::QtSurface(QPainter* painter, qreal dpr, Font* defaultFont)
    : painter_(painter), dpr_(dpr), defaultFont_(defaultFont), font_(defaultFont) {
    if (QPaintDevice* device = painter ? painter->device() : nullptr)
        caps_ = DeviceCaps::Screen(device->logicalDpiX(), device->logicalDpiY(),
                                   {device->width(), device->height()});
}

QtSurface::QtSurface(qreal dpr, Font* defaultFont)
    : memory_(true), dpr_(dpr), defaultFont_(defaultFont), font_(defaultFont) {}

std::unique_ptr<QtSurface> QtSurface::Memory(qreal dpr, Font* defaultFont) {
    return std::unique_ptr<QtSurface>(new QtSurface(dpr, defaultFont));
}

QtSurface::~QtSurface() {
    EndMemoryPainter();
}

void QtSurface::EndMemoryPainter() {
    if (ownPainter_) {
        ownPainter_->end();
        ownPainter_.reset();
        pen_ = CLR_NONE;
    }
}

QPainter* QtSurface::Painter() {
    if (!memory_)
        return painter_;
    if (!bitmap_)
        return nullptr;
    if (!ownPainter_) {
        ownPainter_ = std::make_unique<QPainter>(&bitmap_->Image());
        pen_ = CLR_NONE;
    }
    return ownPainter_.get();
}

void QtSurface::SetPainter(QPainter* painter) {
    if (memory_)
        return;
    painter_ = painter;
    pen_ = CLR_NONE;
}

void QtSurface::SetPen(QPainter& p, ColorRef color) {
    if (pen_ != color) {
        p.setPen(ToQColor(color));
        pen_ = color;
    }
}

void QtSurface::FillSolidRect(const Rect& rect, ColorRef color) {
    if (QPainter* p = Painter(); p && !rect.IsEmpty())
        p->fillRect(ToQRect(rect), ToQColor(color));
}

void QtSurface::ExtTextOut(int32_t x, int32_t y, uint32_t options, const Rect* rect,
                           std::string_view text, const int32_t* dx) {
    QPainter* p = Painter();
    if (!p)
        return;
    const QtFont& font = CurrentFont();
    const QtFont::ByteGlyphs& g = font.Glyphs();
    const int height = font.Metrics().height();

    xs_.resize(text.size() + 1);
    int right = x;
    for (size_t i = 0; i < text.size(); ++i) {
        xs_[i] = right;
        right += dx ? dx[i] : g.advance[static_cast<uint8_t>(text[i])];
    }
    xs_[text.size()] = right;

    const bool clipped = (options & ETO_CLIPPED) && rect;
    const QRect clip = clipped ? ToQRect(*rect) : QRect();
    if ((options & ETO_OPAQUE) && rect && !rect->IsEmpty())
        p->fillRect(ToQRect(*rect), ToQColor(back_));
    if (mode_ == OPAQUE && right > x) {
        QRect cells(x, y, right - x, height);
        if (clipped)
            cells = cells.intersected(clip);
        if (!cells.isEmpty())
            p->fillRect(cells, ToQColor(back_));
    }
    if (text.empty() || (clipped && clip.isEmpty()))
        return;

    // The painter clips only when some ink could leave `rect`: usually just the run that reaches
    // past a line's right edge.
    const QRect ink(QPoint(std::min(x, right) - g.overhangLeft, y),
                    QPoint(std::max(x, right) + g.overhangRight - 1, y + height - 1));
    const bool clipPainter = clipped && !clip.contains(ink);
    SetPen(*p, text_);
    const bool hadClip = clipPainter && p->hasClipping();
    if (hadClip) {
        p->save();
        p->setClipRect(clip, Qt::IntersectClip);
    } else if (clipPainter) {
        p->setClipRect(clip);
    }
    DrawGlyphs(*p, font, text, y + font.Metrics().ascent());
    if (hadClip)
        p->restore();
    else if (clipPainter)
        p->setClipping(false);
}

void QtSurface::DrawGlyphs(QPainter& p, const QtFont& font, std::string_view text, int baseline) {
    const QtFont::ByteGlyphs& g = font.Glyphs();
    const QFont& qfont = font.GetQFont();
    // Blank cells carry ink only as part of an underline or a strike-out line.
    const bool decorated = qfont.underline() || qfont.strikeOut();
    runGlyphs_.clear();
    runPositions_.clear();
    bool fallback = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (g.blank[b] && !decorated)
            continue;
        if (g.glyph[b] == 0) {
            fallback = true;
            continue;
        }
        runGlyphs_.push_back(g.glyph[b]);
        runPositions_.emplace_back(xs_[i], baseline);
    }
    if (!runGlyphs_.empty()) {
        run_.setRawFont(g.raw);
        run_.setRawData(runGlyphs_.data(), runPositions_.data(),
                        static_cast<int>(runGlyphs_.size()));
        run_.setUnderline(qfont.underline());
        run_.setStrikeOut(qfont.strikeOut());
        p.drawGlyphRun(QPointF(0, 0), run_);
    }
    if (!fallback)
        return;
    // Characters the face lacks, one by one through the toolkit's font fallback.
    p.setFont(qfont);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (g.glyph[b] != 0 || (g.blank[b] && !decorated))
            continue;
        const auto ch = static_cast<char16_t>(ByteToUnicode(font.Page(), b));
        p.drawText(QPoint(xs_[i], baseline), QString(QChar(ch)));
    }
}

Font* QtSurface::SelectFont(Font* font) {
    Font* old = font_;
    font_ = dynamic_cast<QtFont*>(font) ? font : defaultFont_;
    return old;
}

ColorRef QtSurface::SetTextColor(ColorRef color) {
    return std::exchange(text_, color);
}
ColorRef QtSurface::SetBkColor(ColorRef color) {
    return std::exchange(back_, color);
}
int32_t QtSurface::SetBkMode(int32_t mode) {
    return std::exchange(mode_, mode);
}

Size QtSurface::GetTextExtent(std::string_view text) {
    const QtFont::ByteGlyphs& g = CurrentFont().Glyphs();
    int total = 0;
    for (char c : text)
        total += g.advance[static_cast<uint8_t>(c)];
    return {total, CurrentFont().Metrics().height()};
}

TextMetrics QtSurface::GetTextMetrics() {
    const QtFont& font = CurrentFont();
    const QFontMetrics& m = font.Metrics();
    TextMetrics tm;
    tm.tmHeight = m.height();
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmInternalLeading = std::max(0, m.height() - font.GetQFont().pixelSize());
    tm.tmExternalLeading = std::max(0, m.leading());
    tm.tmAveCharWidth = font.Advance(QLatin1Char('x'));
    tm.tmMaxCharWidth = m.maxWidth();
    return tm;
}

bool QtSurface::GetCharWidth(uint8_t first, uint8_t last, int32_t* widths) {
    if (first > last)
        return false;
    const QtFont::ByteGlyphs& g = CurrentFont().Glyphs();
    for (int c = first; c <= last; ++c)
        widths[c - first] = g.advance[static_cast<size_t>(c)];
    return true;
}

std::unique_ptr<Surface> QtSurface::CreateCompatibleDC() {
    return Memory(dpr_, defaultFont_);
}

std::unique_ptr<Bitmap> QtSurface::CreateCompatibleBitmap(int32_t cx, int32_t cy) {
    return std::make_unique<QtBitmap>(cx, cy, dpr_);
}

Bitmap* QtSurface::SelectBitmap(Bitmap* bitmap) {
    if (!memory_)
        return nullptr;
    auto* next = dynamic_cast<QtBitmap*>(bitmap);
    if (bitmap && !next)
        return nullptr;
    EndMemoryPainter();
    return std::exchange(bitmap_, next);
}

bool QtSurface::BitBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, Surface& source, int32_t xSrc,
                       int32_t ySrc) {
    auto* src = dynamic_cast<QtSurface*>(&source);
    if (!src || !src->memory_ || !src->bitmap_)
        return false;
    QPainter* p = Painter();
    if (!p || cx <= 0 || cy <= 0)
        return true;
    // The raster engine draws straight into the image's pixels, so the source's painter may stay
    // open while they are copied.
    const QImage& image = src->bitmap_->Image();
    const qreal r = image.devicePixelRatio();
    p->drawImage(QRectF(x, y, cx, cy), image, QRectF(xSrc * r, ySrc * r, cx * r, cy * r));
    return true;
}

// ---------------------------------------------------------------------------------------------
// QtImageList

QtImageList::QtImageList(const BitmapData& strip, int32_t imageWidth, ColorRef mask)
    : image_(strip.width, strip.height, QImage::Format_ARGB32),
      count_(imageWidth > 0 ? strip.width / imageWidth : 0), size_{imageWidth, strip.height} {
    for (int32_t yy = 0; yy < strip.height; ++yy) {
        for (int32_t xx = 0; xx < strip.width; ++xx) {
            const ColorRef c = strip.At(xx, yy);
            image_.setPixel(xx, yy,
                            c == mask ? qRgba(0, 0, 0, 0)
                                      : qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    }
}

bool QtImageList::Draw(Surface& surface, int32_t index, Point at) {
    if (index < 0 || index >= count_)
        return false;
    auto* s = dynamic_cast<QtSurface*>(&surface);
    if (QPainter* p = s ? s->Painter() : nullptr)
        p->drawImage(QPoint(at.x, at.y), image_, QRect(index * size_.cx, 0, size_.cx, size_.cy));
    return true;
}

} // namespace platform::qt
