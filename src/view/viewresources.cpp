#include "view/viewresources.h"

#include <array>
#include <cstdlib>

#include "platform/keys.h"

namespace view {
namespace {

using platform::Accel;
using platform::AccelTable;
using platform::BitmapData;
using platform::ColorRef;

constexpr uint8_t kPlain = platform::FVIRTKEY | platform::FNOINVERT;
constexpr uint8_t kShift = kPlain | platform::FSHIFT;
constexpr uint8_t kCtrl = kPlain | platform::FCONTROL;
constexpr uint8_t kCtrlShift = kCtrl | platform::FSHIFT;
constexpr uint8_t kAlt = kPlain | platform::FALT;

AccelTable MakeAccelerators() {
    using namespace platform;
    AccelTable table;
    for (uint32_t digit = 0; digit < 10; ++digit) {
        table.Add({kCtrl, '0' + digit, 37200 + digit}); // set or clear bookmark
        table.Add({kAlt, '0' + digit, 37210 + digit});  // go to bookmark
    }
    const Accel keys[] = {
        {kCtrl, 'A', 57642},          {kCtrl, 'C', 57634},           {kCtrl, 'F', 57636},
        {kCtrl, 'H', 57641},          {kCtrl, 'V', 57637},           {kCtrl, 'X', 57635},
        {kCtrl, 'Y', 57644},          {kCtrl, 'Z', 57643},           {kPlain, VK_BACK, 37001},
        {kCtrl, VK_BACK, 37002},      {kAlt, VK_BACK, 57643},        {kPlain, VK_DELETE, 37000},
        {kShift, VK_DELETE, 57635},   {kPlain, VK_INSERT, 37005},    {kShift, VK_INSERT, 57637},
        {kCtrl, VK_INSERT, 57634},    {kPlain, VK_TAB, 37003},       {kShift, VK_TAB, 37004},
        {kPlain, VK_LEFT, 37100},     {kShift, VK_LEFT, 37101},      {kCtrl, VK_LEFT, 37104},
        {kCtrlShift, VK_LEFT, 37105}, {kPlain, VK_RIGHT, 37102},     {kShift, VK_RIGHT, 37103},
        {kCtrl, VK_RIGHT, 37106},     {kCtrlShift, VK_RIGHT, 37107}, {kPlain, VK_UP, 37108},
        {kShift, VK_UP, 37109},       {kCtrl, VK_UP, 37112},         {kPlain, VK_DOWN, 37110},
        {kShift, VK_DOWN, 37111},     {kCtrl, VK_DOWN, 37113},       {kPlain, VK_PRIOR, 37114},
        {kShift, VK_PRIOR, 37115},    {kPlain, VK_NEXT, 37116},      {kShift, VK_NEXT, 37117},
        {kPlain, VK_HOME, 37120},     {kShift, VK_HOME, 37121},      {kCtrl, VK_HOME, 37122},
        {kCtrlShift, VK_HOME, 37123}, {kPlain, VK_END, 37118},       {kShift, VK_END, 37119},
        {kCtrl, VK_END, 37124},       {kCtrlShift, VK_END, 37125},   {kPlain, VK_F2, 37224},
        {kShift, VK_F2, 37225},       {kCtrl, VK_F2, 37223},         {kCtrlShift, VK_F2, 37226},
        {kPlain, VK_F3, 57640},       {kShift, VK_F3, 37126},
    };
    for (const Accel& a : keys)
        table.Add(a);
    return table;
}

// ---- Margin icons, drawn as data.

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0x000000;
constexpr ColorRef kPole = 0x404040;
constexpr ColorRef kNumberedCloth = 0x800000; // navy
constexpr ColorRef kPlainCloth = 0x808000;    // teal
constexpr ColorRef kGreen = 0x008000;
constexpr ColorRef kDarkGreen = 0x004000;
constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kDarkRed = 0x000080;
constexpr ColorRef kYellow = 0x00FFFF;

// 5 x 7 digits, row by row ('#' set).
using Glyph = std::array<const char*, 7>;
constexpr std::array<Glyph, 10> kDigits{{
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
}};

class IconPainter {
public:
    explicit IconPainter(BitmapData& strip) : strip_(strip) {}

