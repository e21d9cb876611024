#include "app/resources/menus.h"

#include <array>
#include <cctype>

#include "app/resources/resourceids.h"

namespace app {
namespace {

constexpr MenuItem Cmd(std::string_view text, uint32_t id) {
    return {MenuItemKind::Command, text, id, {}};
}
constexpr MenuItem Sep() {
    return {};
}
constexpr MenuItem Popup(std::string_view text, std::span<const MenuItem> items) {
    return {MenuItemKind::Popup, text, 0, items};
}

// ---- Shared pop-ups.

constexpr std::array kViewPopup{
    Cmd("&Toolbar", ID_VIEW_TOOLBAR),
    Cmd("&Status Bar", ID_VIEW_STATUS_BAR),
    Cmd("&Set Font", ID_SET_FONT),
};

constexpr std::array kHelpPopup{
    Cmd("&About Varnix...", ID_APP_ABOUT),
};

constexpr std::array kBookmarksPopup{
    Cmd("Clear All bookmarks", ID_BOOKMARK_CLEAR_NUMBERED),
    Sep(),
    Cmd("Bookmark 0", ID_BOOKMARK_TOGGLE_0 + 0),
    Cmd("Bookmark 1", ID_BOOKMARK_TOGGLE_0 + 1),
    Cmd("Bookmark 2", ID_BOOKMARK_TOGGLE_0 + 2),
    Cmd("Bookmark 3", ID_BOOKMARK_TOGGLE_0 + 3),
    Cmd("Bookmark 4", ID_BOOKMARK_TOGGLE_0 + 4),
    Cmd("Bookmark 5", ID_BOOKMARK_TOGGLE_0 + 5),
    Cmd("Bookmark 6", ID_BOOKMARK_TOGGLE_0 + 6),
    Cmd("Bookmark 7", ID_BOOKMARK_TOGGLE_0 + 7),
    Cmd("Bookmark 8", ID_BOOKMARK_TOGGLE_0 + 8),
    Cmd("Bookmark 9", ID_BOOKMARK_TOGGLE_0 + 9),
};

constexpr std::array kGotoBookmarkPopup{
    Cmd("Bookmark 0", ID_BOOKMARK_GOTO_0 + 0), Cmd("Bookmark 1", ID_BOOKMARK_GOTO_0 + 1),
    Cmd("Bookmark 2", ID_BOOKMARK_GOTO_0 + 2), Cmd("Bookmark 3", ID_BOOKMARK_GOTO_0 + 3),
    Cmd("Bookmark 4", ID_BOOKMARK_GOTO_0 + 4), Cmd("Bookmark 5", ID_BOOKMARK_GOTO_0 + 5),
    Cmd("Bookmark 6", ID_BOOKMARK_GOTO_0 + 6), Cmd("Bookmark 7", ID_BOOKMARK_GOTO_0 + 7),
    Cmd("Bookmark 8", ID_BOOKMARK_GOTO_0 + 8), Cmd("Bookmark 9", ID_BOOKMARK_GOTO_0 + 9),
};

constexpr std::array kMoreBookmarksPopup{
    Cmd("Toggle Bookmark", ID_BOOKMARK_TOGGLE),
    Cmd("Next Bookmark", ID_BOOKMARK_NEXT),
    Cmd("Previous bookmark", ID_BOOKMARK_PREVIOUS),
    Cmd("Clear All Bookmarks", ID_BOOKMARK_CLEAR_ALL),
};

// ---- Menu 128: no document open.

constexpr std::array kFilePopupNoDoc{
    Cmd("&New\tCtrl+N", ID_FILE_NEW),
    Cmd("&Open...\tCtrl+O", ID_FILE_OPEN),
    Sep(),
    Cmd("P&rint Setup...", ID_FILE_PRINT_SETUP),
    Sep(),
    Cmd("Recent File", ID_FILE_MRU_FILE1),
    Sep(),
    Cmd("E&xit", ID_APP_EXIT),
};

constexpr std::array kMainFrameBar{
    Popup("&File", kFilePopupNoDoc),
    Popup("&View", kViewPopup),
    Popup("&Help", kHelpPopup),
};

// ---- Menu 129: a document open.

constexpr std::array kFilePopup{
    Cmd("&New\tCtrl+N", ID_FILE_NEW),
    Cmd("&Open...\tCtrl+O", ID_FILE_OPEN),
    Cmd("&Save\tCtrl+S", ID_FILE_SAVE),
    Cmd("Save &As...", ID_FILE_SAVE_AS),
    Sep(),
    Cmd("&Print...\tCtrl+P", ID_FILE_PRINT),
    Cmd("Print Preview", ID_FILE_PRINT_PREVIEW),
    Cmd("Pa&ge Setup...", ID_FILE_PAGE_SETUP),
    Cmd("P&rint Setup...", ID_FILE_PRINT_SETUP),
    Sep(),
    Cmd("Recent File", ID_FILE_MRU_FILE1),
    Sep(),
    Cmd("E&xit", ID_APP_EXIT),
};

constexpr std::array kEditPopup{
    Cmd("&Undo\tCtrl+Z", ID_EDIT_UNDO),
    Cmd("&Redo\tCtrl+Y", ID_EDIT_REDO),
    Sep(),
    Cmd("Cu&t\tCtrl+X", ID_EDIT_CUT),
    Cmd("&Copy\tCtrl+C", ID_EDIT_COPY),
    Cmd("&Paste\tCtrl+V", ID_EDIT_PASTE),
    Cmd("&Delete\tDel", ID_EDIT_DELETE),
    Cmd("Select &All\tCtrl+A", ID_EDIT_SELECT_ALL),
    Sep(),
    Cmd("&Find...\tCtrl+F", ID_EDIT_FIND),
    Cmd("Find &Next\tF3", ID_EDIT_REPEAT),
    Cmd("Find Previous\tShift+F3", ID_EDIT_FIND_PREVIOUS),
    Cmd("R&eplace...\tCtrl+H", ID_EDIT_REPLACE),
    Sep(),
    Cmd("Read &Only", ID_READ_ONLY),
    Sep(),
    Popup("Bookmarks", kBookmarksPopup),
    Popup("Goto Bookmark", kGotoBookmarkPopup),
    Popup("More Bookmarks (VC++)", kMoreBookmarksPopup),
    Sep(),
    Cmd("Backspace at start of line", ID_BACKSPACE_AT_LINE_START),
    Cmd("Drag-and-drop text editing", ID_DRAG_AND_DROP_EDITING),
};

constexpr std::array kWindowPopup{
    Cmd("&New Window", ID_WINDOW_NEW),
    Cmd("&Cascade", ID_WINDOW_CASCADE),
    Cmd("&Tile", ID_WINDOW_TILE_HORZ),
    Cmd("&Arrange Icons", ID_WINDOW_ARRANGE),
};

constexpr std::array kDocumentBar{
    Popup("&File", kFilePopup),     Popup("&Edit", kEditPopup), Popup("&View", kViewPopup),
    Popup("&Window", kWindowPopup), Popup("&Help", kHelpPopup),
};

// ---- Menu 132: the view's context menu. Its first pop-up is the one shown.

constexpr std::array kContextEditPopup{
    Cmd("Cu&t\tCtrl+X", ID_EDIT_CUT),
    Cmd("&Copy\tCtrl+C", ID_EDIT_COPY),
    Cmd("&Paste\tCtrl+V", ID_EDIT_PASTE),
    Cmd("&Delete\tDel", ID_EDIT_DELETE),
    Sep(),
    Popup("Bookmarks", kBookmarksPopup),
    Popup("Goto Bookmark", kGotoBookmarkPopup),
};

constexpr std::array kContextBar{
    Popup("&Edit", kContextEditPopup),
};

// ---- The Z80 workbench's pop-up, which the main frame shows after "&View" in both menu bars.

constexpr std::array kZ80Popup{
    Cmd("&Assemble\tF7", ID_Z80_ASSEMBLE),
    Cmd("S&top Assembler", ID_Z80_STOP_ASSEMBLER),
    Cmd("&Next Message\tF4", ID_Z80_NEXT_MESSAGE),
    Cmd("&Previous Message\tShift+F4", ID_Z80_PREVIOUS_MESSAGE),
    Sep(),
    Cmd("Go to &Definition\tF12", ID_Z80_GOTO_DEFINITION),
    Cmd("Go &Back\tAlt+Left", ID_Z80_GO_BACK),
    Cmd("Go &Forward\tAlt+Right", ID_Z80_GO_FORWARD),
    Cmd("Go to &Line...\tCtrl+G", ID_Z80_GOTO_LINE),
    Sep(),
    Cmd("Label &Outline\tCtrl+Shift+O", ID_Z80_OUTLINE),
    Cmd("O&utput Pane", ID_Z80_OUTPUT),
    Sep(),
    Cmd("Assembler &Settings...", ID_Z80_ASSEMBLER_SETTINGS),
};

constexpr std::array kWorkbenchBar{
    Popup("&Z80", kZ80Popup),
};

constexpr std::array kMenus{
    MenuResource{IDR_MAINFRAME, kMainFrameBar},
    MenuResource{IDR_SOURCETYPE, kDocumentBar},
    MenuResource{IDR_CONTEXTMENU, kContextBar},
    MenuResource{IDR_WORKBENCH, kWorkbenchBar},
};

} // namespace

const MenuResource* FindMenu(int32_t id) {
    for (const MenuResource& menu : kMenus)
        if (menu.id == id)
            return &menu;
    return nullptr;
}

std::string_view MenuLabel(std::string_view text) {
    return text.substr(0, text.find('\t'));
}

std::string_view MenuShortcut(std::string_view text) {
    const size_t tab = text.find('\t');
    return tab == std::string_view::npos ? std::string_view{} : text.substr(tab + 1);
}

std::optional<char> Mnemonic(std::string_view text) {
    const std::string_view label = MenuLabel(text);
    for (size_t i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != '&')
            continue;
        if (label[i + 1] == '&') {
            ++i; // a literal ampersand
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(label[i + 1])));
    }
    return std::nullopt;
}

void VisitMenuItems(std::span<const MenuItem> items,
                    const std::function<void(const MenuItem& item, const MenuItem* popup)>& visit) {
    // An explicit walk keeps the parent at hand without a second signature.
    std::function<void(std::span<const MenuItem>, const MenuItem*)> walk =
        [&](std::span<const MenuItem> level, const MenuItem* parent) {
            for (const MenuItem& item : level) {
                visit(item, parent);
                if (item.kind == MenuItemKind::Popup)
                    walk(item.items, &item);
            }
        };
    walk(items, nullptr);
}

} // namespace app
