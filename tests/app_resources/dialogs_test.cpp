#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/resources/dialogs.h"
#include "app/resources/menus.h"
#include "app/resources/resourceids.h"

namespace {

using namespace app;

TEST(AppDialogs, AboutBoxLayout) {
    const DialogTemplate* about = FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->title, "About Varnix");
    EXPECT_EQ(about->fontFace, "MS Sans Serif");
    EXPECT_EQ(about->fontPoints, 8);
    EXPECT_EQ(about->cx, 160);
    EXPECT_EQ(about->cy, 58);
    EXPECT_EQ(about->style, DsModalFrame | DsCaption | DsSysMenu);
    const struct {
        ControlKind kind;
        std::string_view text;
        int32_t id, x, y, cx, cy;
    } expected[] = {
        {ControlKind::Icon, "", IDC_STATIC, 7, 18, 20, 20},
        {ControlKind::CenteredText, "Velmora Editor version 1.1.2", IDC_STATIC, 7, 7, 146, 8},
        {ControlKind::DefPushButton, "OK", IDOK, 61, 23, 44, 14},
    };
    ASSERT_EQ(about->controls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const DialogControl& c = about->controls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.kind, expected[i].kind);
        EXPECT_EQ(c.text, expected[i].text);
        EXPECT_EQ(c.id, expected[i].id);
        EXPECT_EQ(c.x, expected[i].x);
        EXPECT_EQ(c.y, expected[i].y);
        EXPECT_EQ(c.cx, expected[i].cx);
        EXPECT_EQ(c.cy, expected[i].cy);
    }
    EXPECT_EQ(about->controls[0].resource, IDR_MAINFRAME);
}

TEST(AppDialogs, SearchDialogsHaveTheirControls) {
    const struct {
        int32_t dialog;
        int32_t id;
        ControlKind kind;
        std::string_view text;
    } cases[] = {
        {IDD_FIND, IDC_FIND_WHAT, ControlKind::Edit, ""},
        {IDD_FIND, IDC_WHOLE_WORD, ControlKind::CheckBox, "Match &whole word only"},
        {IDD_FIND, IDC_MATCH_CASE, ControlKind::CheckBox, "Match &case"},
        {IDD_FIND, IDC_DIRECTION_UP, ControlKind::RadioButton, "&Up"},
        {IDD_FIND, IDC_DIRECTION_DOWN, ControlKind::RadioButton, "&Down"},
        {IDD_FIND, IDOK, ControlKind::DefPushButton, "&Find Next"},
        {IDD_FIND, IDCANCEL, ControlKind::PushButton, "Cancel"},
        {IDD_REPLACE, IDC_REPLACE_WITH, ControlKind::Edit, ""},
        {IDD_REPLACE, IDC_SCOPE_SELECTION, ControlKind::RadioButton, "&Selection"},
        {IDD_REPLACE, IDC_SCOPE_WHOLE_FILE, ControlKind::RadioButton, "Wh&ole file"},
        {IDD_REPLACE, IDC_FIND_NEXT, ControlKind::DefPushButton, "&Find Next"},
        {IDD_REPLACE, IDC_REPLACE, ControlKind::PushButton, "&Replace"},
        {IDD_REPLACE, IDC_REPLACE_ALL, ControlKind::PushButton, "Replace &All"},
        {IDD_REPLACE, IDCANCEL, ControlKind::PushButton, "Cancel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const DialogTemplate* dialog = FindDialogTemplate(c.dialog);
        ASSERT_NE(dialog, nullptr);
        const DialogControl* control = FindControl(*dialog, c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->kind, c.kind);
        EXPECT_EQ(control->text, c.text);
    }
    const DialogTemplate* find = FindDialogTemplate(IDD_FIND);
    const DialogTemplate* replace = FindDialogTemplate(IDD_REPLACE);
    EXPECT_EQ(find->title, "Find");
    EXPECT_EQ(replace->title, "Replace");
    EXPECT_EQ(find->fontFace, "MS Shell Dlg");
    EXPECT_EQ((std::pair{find->cx, find->cy}), (std::pair{236, 62}));
    EXPECT_EQ((std::pair{replace->cx, replace->cy}), (std::pair{230, 88}));
    // The first radio button of each group starts the group, so the pair reads as one value.
    EXPECT_TRUE(FindControl(*find, IDC_DIRECTION_UP)->style & CsGroup);
    EXPECT_FALSE(FindControl(*find, IDC_DIRECTION_DOWN)->style & CsGroup);
    EXPECT_TRUE(FindControl(*replace, IDC_SCOPE_SELECTION)->style & CsGroup);
    EXPECT_TRUE(FindControl(*find, IDC_WHOLE_WORD)->style & CsGroup);
    EXPECT_TRUE(FindControl(*find, IDC_FIND_WHAT)->style & CsAutoHScroll);
    EXPECT_EQ(FindDialogTemplate(8603), nullptr);
}

bool Inside(const DialogControl& inner, const DialogControl& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

bool Overlap(const DialogControl& a, const DialogControl& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

TEST(AppDialogs, ControlsFitAndDoNotCollide) {
    for (int32_t id : {IDD_ABOUTBOX, IDD_FIND, IDD_REPLACE}) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        const DialogControl frame{IDC_STATIC, ControlKind::Static, {},        0,
                                  0,          dialog->cx,          dialog->cy};
        std::map<char, int> mnemonics;
        for (size_t i = 0; i < dialog->controls.size(); ++i) {
            const DialogControl& a = dialog->controls[i];
            SCOPED_TRACE(std::to_string(id) + " " + std::string(a.text));
            EXPECT_GT(a.cx, 0);
            EXPECT_GT(a.cy, 0);
            EXPECT_TRUE(Inside(a, frame));
            if (auto m = Mnemonic(a.text)) {
                EXPECT_EQ(++mnemonics[*m], 1) << *m;
            }
            for (size_t j = i + 1; j < dialog->controls.size(); ++j) {
                const DialogControl& b = dialog->controls[j];
                // A group box holds the buttons of its group.
                if (a.kind == ControlKind::GroupBox && Inside(b, a))
                    continue;
                EXPECT_FALSE(Overlap(a, b)) << b.text;
            }
        }
    }
}

} // namespace
