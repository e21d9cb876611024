#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/resources/bars.h"
#include "app/resources/menus.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "app/resources/versioninfo.h"
#include "view/viewresources.h"

namespace {

using namespace app;

TEST(AppStrings, ExactTexts) {
    const struct {
        int32_t id;
        std::string_view text;
    } cases[] = {
        {57344, "Velmora Editor"},
        {128, "Velmora Editor"},
        {57608, "OLE initialization failed"},
        {8606, "Cannot find string\"%s\""},
        {8615, "&Undo %s\tCtrl+Z"},
        {8616, "&Redo %s\tCtrl+Y"},
        {8617, "&Undo\tCtrl+Z"},
        {8618, "&Redo\tCtrl+Z"},
        {8619, "Unknown"},
        {8623, "Delete"},
        {8624, "Typing"},
        {8627, "Drag And Drop"},
        {8629, "Auto Indent"},
        {32800, "Set default font"},
        {37900, "========="},
        {37901, "Read"},
        {37902, "========"},
        {37903, "============"},
        {59137, "CAP"},
        {59138, "NUM"},
        {59139, "SCRL"},
        {59140, "OVR"},
        {IDP_DOCUMENT_READ_ONLY, "Document now read-only!"},
        {IDS_POSITION_FORMAT, "Ln %d, Col %d"},
        {IDS_LINE_END_DOS, "DOS"},
        {IDS_LINE_END_UNIX, "UNIX"},
        {IDS_LINE_END_MAC, "MAC"},
        {IDS_PAGE_FOOTER_FORMAT, "Page %d/%d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        auto text = FindString(c.id);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, c.text);
    }
    EXPECT_FALSE(FindString(8630).has_value());
    EXPECT_FALSE(FindString(0).has_value());
}

TEST(AppStrings, FillInReplacesPlaceholdersInOrder) {
    EXPECT_EQ(FillIn("Line %d of %s", {"3", "a.asm"}), "Line 3 of a.asm");
    EXPECT_EQ(FillIn("100%% of %s", {"it"}), "100% of it");
    EXPECT_EQ(FillIn("%s and %s", {"one"}), "one and ");
    EXPECT_EQ(FillIn("%x stays, so does a lone %", {"unused"}), "%x stays, so does a lone %");
}

TEST(AppStrings, IdsAreUniqueAndEveryLookupFindsItsOwnEntry) {
    const std::vector<StringEntry> all = AllStrings();
    std::set<int32_t> seen;
    for (const StringEntry& entry : all) {
        SCOPED_TRACE(entry.id);
        EXPECT_TRUE(seen.insert(entry.id).second);
        // A table out of order would make the bisecting lookup miss entries.
        auto found = FindString(entry.id);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, entry.text);
    }
    for (int32_t id = IDS_FIRST_ACTION_NAME; id <= IDS_LAST_ACTION_NAME; ++id)
        EXPECT_TRUE(seen.count(id)) << id;
}

TEST(AppStrings, DocumentTemplateFields) {
    const std::string_view doc = FindString(IDR_SOURCETYPE).value_or("");
    EXPECT_EQ(DocTemplateField(doc, DocField::WindowTitle), "");
    EXPECT_EQ(DocTemplateField(doc, DocField::DocName), "Source");
    EXPECT_EQ(DocTemplateField(doc, DocField::FileNewName), "Source");
    EXPECT_EQ(DocTemplateField(doc, DocField::FilterName), "Quorda Files (*.qrt)");
    EXPECT_EQ(DocTemplateField(doc, DocField::FilterExt), ".qrt");
    EXPECT_EQ(DocTemplateField(doc, DocField::RegFileTypeId), "Quorda.Document");
    EXPECT_EQ(DocTemplateField(doc, DocField::RegFileTypeName), "Quorda Document");
    EXPECT_EQ(DocTemplateField("\nOnly", DocField::FilterExt), "");
}

TEST(AppStrings, EveryMenuAndToolbarCommandHasAPrompt) {
    for (int32_t menuId : {IDR_MAINFRAME, IDR_SOURCETYPE, IDR_CONTEXTMENU, IDR_WORKBENCH}) {
        VisitMenuItems(FindMenu(menuId)->bar, [&](const MenuItem& item, const MenuItem*) {
            if (item.kind == MenuItemKind::Command) {
                EXPECT_FALSE(StatusPrompt(item.id).empty()) << menuId << " " << item.text;
            }
        });
    }
    for (const ToolBarItem& item : FindToolBar(IDR_MAINFRAME)->items) {
        if (item.IsSeparator())
            continue;
        EXPECT_FALSE(StatusPrompt(item.command).empty()) << item.command;
        EXPECT_FALSE(ToolTip(item.command).empty()) << item.command;
    }
    EXPECT_EQ(StatusPrompt(ID_SET_FONT), "Set default font");
    EXPECT_EQ(ToolTip(ID_SET_FONT), "");
    EXPECT_EQ(StatusPrompt(ID_FILE_NEW).find('\n'), std::string_view::npos);
    // The OLE message shares its id with the direct-print command; it is not a prompt.
    EXPECT_EQ(StatusPrompt(ID_FILE_PRINT_DIRECT), "");
}

TEST(AppStrings, PaneStringsSizeEveryPane) {
    std::vector<uint32_t> panes(StatusBarPanes().begin(), StatusBarPanes().end());
    panes.insert(panes.end(), WorkbenchStatusPanes().begin(), WorkbenchStatusPanes().end());
    for (uint32_t pane : panes) {
        if (pane == ID_SEPARATOR)
            continue;
        auto text = FindString(static_cast<int32_t>(pane));
        ASSERT_TRUE(text.has_value()) << pane;
        EXPECT_FALSE(text->empty()) << pane;
    }
}

TEST(AppIds, AgreeWithTheEngine) {
    static_assert(IDR_VIEW_ACCELERATORS == view::IDR_VIEW_ACCELERATORS);
    static_assert(IDB_MARGIN_ICONS == view::IDB_MARGIN_ICONS);
    static_assert(IDC_MARGIN_CURSOR == view::IDC_MARGIN_CURSOR);
    EXPECT_EQ((kVersionInfo.fileVersion), (std::array<uint16_t, 4>{1, 1, 2, 0}));
    EXPECT_EQ(kVersionInfo.internalName, "varnix");
}

} // namespace
