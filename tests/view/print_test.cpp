// Printing on the headless printer: pages are recorded as the text drawn on them, so each test
// reads what would come out of the printer, through the framework's real job loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/appprofile.h"
#include "platform/headless/headless_print.h"
#include "platform/headless/headless_profile.h"
#include "platform/print.h"
#include "view_harness.h"

namespace viewtest {
namespace {

using platform::PrintResult;
using platform::PrintStage;
using platform::headless::HeadlessPrintDevice;
using platform::headless::HeadlessProfile;
using platform::headless::PrintedPage;

// The default paper: 1536 x 2016 printable units at 192 dpi. Margins of 10 mm are 76 units, the
// footer band 24 (a line and a half of 16), so lines print from y 76 to 1916, 115 rows of 16, and
// across 1384 units: 173 cells of 8.
constexpr int32_t kLeft = 76;
constexpr int32_t kTop = 76;
constexpr int32_t kRowsPerPage = 115;
constexpr int32_t kCellsPerRow = 173;
constexpr int32_t kFooterY = 1924;

// Every page as its rows of text from the top, "y:text".
std::vector<std::vector<std::string>> PagesOf(const HeadlessPrintDevice& device) {
    std::vector<std::vector<std::string>> pages;
    for (const PrintedPage& page : device.pages)
        pages.push_back(page.Rows());
    return pages;
}

// The rows a page shows for lines printed one row each from the top (an empty one shows
// nothing), then the footer.
std::vector<std::string> PageRows(const std::vector<std::string>& lines,
                                  const std::string& footer) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty())
            rows.push_back(std::to_string(kTop + 16 * static_cast<int32_t>(i)) + ":" + lines[i]);
    rows.push_back(std::to_string(kFooterY) + ":" + footer);
    return rows;
}

std::string Numbered(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += (i > from ? "\n" : "") + std::string("l") + std::to_string(i);
    return text;
}

std::vector<std::string> NumberedLines(int from, int to) {
    std::vector<std::string> lines;
    for (int i = from; i < to; ++i)
        lines.push_back("l" + std::to_string(i));
    return lines;
}

class PrintTest : public testing::Test {
protected:
    void TearDown() override { platform::SetAppProfile(nullptr); }
};

