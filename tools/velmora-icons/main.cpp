// velmora-icons: writes the application icon and the document icon as a freedesktop icon theme
// tree, for installation. Each bitmap size is the pixel art scaled by a whole factor, exactly as
// the windows show it; the scalable version draws every pixel as a square, so it stays exact at
// any size.
//
// Usage: velmora-icons OUTDIR
// Writes OUTDIR/hicolor/NxN/apps/velmora.png and OUTDIR/hicolor/NxN/mimetypes/text-x-quorda.png
// for N = 16, 32, 48, 64, 128, 256, and the same names as .svg under OUTDIR/hicolor/scalable.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <cstdio>
#include <string>

#include "app/qtresources.h"
#include "app/resources/icons.h"
#include "app/resources/resourceids.h"

namespace {

struct ThemeIcon {
    int32_t resource;
    const char* context; // the theme folder: apps or mimetypes
    const char* name;
};

constexpr ThemeIcon kIcons[] = {
    {app::IDR_MAINFRAME, "apps", "velmora"},
    {app::IDR_SOURCETYPE, "mimetypes", "text-x-quorda"},
};

char Hex(int value) {
    return "0123456789abcdef"[value & 15];
}

// The pixel art as SVG: one rectangle per run of equal pixels in a row, on a grid of one unit per
// pixel, drawn with crisp edges.
std::string Svg(const app::PixelIcon& art) {
    const platform::BitmapData bitmap = app::RenderIcon(art, 1);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      std::to_string(bitmap.width) + "\" height=\"" +
                      std::to_string(bitmap.height) + "\" viewBox=\"0 0 " +
                      std::to_string(bitmap.width) + ' ' + std::to_string(bitmap.height) +
                      "\" shape-rendering=\"crispEdges\">\n";
    for (int32_t y = 0; y < bitmap.height; ++y) {
        int32_t x = 0;
        while (x < bitmap.width) {
            const platform::ColorRef color = bitmap.At(x, y);
            int32_t end = x + 1;
            while (end < bitmap.width && bitmap.At(end, y) == color)
                ++end;
            if (color != app::kTransparent) {
                const int rgb[3] = {platform::GetRValue(color), platform::GetGValue(color),
                                    platform::GetBValue(color)};
                std::string fill = "#";
                for (const int channel : rgb) {
                    fill += Hex(channel >> 4);
                    fill += Hex(channel);
                }
                out += "  <rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
                       "\" width=\"" + std::to_string(end - x) + "\" height=\"1\" fill=\"" + fill +
                       "\"/>\n";
            }
            x = end;
        }
    }
    out += "</svg>\n";
    return out;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: velmora-icons OUTDIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + "/hicolor/";
    for (const ThemeIcon& icon : kIcons) {
        const app::PixelIcon* art = app::FindIcon(icon.resource);
        if (!art)
            return 1;
        for (const int32_t scale : app::kIconScales) {
            const int size = art->width * scale;
            const QString path =
                root + QString("%1x%1/%2/%3.png").arg(size).arg(icon.context, icon.name);
            QDir().mkpath(QFileInfo(path).path());
            if (!app::ImageFromBitmap(app::RenderIcon(*art, scale)).save(path, "PNG")) {
                std::fprintf(stderr, "velmora-icons: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
        const QString svg = root + QString("scalable/%1/%2.svg").arg(icon.context, icon.name);
        if (!Write(svg, QByteArray::fromStdString(Svg(*art)))) {
            std::fprintf(stderr, "velmora-icons: cannot write %s\n", qPrintable(svg));
            return 1;
        }
    }
    return 0;
}
