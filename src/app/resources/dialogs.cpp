#include "app/resources/dialogs.h"

#include <array>

#include "app/resources/resourceids.h"

namespace app {
namespace {

constexpr uint32_t kDialogFrame = DsModalFrame | DsCaption | DsSysMenu;

constexpr std::array kAboutControls{
    DialogControl{IDC_STATIC, ControlKind::Icon, {}, 7, 18, 20, 20, CsNone, IDR_MAINFRAME},
    DialogControl{IDC_STATIC, ControlKind::CenteredText, "Velmora Editor version 1.1.2", 7, 7, 146,
                  8},
    DialogControl{IDOK, ControlKind::DefPushButton, "OK", 61, 23, 44, 14, CsTabStop | CsGroup},
};

// The search options sit below the pattern on the left, the direction beside them, the buttons
// in a column on the right.
constexpr std::array kFindControls{
    DialogControl{IDC_STATIC, ControlKind::Static, "Fi&nd what:", 7, 9, 38, 8},
    DialogControl{IDC_FIND_WHAT, ControlKind::Edit, {}, 47, 7, 128, 12, CsTabStop | CsAutoHScroll},
    DialogControl{IDC_WHOLE_WORD, ControlKind::CheckBox, "Match &whole word only", 7, 26, 92, 10,
                  CsTabStop | CsGroup},
    DialogControl{IDC_MATCH_CASE, ControlKind::CheckBox, "Match &case", 7, 42, 60, 10, CsTabStop},
    DialogControl{IDC_STATIC, ControlKind::GroupBox, "Direction", 104, 24, 71, 30},
    DialogControl{IDC_DIRECTION_UP, ControlKind::RadioButton, "&Up", 110, 37, 26, 10,
                  CsTabStop | CsGroup},
    DialogControl{IDC_DIRECTION_DOWN, ControlKind::RadioButton, "&Down", 140, 37, 32, 10},
    DialogControl{IDOK, ControlKind::DefPushButton, "&Find Next", 181, 7, 48, 14,
                  CsTabStop | CsGroup},
    DialogControl{IDCANCEL, ControlKind::PushButton, "Cancel", 181, 24, 48, 14, CsTabStop},
};

constexpr std::array kReplaceControls{
    DialogControl{IDC_STATIC, ControlKind::Static, "Fi&nd what:", 7, 9, 48, 8},
    DialogControl{IDC_FIND_WHAT, ControlKind::Edit, {}, 58, 7, 110, 12, CsTabStop | CsAutoHScroll},
    DialogControl{IDC_STATIC, ControlKind::Static, "Re&place with:", 7, 26, 48, 8},
    DialogControl{
        IDC_REPLACE_WITH, ControlKind::Edit, {}, 58, 24, 110, 12, CsTabStop | CsAutoHScroll},
    DialogControl{IDC_WHOLE_WORD, ControlKind::CheckBox, "Match &whole word only", 7, 44, 90, 10,
                  CsTabStop | CsGroup},
    DialogControl{IDC_MATCH_CASE, ControlKind::CheckBox, "Match &case", 7, 60, 60, 10, CsTabStop},
    DialogControl{IDC_STATIC, ControlKind::GroupBox, "Replace in", 100, 41, 68, 40},
    DialogControl{IDC_SCOPE_SELECTION, ControlKind::RadioButton, "&Selection", 106, 53, 56, 10,
                  CsTabStop | CsGroup},
    DialogControl{IDC_SCOPE_WHOLE_FILE, ControlKind::RadioButton, "Wh&ole file", 106, 66, 56, 10},
    DialogControl{IDC_FIND_NEXT, ControlKind::DefPushButton, "&Find Next", 175, 7, 48, 14,
                  CsTabStop | CsGroup},
    DialogControl{IDC_REPLACE, ControlKind::PushButton, "&Replace", 175, 24, 48, 14, CsTabStop},
    DialogControl{IDC_REPLACE_ALL, ControlKind::PushButton, "Replace &All", 175, 41, 48, 14,
                  CsTabStop},
    DialogControl{IDCANCEL, ControlKind::PushButton, "Cancel", 175, 58, 48, 14, CsTabStop},
};

// Go to Line: the prompt names the line count once the dialog runs.
constexpr std::array kGotoLineControls{
    DialogControl{IDC_GOTO_PROMPT, ControlKind::Static, "&Line number:", 7, 9, 100, 8},
    DialogControl{IDC_GOTO_LINE, ControlKind::Edit, {}, 7, 20, 100, 12, CsTabStop | CsAutoHScroll},
    DialogControl{IDOK, ControlKind::DefPushButton, "OK", 114, 7, 48, 14, CsTabStop | CsGroup},
    DialogControl{IDCANCEL, ControlKind::PushButton, "Cancel", 114, 24, 48, 14, CsTabStop},
};

constexpr std::array kAssemblerControls{
    DialogControl{IDC_STATIC, ControlKind::Static, "&Command:", 7, 9, 36, 8},
    DialogControl{
        IDC_ASSEMBLER_COMMAND, ControlKind::Edit, {}, 46, 7, 170, 12, CsTabStop | CsAutoHScroll},
    DialogControl{IDC_STATIC, ControlKind::Static,
                  "%f stands for the file name, %e for the name without its extension.", 7, 26, 209,
                  8},
    DialogControl{IDC_STATIC, ControlKind::Static,
                  "The command runs in the folder of the source file.", 7, 38, 209, 8},
    DialogControl{IDOK, ControlKind::DefPushButton, "OK", 223, 7, 48, 14, CsTabStop | CsGroup},
    DialogControl{IDCANCEL, ControlKind::PushButton, "Cancel", 223, 24, 48, 14, CsTabStop},
    DialogControl{IDC_ASSEMBLER_DEFAULT, ControlKind::PushButton, "&Default", 223, 41, 48, 14,
                  CsTabStop},
};

constexpr std::array kDialogs{
    DialogTemplate{IDD_ABOUTBOX, "About Varnix", "MS Sans Serif", 8, 160, 58, kDialogFrame,
                   kAboutControls},
    DialogTemplate{IDD_FIND, "Find", "MS Shell Dlg", 8, 236, 62, kDialogFrame, kFindControls},
    DialogTemplate{IDD_REPLACE, "Replace", "MS Shell Dlg", 8, 230, 88, kDialogFrame,
                   kReplaceControls},
    DialogTemplate{IDD_GOTO_LINE, "Go to Line", "MS Shell Dlg", 8, 169, 40, kDialogFrame,
                   kGotoLineControls},
    DialogTemplate{IDD_ASSEMBLER, "Assembler Settings", "MS Shell Dlg", 8, 278, 62, kDialogFrame,
                   kAssemblerControls},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int32_t id) {
    for (const DialogTemplate& dialog : kDialogs)
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

} // namespace app