TEST_F(PrintTest, PagesOfDocuments) {
    const std::string wrapped = std::string(170, 'a') + " " + std::string(170, 'b') + " " +
                                std::string(10, 'c'); // three rows
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::vector<std::string>> pages;
    };
    const Case cases[] = {
        {"an empty document: one page with the footer alone", "", {PageRows({}, "Page 1/1")}},
        {"one page", "ld a,1\n\nret", {PageRows({"ld a,1", "", "ret"}, "Page 1/1")}},
        {"a full page, then one line more",
         Numbered(0, kRowsPerPage + 1),
         {PageRows(NumberedLines(0, kRowsPerPage), "Page 1/2"), PageRows({"l115"}, "Page 2/2")}},
        {"tabs expanded as on screen",
         "a\tb\n\tx\nab\tc\tdefgh\td",
         {PageRows({"a   b", "    x", "ab  c   defgh   d"}, "Page 1/1")}},
        {"a wrapped line takes its rows",
         "x\n" + wrapped + "\ny",
         {PageRows({"x", std::string(170, 'a'), std::string(170, 'b'), std::string(10, 'c'), "y"},
                   "Page 1/1")}},
        {"a wrapped line never breaks across pages",
         Numbered(0, kRowsPerPage - 2) + "\n" + wrapped,
         {PageRows(NumberedLines(0, kRowsPerPage - 2), "Page 1/2"),
          PageRows({std::string(170, 'a'), std::string(170, 'b'), std::string(10, 'c')},
                   "Page 2/2")}},
        {"a word wider than the page breaks between characters",
         std::string(200, 'w'),
         {PageRows({std::string(kCellsPerRow, 'w'), std::string(200 - kCellsPerRow, 'w')},
                   "Page 1/1")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h(c.text, 40, 10);
        HeadlessPrintDevice device;
        const platform::PrintOutcome outcome = platform::RunPrintJob(*h.view, device, "doc.asm");
        EXPECT_EQ(outcome.result, PrintResult::Printed);
        EXPECT_EQ(outcome.pages, c.pages.size());
        EXPECT_EQ(PagesOf(device), c.pages);
        EXPECT_TRUE(device.documentEnded);
        EXPECT_EQ(device.title, "doc.asm");
        EXPECT_EQ(device.dialogsShown, 1);
    }
}

// The footer is centred in its band and sits on the band's bottom; text is black.
TEST_F(PrintTest, FooterPlace) {
    Harness h("", 40, 10);
    HeadlessPrintDevice device;
    platform::RunPrintJob(*h.view, device, "t");
    ASSERT_EQ(device.pages.size(), 1u);
    ASSERT_EQ(device.pages[0].texts.size(), 1u);
    const platform::headless::PrintedText& footer = device.pages[0].texts[0];
    EXPECT_EQ(footer.text, "Page 1/1");
    EXPECT_EQ(footer.at.x, kLeft + (kCellsPerRow * 8 - 64) / 2);
    EXPECT_EQ(footer.at.y, kFooterY);
    EXPECT_EQ(footer.color, 0x000000u);
}

// A line taller than a page starts on a page of its own and goes on over the next pages; no row
// is lost and the rows stay in order.
TEST_F(PrintTest, LineTallerThanAPage) {
    std::string tall;
    for (int i = 0; i < 300; ++i)
        tall += (i ? " " : "") + std::string(kCellsPerRow - 1, static_cast<char>('A' + i % 26));
    Harness h("first\n" + tall + "\nlast", 40, 10);
    HeadlessPrintDevice device;
    ASSERT_EQ(platform::RunPrintJob(*h.view, device, "t").result, PrintResult::Printed);
    // Page 1: "first"; pages 2 to 4: the 300 rows (115, 115, 70), "last" after them on page 4.
    ASSERT_EQ(device.pages.size(), 4u);
    EXPECT_EQ(device.pages[0].Rows(), PageRows({"first"}, "Page 1/4"));
    std::vector<std::string> rows;
    for (size_t p = 1; p < device.pages.size(); ++p) {
        EXPECT_EQ(device.pages[p].TextAt(kFooterY), "Page " + std::to_string(p + 1) + "/4");
        for (int32_t y = kTop; y < kFooterY; y += 16)
            if (const std::string text = device.pages[p].TextAt(y); !text.empty())
                rows.push_back(text);
    }
    ASSERT_EQ(rows.size(), 301u);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(rows[static_cast<size_t>(i)],
                  std::string(kCellsPerRow - 1, static_cast<char>('A' + i % 26)))
            << "row " << i;
    EXPECT_EQ(rows.back(), "last");
    EXPECT_EQ(device.pages[3].TextAt(kTop + 70 * 16), "last");
}

TEST_F(PrintTest, MarginsFromTheSettings) {
    HeadlessProfile profile;
    platform::SetAppProfile(&profile);
    profile.WriteProfileInt("PageSetup", "LeftMargin", 2540);  // one inch: 192 units
    profile.WriteProfileInt("PageSetup", "TopMargin", 1270);   // 96
    profile.WriteProfileInt("PageSetup", "RightMargin", 0);    // the page's edge
    profile.WriteProfileInt("PageSetup", "BottomMargin", 500); // 37.8: 38
    Harness h("ld a,1", 40, 10);
    HeadlessPrintDevice device;
    platform::RunPrintJob(*h.view, device, "t");
    ASSERT_EQ(device.pages.size(), 1u);
    // The band of the footer ends 38 units above the printable area's bottom (2016).
    const int32_t footerY = 2016 - 38 - 16;
    const int32_t width = 1536 - 192;
    EXPECT_EQ(device.pages[0].Rows(),
              (std::vector<std::string>{"96:ld a,1", std::to_string(footerY) + ":Page 1/1"}));
    // The footer is drawn first, then the lines.
    EXPECT_EQ(device.pages[0].texts[0].at.x, 192 + (width - 64) / 2);
    EXPECT_EQ(device.pages[0].texts[1].at.x, 192);
}

// Margins wider than the paper would print off the sheet: they are dropped.
TEST_F(PrintTest, MarginsLeavingNoRoomAreDropped) {
    HeadlessProfile profile;
    platform::SetAppProfile(&profile);
    for (const char* name : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"})
        profile.WriteProfileInt("PageSetup", name, 100000); // a metre each
    Harness h("ab\ncd", 40, 10);
    HeadlessPrintDevice device;
    ASSERT_EQ(platform::RunPrintJob(*h.view, device, "t").result, PrintResult::Printed);
    ASSERT_EQ(device.pages.size(), 1u);
    EXPECT_EQ(device.pages[0].Rows(), (std::vector<std::string>{"0:ab", "16:cd", "2000:Page 1/1"}));
}

// Half the physical size of the screen font: at 600 dpi a 16-unit font of a 96 dpi screen is
// 50 units high, and regular even when the bold font was made last.
TEST_F(PrintTest, PrinterFontIsHalfTheScreenFont) {
    Harness h("x", 40, 10);
    platform::LogFont font;
    font.lfHeight = 16;
    font.lfWidth = 8;
    font.SetFaceName("Courier New");
    h.view->SetBaseFont(font);
    h.view->GetStyledFont(true, true);
    platform::headless::HeadlessPaper paper;
    paper.dpiX = 300;
    paper.dpiY = 600;
    HeadlessPrintDevice device(paper);
    platform::RunPrintJob(*h.view, device, "t");
    ASSERT_EQ(device.pages.size(), 1u);
    const platform::LogFont& printed = device.pages[0].texts[0].font;
    EXPECT_EQ(printed.lfHeight, 50);
    EXPECT_EQ(printed.lfWidth, 13); // 8 * 300 / 192 = 12.5, rounded away from zero
    EXPECT_EQ(printed.lfWeight, platform::FW_NORMAL);
    EXPECT_EQ(printed.lfItalic, 0);
    EXPECT_EQ(printed.FaceName(), "Courier New");
}

TEST_F(PrintTest, FontThatCannotBeMadePrintsInTheDefaultFont) {
    Harness h("ld a,1", 40, 10);
    h.system.SetFontCreationFails(true);
    HeadlessPrintDevice device;
    EXPECT_EQ(platform::RunPrintJob(*h.view, device, "t").result, PrintResult::Printed);
    ASSERT_EQ(device.pages.size(), 1u);
    EXPECT_EQ(device.pages[0].TextAt(kTop), "ld a,1");
    EXPECT_EQ(device.pages[0].texts[0].font.FaceName(), "Headless Fixed");
    EXPECT_EQ(device.Surface().SelectedFont(), nullptr);
}

// What the user does with the dialogs and the progress, and what the printer does.
TEST_F(PrintTest, JobOutcomes) {
    struct Case {
        const char* what;
        std::function<void(HeadlessPrintDevice&)> script;
        PrintResult result;
        std::vector<std::string> footers; // of the pages drawn
        bool aborted;
        const char* error;
    };
    const Case cases[] = {
        {"the print dialog cancelled",
         [](HeadlessPrintDevice& d) { d.dialogAccepts = false; },
         PrintResult::Cancelled,
         {},
         false,
         ""},
        {"no printer",
         [](HeadlessPrintDevice& d) { d.hasPrinter = false; },
         PrintResult::Failed,
         {},
         false,
         "No printer is installed."},
        {"the printer cannot be opened",
         [](HeadlessPrintDevice& d) { d.openFails = true; },
         PrintResult::Failed,
         {},
         false,
         "The printer cannot be opened."},
        {"page 2 alone",
         [](HeadlessPrintDevice& d) {
             d.dialogFromPage = 2;
             d.dialogToPage = 2;
         },
         PrintResult::Printed,
         {"Page 2/3"},
         false,
         ""},
        {"from page 2 on",
         [](HeadlessPrintDevice& d) { d.dialogFromPage = 2; },
         PrintResult::Printed,
         {"Page 2/3", "Page 3/3"},
         false,
         ""},
        {"pages past the end",
         [](HeadlessPrintDevice& d) { d.dialogFromPage = 5; },
         PrintResult::Failed,
         {""},
         true,
         "The document has no page in the chosen range."},
        {"the printer fails on page 2",
         [](HeadlessPrintDevice& d) { d.failingPage = 2; },
         PrintResult::Failed,
         {"Page 1/3", "Page 2/3"},
         true,
         "The printer stopped."},
        {"cancelled before the first page",
         [](HeadlessPrintDevice& d) { d.cancelAtProgressCall = 0; },
         PrintResult::Cancelled,
         {},
         true,
         ""},
        {"cancelled while paginating",
         [](HeadlessPrintDevice& d) { d.cancelAtProgressCall = 1; },
         PrintResult::Cancelled,
         {""},
         true,
         ""},
        {"cancelled before page 2",
         [](HeadlessPrintDevice& d) { d.cancelAtProgressCall = 2; },
         PrintResult::Cancelled,
         {"Page 1/3"},
         true,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h(Numbered(0, 2 * kRowsPerPage + 10000 % kRowsPerPage), 40, 10);
        HeadlessPrintDevice device;
        c.script(device);
        const platform::PrintOutcome outcome = platform::RunPrintJob(*h.view, device, "t");
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.error, c.error);
        std::vector<std::string> footers;
        for (const PrintedPage& page : device.pages)
            footers.push_back(page.TextAt(kFooterY));
        EXPECT_EQ(footers, c.footers);
        EXPECT_EQ(device.documentAborted, c.aborted);
        EXPECT_FALSE(device.documentOpen);
        // The job is over: the next one paginates afresh.
        EXPECT_FALSE(h.view->GetPrintJob().printPageStarts.has_value());
        EXPECT_EQ(h.view->GetPrintJob().printFont, nullptr);
        EXPECT_EQ(h.view->GetPrintJob().printPageCount, 0);
    }
}

// Pagination reports its progress every thousand lines or so, then each page is announced with
// the page count once it is known.
TEST_F(PrintTest, Progress) {
    Harness h(Numbered(0, 10000), 40, 10);
    HeadlessPrintDevice device;
    ASSERT_EQ(platform::RunPrintJob(*h.view, device, "t").result, PrintResult::Printed);
    const int64_t pages = (10000 + kRowsPerPage - 1) / kRowsPerPage;
    ASSERT_EQ(device.pages.size(), static_cast<size_t>(pages));
    std::vector<std::string> calls;
    for (const HeadlessPrintDevice::ProgressCall& call : device.progress)
        calls.push_back((call.stage == PrintStage::Paginating ? "lines " : "page ") +
                        std::to_string(call.done) + "/" + std::to_string(call.total));
    std::vector<std::string> expected{"page 1/0"};
    for (int line = 1024; line < 10000; line += 1024)
        expected.push_back("lines " + std::to_string(line) + "/10000");
    expected.push_back("lines 10000/10000");
    for (int64_t page = 2; page <= pages; ++page)
        expected.push_back("page " + std::to_string(page) + "/" + std::to_string(pages));
    EXPECT_EQ(calls, expected);
}

// A preview job draws any page on demand and learns the page count from the first one.
TEST_F(PrintTest, Preview) {
    Harness h(Numbered(0, 2 * kRowsPerPage + 1), 40, 10);
    HeadlessPrintDevice device;
    {
        platform::PrintPreview preview(*h.view, device);
        std::string error;
        ASSERT_TRUE(preview.Begin("t", error));
        EXPECT_EQ(device.dialogsShown, 0) << "a preview asks nothing";
        EXPECT_EQ(preview.PageCount(), 0u);
        ASSERT_TRUE(preview.DrawPage(3));
        EXPECT_EQ(preview.PageCount(), 3u);
        EXPECT_FALSE(preview.DrawPage(4));
        ASSERT_TRUE(preview.DrawPage(1));
        EXPECT_EQ(device.pages.back().TextAt(kFooterY), "Page 1/3");
        EXPECT_EQ(device.pages.back().TextAt(kTop), "l0");
        EXPECT_EQ(device.pages.front().TextAt(kTop), "l230");
    }
    EXPECT_TRUE(device.documentAborted) << "a preview prints nothing";
    EXPECT_FALSE(h.view->GetPrintJob().printPageStarts.has_value());
}

// The text changed between two jobs: each paginates afresh.
TEST_F(PrintTest, EveryJobPaginatesAfresh) {
    Harness h(Numbered(0, kRowsPerPage), 40, 10);
    HeadlessPrintDevice first;
    platform::RunPrintJob(*h.view, first, "t");
    EXPECT_EQ(first.pages.size(), 1u);
    h.Insert(0, 0, "more\n");
    HeadlessPrintDevice second;
    platform::RunPrintJob(*h.view, second, "t");
    ASSERT_EQ(second.pages.size(), 2u);
    EXPECT_EQ(second.pages[1].TextAt(kFooterY), "Page 2/2");
}

} // namespace
} // namespace viewtest
