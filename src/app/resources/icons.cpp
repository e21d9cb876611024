#include "app/resources/icons.h"

#include <algorithm>
#include <array>
#include <utility>

#include "app/resources/resourceids.h"

namespace app {
namespace {

// clang-format off
constexpr std::array<std::string_view, 15> kNewImage{
    "................",
    "...kkkkkkk......",
    "...kwwwwwkk.....",
    "...kwwwwwkwk....",
    "...kwwwwwkkkk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kwwwwwwwwk...",
    "...kkkkkkkkkk...",
    "................",
};

constexpr std::array<std::string_view, 15> kOpenImage{
    "................",
    "................",
    "................",
    ".kkkk...........",
    "koooook.........",
    "kooooookkkkkk...",
    "kooooooooooook..",
    "koookkkkkkkkkkkk",
    "kookyyyyyyyyyyk.",
    "kokyyyyyyyyyyk..",
    "kkyyyyyyyyyyk...",
    "kkkkkkkkkkkk....",
    "................",
    "................",
    "................",
};

constexpr std::array<std::string_view, 15> kSaveImage{
    "................",
    ".kkkkkkkkkkkkk..",
    ".knwwwwwwwwwnk..",
    ".knwgggggggwnk..",
    ".knwwwwwwwwwnk..",
    ".knwgggggggwnk..",
    ".knwwwwwwwwwnk..",
    ".knnnnnnnnnnnk..",
    ".knnnnnnnnnnnk..",
    ".knnlllllllnnk..",
    ".knnllnnlllnnk..",
    ".knnllnnlllnnk..",
    ".knnlllllllnnk..",
    ".kkkkkkkkkkkkk..",
    "................",
};

constexpr std::array<std::string_view, 15> kPrintImage{
    "................",
    "....kkkkkkkk....",
    "....kwwwwwwk....",
    "....kwkkkkwk....",
    "....kwwwwwwk....",
    "..kkkkkkkkkkkk..",
    ".kllllllllllllk.",
    ".kllllllllleelk.",
    ".kggggggggggggk.",
    ".kkkkkkkkkkkkkk.",
    "..kwwwwwwwwwwk..",
    "..kwkkkkkkkwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
};

constexpr std::array<std::string_view, 15> kCutImage{
    "................",
    "...k.......k....",
    "...k.......k....",
    "...kk.....kk....",
    "....k.....k.....",
    "....kk...kk.....",
    ".....k...k......",
    ".....kk.kk......",
    "......kkk.......",
    ".....bb.bb......",
    "..bbbb...bbbb...",
    ".b...b...b...b..",
    ".b...b...b...b..",
    "..bbb.....bbb...",
    "................",
};

constexpr std::array<std::string_view, 15> kCopyImage{
    "................",
    ".kkkkkkkkk......",
    ".kwwwwwwwk......",
    ".kwkkkkkwk......",
    ".kwwwwwwwk......",
    ".kwkkkkkkkkkkk..",
    ".kwwwkwwwwwwwk..",
    ".kwkkkwkkkkkwk..",
    ".kwwwkwwwwwwwk..",
    ".kwkkkwkkkkkwk..",
    ".kkkkkwwwwwwwk..",
    ".....kwkkkkkwk..",
    ".....kwwwwwwwk..",
    ".....kkkkkkkkk..",
    "................",
};

constexpr std::array<std::string_view, 15> kPasteImage{
    "................",
    "......kkkk......",
    "..oookllllkooo..",
    "..ooookkkkoooo..",
    "..oooooooooooo..",
    "..ooookkkkkkkkk.",
    "..ooookwwwwwwwk.",
    "..ooookwkkkkkwk.",
    "..ooookwwwwwwwk.",
    "..ooookwkkkkkwk.",
    "..ooookwwwwwwwk.",
    "..ooookwkkkwwwk.",
    "..ooookwwwwwwwk.",
    "......kkkkkkkkk.",
    "................",
};

constexpr std::array<std::string_view, 15> kUndoImage{
    "................",
    "................",
    "................",
    "....b...........",
    "...bb...........",
    "..bbbbbbbbbb....",
    ".bbbbbbbbbbbb...",
    "..bbb......bbb..",
    "...bb.......bb..",
    "....b.......bb..",
    "............bb..",
    "...........bbb..",
    ".........bbbb...",
    "........bbb.....",
    "................",
};

constexpr std::array<std::string_view, 15> kRedoImage{
    "................",
    "................",
    "................",
    "...........b....",
    "...........bb...",
    "....bbbbbbbbbb..",
    "...bbbbbbbbbbbb.",
    "..bbb......bbb..",
    "..bb.......bb...",
    "..bb.......b....",
    "..bb............",
    "..bbb...........",
    "...bbbb.........",
    ".....bbb........",
    "................",
};

constexpr std::array<std::string_view, 15> kFindImage{
    "................",
    "...kkkk.........",
    "..kwccck........",
    ".kwccccck.......",
    ".kcccccck.......",
    ".kcccccck.......",
    ".kcccccck.......",
    "..kcccck........",
    "...kkkkkk.......",
    ".......kkkk.....",
    "........kkkk....",
    ".........kkkk...",
    "..........kkkk..",
    "...........kkk..",
    "................",
};

constexpr std::array<std::string_view, 15> kFindNextImage{
    "...kkkk.........",
    "..kwccck........",
    ".kwccccck.......",
    ".kcccccck.......",
    ".kcccccck.......",
    "..kcccck........",
    "...kkkkkk.......",
    ".......kkk......",
    "........kke.....",
    "..........ee....",
    "...eeeeeeeeee...",
    "...eeeeeeeeeee..",
    "...eeeeeeeeee...",
    "..........ee....",
    "..........e.....",
};

constexpr std::array<std::string_view, 15> kFindPreviousImage{
    "...kkkk.........",
    "..kwccck........",
    ".kwccccck.......",
    ".kcccccck.......",
    ".kcccccck.......",
    "..kcccck........",
    "...kkkkkk.......",
    ".......kkk......",
    "........ek......",
    ".......ee.......",
    "......eeeeeeeeee",
    ".....eeeeeeeeeee",
    "......eeeeeeeeee",
    ".......ee.......",
    "........e.......",
};

constexpr std::array<std::string_view, 15> kReplaceImage{
    "................",
    "..kkk...........",
    ".k...k..........",
    ".k...k..........",
    ".kkkkk..........",
    ".k...k..........",
    ".k...k..........",
    ".k...k....bbbb..",
    "..........b...b.",
    "..........b...b.",
    "......e...bbbb..",
    "......ee..b...b.",
    "..eeeeeee.b...b.",
    "......ee..bbbb..",
    "......e.........",
};

constexpr std::array<std::string_view, 15> kToggleBookmarkImage{
    "................",
    "....kkkkkkk.....",
    "....ktttttk.....",
    "....ktttttk.....",
    "....ktttttk.....",
    "....ktttttk.....",
    "....ktttttk.....",
    "....ktttttk.....",
    "....ktttttk.....",
    "....kttkttk.....",
    "....ktk.ktk.....",
    "....kk...kk.....",
    "....k.....k.....",
    "................",
    "................",
};

constexpr std::array<std::string_view, 15> kNextBookmarkImage{
    "................",
    ".kkkkkkk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk..eee...",
    ".ktttttk..eee...",
    ".kttkttk..eee...",
    ".ktk.ktkeeeeeee.",
    ".kk...kk.eeeee..",
    ".k.....k..eee...",
    "...........e....",
    "................",
};

constexpr std::array<std::string_view, 15> kPreviousBookmarkImage{
    "................",
    ".kkkkkkk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk...e....",
    ".ktttttk..eee...",
    ".kttkttk.eeeee..",
    ".ktk.ktkeeeeeee.",
    ".kk...kk..eee...",
    ".k.....k..eee...",
    "..........eee...",
    "................",
};

constexpr std::array<std::string_view, 15> kClearBookmarksImage{
    "................",
    ".kkkkkkk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".ktttttk........",
    ".kttkttk.rr..rr.",
    ".ktk.ktk..rrrr..",
    ".kk...kk...rr...",
    ".k.....k..rrrr..",
    ".........rr..rr.",
    "................",
};

constexpr std::array<std::string_view, 16> kApplicationIcon{
    "................",
    "....kkkkkkkk....",
    "..llkddkkddkll..",
    "....kddddddk....",
    "..llkddddddkll..",
    "....kyyyyyyk....",
    "..llkddddydkll..",
    "....kdddyddk....",
    "..llkddydddkll..",
    "....kdyddddk....",
    "..llkyyyyyykll..",
    "....kddddddk....",
    "..llkddddddkll..",
    "....kddddddk....",
    "....kkkkkkkk....",
    "................",
};

constexpr std::array<std::string_view, 16> kDocumentIcon{
    "................",
    "..kkkkkkkkk.....",
    "..kwwwwwwwkk....",
    "..kwbbbwwwkwk...",
    "..kwwwwwwwkkkk..",
    "..kwwbbbbbwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwbbbbwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kweeeeeewwwk..",
    "..kwwwwwwwwwwk..",
    "..kwbbbbwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwbbbbbbwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
};
// clang-format on

template <size_t N> constexpr PixelIcon Picture(const std::array<std::string_view, N>& rows) {
    return {static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(N), rows};
}

constexpr auto kToolBarImages = std::to_array<std::pair<uint32_t, PixelIcon>>({
    {ID_FILE_NEW, Picture(kNewImage)},
    {ID_FILE_OPEN, Picture(kOpenImage)},
    {ID_FILE_SAVE, Picture(kSaveImage)},
    {ID_FILE_PRINT, Picture(kPrintImage)},
    {ID_EDIT_CUT, Picture(kCutImage)},
    {ID_EDIT_COPY, Picture(kCopyImage)},
    {ID_EDIT_PASTE, Picture(kPasteImage)},
    {ID_EDIT_UNDO, Picture(kUndoImage)},
    {ID_EDIT_REDO, Picture(kRedoImage)},
    {ID_EDIT_FIND, Picture(kFindImage)},
    {ID_EDIT_REPEAT, Picture(kFindNextImage)},
    {ID_EDIT_FIND_PREVIOUS, Picture(kFindPreviousImage)},
    {ID_EDIT_REPLACE, Picture(kReplaceImage)},
    {ID_BOOKMARK_TOGGLE, Picture(kToggleBookmarkImage)},
    {ID_BOOKMARK_NEXT, Picture(kNextBookmarkImage)},
    {ID_BOOKMARK_PREVIOUS, Picture(kPreviousBookmarkImage)},
    {ID_BOOKMARK_CLEAR_ALL, Picture(kClearBookmarksImage)},
});

constexpr PixelIcon kAppIcon = Picture(kApplicationIcon);
constexpr PixelIcon kDocIcon = Picture(kDocumentIcon);

constexpr auto kPalette = std::to_array<std::pair<char, platform::ColorRef>>({
    {'.', kTransparent},
    {'k', 0x000000},
    {'w', 0xFFFFFF},
    {'l', 0xC0C0C0},
    {'g', 0x808080},
    {'d', 0x404040},
    {'y', 0x00FFFF},
    {'o', 0x008080},
    {'b', 0xFF0000},
    {'n', 0x800000},
    {'r', 0x0000FF},
    {'e', 0x008000},
    {'t', 0x808000},
    {'c', 0xFFFF00},
});

} // namespace

std::optional<platform::ColorRef> PaletteColor(char letter) {
    for (const auto& [key, color] : kPalette)
        if (key == letter)
            return color;
    return std::nullopt;
}

const PixelIcon* FindIcon(int32_t id) {
    if (id == IDR_MAINFRAME)
        return &kAppIcon;
    if (id == IDR_SOURCETYPE)
        return &kDocIcon;
    return nullptr;
}

const PixelIcon* FindToolBarImage(uint32_t commandId) {
    for (const auto& [id, icon] : kToolBarImages)
        if (id == commandId)
            return &icon;
    return nullptr;
}

platform::BitmapData RenderIcon(const PixelIcon& icon, int32_t scale) {
    scale = std::max(scale, 1);
    platform::BitmapData bitmap;
    bitmap.width = icon.width * scale;
    bitmap.height = icon.height * scale;
    bitmap.pixels.assign(static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height),
                         kTransparent);
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const std::string_view row = icon.rows[static_cast<size_t>(y / scale)];
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const size_t column = static_cast<size_t>(x / scale);
            if (column >= row.size())
                continue;
            bitmap.pixels[static_cast<size_t>(y) * static_cast<size_t>(bitmap.width) +
                          static_cast<size_t>(x)] =
                PaletteColor(row[column]).value_or(kTransparent);
        }
    }
    return bitmap;
}

} // namespace app