    void Set(int32_t image, int32_t x, int32_t y, ColorRef color) {
        if (x < 0 || y < 0 || x >= kMarginIconSize || y >= kMarginIconSize)
            return;
        const int32_t px = image * kMarginIconSize + x;
        strip_.pixels[static_cast<size_t>(y * strip_.width + px)] = color;
    }

    void Flag(int32_t image, ColorRef cloth, int digit) {
        for (int32_t y = 1; y < 16; ++y) {
            Set(image, 2, y, kPole);
            Set(image, 3, y, kPole);
        }
        for (int32_t y = 1; y < 10; ++y)
            for (int32_t x = 4; x < 15; ++x)
                Set(image, x, y, cloth);
        if (digit < 0)
            return;
        const Glyph& glyph = kDigits[static_cast<size_t>(digit)];
        for (int32_t row = 0; row < 7; ++row)
            for (int32_t col = 0; col < 5; ++col)
                if (glyph[static_cast<size_t>(row)][col] == '#')
                    Set(image, 7 + col, 2 + row, kWhite);
    }

    void Dot(int32_t image, ColorRef fill, ColorRef rim) {
        for (int32_t y = 0; y < 16; ++y) {
            for (int32_t x = 0; x < 16; ++x) {
                // Twice the distance from the centre (7.5, 7.5), squared.
                const int32_t dx = 2 * x - 15;
                const int32_t dy = 2 * y - 15;
                const int32_t d = dx * dx + dy * dy;
                if (d <= 100)
                    Set(image, x, y, fill);
                else if (d <= 144)
                    Set(image, x, y, rim);
            }
        }
    }

    // A right-pointing arrow, yellow with a black outline.
    void Arrow(int32_t image) {
        const auto inside = [](int32_t x, int32_t y) {
            const bool shaft = x >= 1 && x <= 8 && y >= 5 && y <= 10;
            const bool head = x >= 8 && x <= 14 && std::abs(2 * y - 15) <= 2 * (14 - x) + 1;
            return shaft || head;
        };
        for (int32_t y = 0; y < 16; ++y) {
            for (int32_t x = 0; x < 16; ++x) {
                if (!inside(x, y))
                    continue;
                const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) ||
                                  !inside(x, y + 1);
                Set(image, x, y, edge ? kBlack : kYellow);
            }
        }
    }

private:
    BitmapData& strip_;
};

BitmapData MakeMarginIcons() {
    BitmapData strip;
    strip.width = kMarginIconSize * kMarginIconImages;
    strip.height = kMarginIconSize;
    strip.pixels.assign(static_cast<size_t>(strip.width * strip.height), kMarginIconMask);
    IconPainter paint(strip);
    paint.Dot(0, kGreen, kDarkGreen);
    paint.Dot(1, kRed, kDarkRed);
    paint.Arrow(2);
    for (int digit = 1; digit <= 9; ++digit)
        paint.Flag(2 + digit, kNumberedCloth, digit);
    paint.Flag(12, kNumberedCloth, 0);
    paint.Flag(13, kPlainCloth, -1);
    return strip;
}

class BuiltInModule final : public ResourceModule {
public:
    const AccelTable* FindAccelerators(int32_t id) const override {
        return id == IDR_VIEW_ACCELERATORS ? &ViewAcceleratorTable() : nullptr;
    }
    const BitmapData* FindBitmap(int32_t id) const override {
        return id == IDB_MARGIN_ICONS ? &MarginIconStrip() : nullptr;
    }
};

} // namespace

const ResourceModule& BuiltInResources() {
    static const BuiltInModule module;
    return module;
}

const AccelTable& ViewAcceleratorTable() {
    static const AccelTable table = MakeAccelerators();
    return table;
}

const BitmapData& MarginIconStrip() {
    static const BitmapData strip = MakeMarginIcons();
    return strip;
}

} // namespace view
