// Printing and bookmarks in the application: the menu items and what they ask of the user, Page
// Setup storing its margins, and a document's view printed through the real job loop on the
// headless printer.
#include <gtest/gtest.h>

#include <QToolBar>

#include "app/resources/resourceids.h"
#include "app_harness.h"
#include "platform/headless/headless_print.h"
#include "view/commandids.h"

namespace apptest {
namespace {

TEST_F(AppTest, PageSetupStoresTheMarginsOnOkOnly) {
    Preset("PageSetup/TopMargin", 2000);
    ASSERT_TRUE(Start());
    // Cancel: nothing is written, whatever the dialog showed.
    ui.pageSetupAnswer.reset();
    Main().RouteCommand(app::ID_FILE_PAGE_SETUP);
    ASSERT_EQ(ui.marginsShown.size(), 1u);
    EXPECT_EQ(ui.marginsShown[0], (platform::PageMargins{1000, 1000, 2000, 1000}));
    // OK: all four go to "PageSetup".
    ui.pageSetupAnswer = platform::PageMargins{1234, 500, 0, 2540};
    Main().RouteCommand(app::ID_FILE_PAGE_SETUP);
    ASSERT_EQ(ui.marginsShown.size(), 2u);
    EXPECT_EQ(ui.marginsShown[1], (platform::PageMargins{1000, 1000, 2000, 1000}));
    Stop();
    EXPECT_EQ(Stored("PageSetup/LeftMargin").toInt(), 1234);
    EXPECT_EQ(Stored("PageSetup/RightMargin").toInt(), 500);
    EXPECT_EQ(Stored("PageSetup/TopMargin").toInt(), 0);
    EXPECT_EQ(Stored("PageSetup/BottomMargin").toInt(), 2540);
}

TEST_F(AppTest, PageSetupCancelledWritesNothing) {
    ASSERT_TRUE(Start());
    Main().RouteCommand(app::ID_FILE_PAGE_SETUP);
    Stop();
    for (const char* name : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"})
        EXPECT_FALSE(Stored(QString("PageSetup/") + name).isValid()) << name;
}

TEST_F(AppTest, PrintCommandsReachTheUserInterface) {
    ASSERT_TRUE(Start());
    // Print Setup needs no document.
    for (const uint32_t id : {app::ID_FILE_PRINT_SETUP, app::ID_FILE_PRINT,
                              app::ID_FILE_PRINT_PREVIEW, app::ID_FILE_PAGE_SETUP}) {
        QAction* item = MenuItem(id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_TRUE(item->isEnabled()) << id;
    }
    Main().RouteCommand(app::ID_FILE_PRINT_SETUP);
    EXPECT_EQ(ui.printSetups, 1);

    // The dialog prints the view on a printer that keeps the pages.
    platform::headless::HeadlessPrintDevice printer;
    ui.onPrint = [&printer](platform::PrintableView& view) {
        platform::RunPrintJob(view, printer, "job");
    };
    Type(View(), "ld a,1");
    Main().RouteCommand(app::ID_FILE_PRINT);
    Main().RouteCommand(app::ID_FILE_PRINT_PREVIEW);
    ASSERT_EQ(ui.printed.size(), 2u);
    EXPECT_EQ(ui.printed[0].view, static_cast<platform::PrintableView*>(&View()));
    EXPECT_EQ(ui.printed[0].title, Doc().Title());
    EXPECT_FALSE(ui.printed[0].preview);
    EXPECT_TRUE(ui.printed[1].preview);
    ASSERT_EQ(printer.pages.size(), 2u);
    const std::vector<std::string> rows = printer.pages[0].Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].find(":ld a,1"), std::string::npos);
    EXPECT_NE(rows[1].find(":Page 1/1"), std::string::npos);
}

TEST_F(AppTest, BookmarkItemsFollowThePlainBookmarks) {
    ASSERT_TRUE(Start());
    Type(View(), "a\rb\rc");
    const auto enabled = [this](uint32_t id) {
        QAction* item = MenuItem(id);
        return item && item->isEnabled();
    };
    for (const uint32_t id : {view::ID_NEXT_PLAIN_BOOKMARK, view::ID_PREVIOUS_PLAIN_BOOKMARK,
                              view::ID_CLEAR_PLAIN_BOOKMARKS})
        EXPECT_FALSE(enabled(id)) << id;
    for (const uint32_t id : {view::ID_TOGGLE_PLAIN_BOOKMARK, view::ID_TOGGLE_BOOKMARK0 + 5,
                              view::ID_GO_BOOKMARK0 + 5, view::ID_CLEAR_BOOKMARKS})
        EXPECT_TRUE(enabled(id)) << id;

    Main().RouteCommand(view::ID_TOGGLE_PLAIN_BOOKMARK);
    EXPECT_EQ(Doc().Buffer().LineFlagWord(2), PlainBookmark);
    EXPECT_TRUE(enabled(view::ID_NEXT_PLAIN_BOOKMARK));
    // The toolbar's buttons follow at the next idle update.
    Main().UpdateCommandUI();
    EXPECT_TRUE(Main().FindToolBarAction(view::ID_NEXT_PLAIN_BOOKMARK)->isEnabled());

    Main().RouteCommand(view::ID_TOGGLE_BOOKMARK0 + 5);
    View().MoveCaretTo({0, 0});
    Main().RouteCommand(view::ID_GO_BOOKMARK0 + 5);
    EXPECT_EQ(View().GetCaretPos(), (TextPosition{0, 2}));
    Main().RouteCommand(view::ID_CLEAR_PLAIN_BOOKMARKS);
    EXPECT_FALSE(enabled(view::ID_NEXT_PLAIN_BOOKMARK));
    EXPECT_EQ(Doc().Buffer().LineFlagWord(2), NumberedBookmark5);
}

} // namespace
} // namespace apptest
