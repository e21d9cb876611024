// Dialog templates as data: the About box and the Find and Replace dialogs. Positions and sizes
// are in dialog units of the template's font (a horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its height).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace app {

enum class ControlKind : uint8_t {
    Static,       // left-aligned text
    CenteredText, // centred text
    Icon,         // the icon whose resource id is the control's `resource`
    Edit,
    CheckBox,
    RadioButton,
    GroupBox,
    PushButton,
    DefPushButton, // the button Enter presses
};

// Style bits of a control.
enum ControlStyle : uint32_t {
    CsNone = 0,
    CsTabStop = 0x1,
    CsGroup = 0x2,       // starts a group: of radio buttons, or of the Tab order
    CsAutoHScroll = 0x4, // an edit that scrolls sideways as text is typed
};

// Style bits of a dialog.
enum DialogStyle : uint32_t {
    DsModalFrame = 0x1,
    DsCaption = 0x2,
    DsSysMenu = 0x4,
};

struct DialogControl {
    int32_t id = -1; // IDC_STATIC (-1) for controls that send nothing
    ControlKind kind = ControlKind::Static;
    std::string_view text;
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    uint32_t style = CsNone;
    int32_t resource = 0; // Icon: the icon's resource id
};

struct DialogTemplate {
    int32_t id = 0;
    std::string_view title;
    std::string_view fontFace;
    int32_t fontPoints = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    uint32_t style = 0;
    std::span<const DialogControl> controls; // in Tab order
};

// Dialogs IDD_ABOUTBOX (100), IDD_FIND (8601) and IDD_REPLACE (8602); null otherwise.
const DialogTemplate* FindDialogTemplate(int32_t id);

// The control `id` of `dialog`, the first one for IDC_STATIC; null when there is none.
const DialogControl* FindControl(const DialogTemplate& dialog, int32_t id);

} // namespace app
