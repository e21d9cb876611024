#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/resources/accelerators.h"
#include "app/resources/menus.h"
#include "app/resources/resourceids.h"
#include "platform/keys.h"
#include "view/viewresources.h"

namespace {

using namespace app;
using platform::ModAlt;
using platform::ModControl;
using platform::ModShift;

// Each command item of `menuId` as "Popup/Sub/Label" -> (full text, id).
std::vector<std::pair<std::string, const MenuItem*>> Flatten(int32_t menuId) {
    std::vector<std::pair<std::string, const MenuItem*>> out;
    std::map<const MenuItem*, std::string> paths;
    VisitMenuItems(FindMenu(menuId)->bar, [&](const MenuItem& item, const MenuItem* popup) {
        const std::string path =
            (popup ? paths[popup] + "/" : std::string()) + std::string(MenuLabel(item.text));
        paths[&item] = path;
        if (item.kind == MenuItemKind::Command)
            out.emplace_back(path, &item);
    });
    return out;
}

const MenuItem* ItemAt(int32_t menuId, std::string_view path) {
    for (const auto& [p, item] : Flatten(menuId))
        if (p == path)
            return item;
    return nullptr;
}

TEST(AppMenus, KeyItemsHaveTheirTextsAndCommands) {
    const struct {
        int32_t menu;
        std::string_view path;
        std::string_view text;
        uint32_t id;
    } cases[] = {
        {128, "&File/&New", "&New\tCtrl+N", 57600},
        {128, "&File/P&rint Setup...", "P&rint Setup...", 57606},
        {128, "&File/Recent File", "Recent File", 57616},
        {128, "&View/&Set Font", "&Set Font", 32800},
        {128, "&Help/&About Varnix...", "&About Varnix...", 57664},
        {129, "&File/&Save", "&Save\tCtrl+S", 57603},
        {129, "&File/Print Preview", "Print Preview", 57609},
        {129, "&File/Pa&ge Setup...", "Pa&ge Setup...", 57605},
        {129, "&File/E&xit", "E&xit", 57665},
        {129, "&Edit/&Redo", "&Redo\tCtrl+Y", 57644},
        {129, "&Edit/&Delete", "&Delete\tDel", 37000},
        {129, "&Edit/Find Previous", "Find Previous\tShift+F3", 37126},
        {129, "&Edit/R&eplace...", "R&eplace...\tCtrl+H", 57641},
        {129, "&Edit/Read &Only", "Read &Only", 32795},
        {129, "&Edit/Bookmarks/Clear All bookmarks", "Clear All bookmarks", 37220},
        {129, "&Edit/Bookmarks/Bookmark 7", "Bookmark 7", 37207},
        {129, "&Edit/Goto Bookmark/Bookmark 0", "Bookmark 0", 37210},
        {129, "&Edit/More Bookmarks (VC++)/Previous bookmark", "Previous bookmark", 37225},
        {129, "&Edit/Backspace at start of line", "Backspace at start of line", 32796},
        {129, "&Edit/Drag-and-drop text editing", "Drag-and-drop text editing", 32797},
        {129, "&Window/&Arrange Icons", "&Arrange Icons", 57649},
        {132, "&Edit/Cu&t", "Cu&t\tCtrl+X", 57635},
        {132, "&Edit/Goto Bookmark/Bookmark 9", "Bookmark 9", 37219},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path));
        const MenuItem* item = ItemAt(c.menu, c.path);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text, c.text);
        EXPECT_EQ(item->id, c.id);
    }
}

std::string Shape(std::span<const MenuItem> items) {
    std::string out;
    for (const MenuItem& item : items)
        out += item.kind == MenuItemKind::Separator ? '-'
               : item.kind == MenuItemKind::Popup   ? 'P'
                                                    : 'c';
    return out;
}

TEST(AppMenus, PopupsAndSeparatorsStandWhereTheyBelong) {
    const MenuResource* noDoc = FindMenu(128);
    const MenuResource* doc = FindMenu(129);
    const MenuResource* context = FindMenu(132);
    ASSERT_TRUE(noDoc && doc && context);
    EXPECT_EQ(FindMenu(130), nullptr);

    EXPECT_EQ(Shape(noDoc->bar[0].items), "cc-c-c-c");
    EXPECT_EQ(Shape(doc->bar[0].items), "cccc-cccc-c-c");
    EXPECT_EQ(Shape(doc->bar[1].items), "cc-ccccc-cccc-c-PPP-cc");
    EXPECT_EQ(Shape(doc->bar[1].items[16].items), "c-cccccccccc");
    EXPECT_EQ(Shape(context->bar[0].items), "cccc-PP");
    ASSERT_EQ(doc->bar.size(), 5u);
    EXPECT_EQ(doc->bar[3].text, "&Window");
    // The View pop-up is the same with and without a document.
    EXPECT_EQ(doc->bar[2].items.data(), noDoc->bar[1].items.data());
    // The context menu shows the document menu's bookmark pop-ups.
    EXPECT_EQ(context->bar[0].items[5].items.data(), doc->bar[1].items[16].items.data());
}

