// Dialog templates as data: the About box, the Find and Replace dialogs, and the Z80 workbench's
// Go to Line and Assembler Settings. Positions and sizes are in dialog units of the template's
// font (a horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height).
#pragma once

#include <cstdint>

#include "platform/dialog.h"

namespace app {

// The template types are the platform's: the engine's dialogs run from the same data.
using platform::ControlKind;
using platform::ControlStyle;
using platform::CsAutoHScroll;
using platform::CsGroup;
using platform::CsNone;
using platform::CsTabStop;
using platform::DialogControl;
using platform::DialogStyle;
using platform::DialogTemplate;
using platform::DsCaption;
using platform::DsModalFrame;
using platform::DsSysMenu;
using platform::FindControl;

// Dialogs IDD_ABOUTBOX (100), IDD_FIND (8601), IDD_REPLACE (8602) and the Z80 workbench's
// IDD_GOTO_LINE (141) and IDD_ASSEMBLER (142); null otherwise.
const DialogTemplate* FindDialogTemplate(int32_t id);

} // namespace app