TEST(AppMenus, MnemonicsAreUniqueWithinEachPopup) {
    // The View pop-up has always shared S between "&Status Bar" and "&Set Font"; the keyboard
    // cycles between the two. No other duplicate is allowed.
    const std::set<std::pair<std::string, char>> known{{"&View", 'S'}};
    for (int32_t menuId : {IDR_MAINFRAME, IDR_SOURCETYPE, IDR_CONTEXTMENU, IDR_WORKBENCH}) {
        const MenuResource* menu = FindMenu(menuId);
        std::map<char, int> bar;
        for (const MenuItem& popup : menu->bar) {
            if (auto m = Mnemonic(popup.text)) {
                EXPECT_EQ(++bar[*m], 1) << menuId << " bar " << *m;
            }
        }
        VisitMenuItems(menu->bar, [&](const MenuItem& popup, const MenuItem*) {
            if (popup.kind != MenuItemKind::Popup)
                return;
            std::map<char, int> count;
            for (const MenuItem& item : popup.items)
                if (auto m = Mnemonic(item.text))
                    ++count[*m];
            for (const auto& [letter, n] : count) {
                if (n > 1) {
                    EXPECT_TRUE(known.count({std::string(popup.text), letter}))
                        << menuId << " " << popup.text << " " << letter;
                }
            }
        });
    }
    EXPECT_EQ(Mnemonic("Save &As...").value_or('?'), 'A');
    EXPECT_EQ(Mnemonic("Fish && &Chips").value_or('?'), 'C');
    EXPECT_FALSE(Mnemonic("Bookmark 0").has_value());
    EXPECT_FALSE(Mnemonic("Tail &").has_value());
}

std::vector<KeyChord> KeysOf(uint32_t command) {
    std::vector<KeyChord> keys;
    for (const platform::AccelTable* table :
         {FindAccelTable(IDR_MAINFRAME), FindAccelTable(IDR_WORKBENCH),
          &view::ViewAcceleratorTable()})
        for (const platform::Accel& a : table->Entries())
            if (a.cmd == command)
                keys.push_back({a.key, a.fVirt & platform::ModMask});
    return keys;
}

TEST(AppMenus, ShortcutTextsNameKeysOfTheirCommand) {
    for (int32_t menuId : {IDR_MAINFRAME, IDR_SOURCETYPE, IDR_CONTEXTMENU, IDR_WORKBENCH}) {
        for (const auto& [path, item] : Flatten(menuId)) {
            SCOPED_TRACE(path);
            const std::vector<KeyChord> keys = KeysOf(item->id);
            const std::string_view shortcut = MenuShortcut(item->text);
            if (shortcut.empty()) {
                // A command the frame's keys send must show one of them. The view's own keys
                // (bookmarks) are not shown in menus.
                for (const int32_t tableId : {IDR_MAINFRAME, IDR_WORKBENCH})
                    for (const platform::Accel& a : FindAccelTable(tableId)->Entries())
                        EXPECT_NE(a.cmd, item->id);
                continue;
            }
            const auto chord = ParseShortcutText(shortcut);
            ASSERT_TRUE(chord.has_value()) << shortcut;
            EXPECT_NE(std::find(keys.begin(), keys.end(), *chord), keys.end()) << shortcut;
            EXPECT_EQ(ShortcutText(*chord), shortcut);
        }
    }
}

TEST(AppKeys, FrameTableMapsEachKeyOnce) {
    const platform::AccelTable* table = FindAccelTable(IDR_MAINFRAME);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(FindAccelTable(IDR_VIEW_ACCELERATORS), nullptr);
    std::set<std::pair<uint32_t, uint32_t>> seen;
    for (const platform::Accel& a : table->Entries()) {
        EXPECT_TRUE(seen.insert({a.key, a.fVirt & platform::ModMask}).second)
            << ShortcutText({a.key, a.fVirt & platform::ModMask});
        EXPECT_TRUE(a.fVirt & platform::FVIRTKEY);
    }
    const struct {
        std::string_view keys;
        uint32_t command;
    } cases[] = {
        {"Ctrl+N", 57600},    {"Ctrl+O", 57601},   {"Ctrl+S", 57603},
        {"Ctrl+P", 57607},    {"Ctrl+Z", 57643},   {"Ctrl+X", 57635},
        {"Ctrl+C", 57634},    {"Ctrl+V", 57637},   {"Alt+Backspace", 57643},
        {"Shift+Del", 57635}, {"Ctrl+Ins", 57634}, {"Shift+Ins", 57637},
        {"F6", 57680},        {"Shift+F6", 57681},
    };
    EXPECT_EQ(table->Entries().size(), std::size(cases));
    for (const auto& c : cases) {
        const auto chord = ParseShortcutText(c.keys);
        ASSERT_TRUE(chord.has_value()) << c.keys;
        EXPECT_EQ(table->Find(chord->key, chord->modifiers), c.command) << c.keys;
    }
}

TEST(AppKeys, ShortcutTextParsing) {
    const struct {
        std::string_view text;
        std::optional<KeyChord> chord;
    } cases[] = {
        {"Ctrl+Shift+F2", KeyChord{platform::VK_F2, ModControl | ModShift}},
        {"shift+ctrl+a", KeyChord{'A', ModControl | ModShift}},
        {"Alt+0", KeyChord{'0', ModAlt}},
        {"F12", KeyChord{platform::VK_F12, 0}},
        {"Del", KeyChord{platform::VK_DELETE, 0}},
        {"PgDn", KeyChord{platform::VK_NEXT, 0}},
        {"", std::nullopt},
        {"Ctrl+", std::nullopt},
        {"Ctrl+Ctrl+X", std::nullopt},
        {"Hyper+X", std::nullopt},
        {"F0", std::nullopt},
        {"F25", std::nullopt},
        {"F01", std::nullopt},
        {"Ctrl+?", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseShortcutText(c.text), c.chord) << c.text;
    // Every key of the tables survives the trip through its text.
    for (const platform::AccelTable* table :
         {FindAccelTable(IDR_MAINFRAME), FindAccelTable(IDR_WORKBENCH),
          &view::ViewAcceleratorTable()})
        for (const platform::Accel& a : table->Entries()) {
            const KeyChord chord{a.key, a.fVirt & platform::ModMask};
            EXPECT_EQ(ParseShortcutText(ShortcutText(chord)), chord) << ShortcutText(chord);
        }
}

// The Z80 workbench's menu and keys sit beside the editor's own: a pop-up of its own, keys no
// other table uses, commands no other menu holds.
TEST(AppWorkbench, MenuAndKeysStandBesideTheEditorsOwn) {
    const MenuResource* workbench = FindMenu(IDR_WORKBENCH);
    ASSERT_NE(workbench, nullptr);
    ASSERT_EQ(workbench->bar.size(), 1u);
    EXPECT_EQ(workbench->bar[0].text, "&Z80");
    EXPECT_EQ(Shape(workbench->bar[0].items), "cccc-cccc-cc-c");
    // No top-level mnemonic of either bar is taken by "&Z80".
    for (int32_t menuId : {IDR_MAINFRAME, IDR_SOURCETYPE})
        for (const MenuItem& popup : FindMenu(menuId)->bar)
            EXPECT_NE(Mnemonic(popup.text), Mnemonic(workbench->bar[0].text)) << popup.text;

    std::set<uint32_t> editorIds;
    for (int32_t menuId : {IDR_MAINFRAME, IDR_SOURCETYPE, IDR_CONTEXTMENU})
        for (const auto& [path, item] : Flatten(menuId))
            editorIds.insert(item->id);
    for (const auto& [path, item] : Flatten(IDR_WORKBENCH)) {
        EXPECT_EQ(editorIds.count(item->id), 0u) << path;
        EXPECT_GE(item->id, ID_Z80_ASSEMBLE) << path;
        EXPECT_LE(item->id, ID_Z80_ASSEMBLER_SETTINGS) << path;
    }

    const platform::AccelTable* keys = FindAccelTable(IDR_WORKBENCH);
    ASSERT_NE(keys, nullptr);
    const struct {
        std::string_view keys;
        uint32_t command;
    } cases[] = {
        {"F7", ID_Z80_ASSEMBLE},
        {"F4", ID_Z80_NEXT_MESSAGE},
        {"Shift+F4", ID_Z80_PREVIOUS_MESSAGE},
        {"F12", ID_Z80_GOTO_DEFINITION},
        {"Alt+Left", ID_Z80_GO_BACK},
        {"Alt+Right", ID_Z80_GO_FORWARD},
        {"Ctrl+G", ID_Z80_GOTO_LINE},
        {"Ctrl+Shift+O", ID_Z80_OUTLINE},
    };
    EXPECT_EQ(keys->Entries().size(), std::size(cases));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keys));
        const auto chord = ParseShortcutText(c.keys);
        ASSERT_TRUE(chord.has_value());
        EXPECT_EQ(keys->Find(chord->key, chord->modifiers), c.command);
        // Neither the frame's table nor the view's holds the key, so no key of the editor's changes
        // meaning and the view never claims it before the frame.
        EXPECT_FALSE(FindAccelTable(IDR_MAINFRAME)->Find(chord->key, chord->modifiers));
        EXPECT_FALSE(view::ViewAcceleratorTable().Find(chord->key, chord->modifiers));
    }
}

} // namespace
