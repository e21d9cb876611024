// Every numeric id the editor uses: commands, resources, strings, status panes, dialog controls.
// The values are the contract between menus, accelerators, toolbar buttons and the command maps
// of the engine and the shell; none may change. A command's status prompt is the string with the
// command's id. The ids the text view and the edit view serve are theirs, named here as well.
#pragma once

#include <cstdint>

#include "app/resources/workbenchids.h"
#include "edit/dialogids.h"
#include "edit/editcommandids.h"
#include "platform/dialog.h"
#include "view/commandids.h"
#include "view/viewstrings.h"

namespace app {

// ---- Resources: menus, icons, accelerators, toolbar, dialogs, version.
inline constexpr int32_t IDR_MAINFRAME = 128;   // menu, icon, accelerators, toolbar, title
inline constexpr int32_t IDR_SOURCETYPE = 129;  // document menu, icon, template string
inline constexpr int32_t IDR_CONTEXTMENU = 132; // the view's context menu
inline constexpr int32_t IDD_ABOUTBOX = 100;
using edit::IDD_FIND;
using edit::IDD_REPLACE;
inline constexpr int32_t IDC_MARGIN_CURSOR = 22900;
inline constexpr int32_t IDR_VIEW_ACCELERATORS = 22901;
inline constexpr int32_t IDB_MARGIN_ICONS = 22902;
inline constexpr int32_t VS_VERSION_INFO = 1;

// ---- File.
inline constexpr uint32_t ID_FILE_NEW = 57600;
inline constexpr uint32_t ID_FILE_OPEN = 57601;
inline constexpr uint32_t ID_FILE_SAVE = 57603;
inline constexpr uint32_t ID_FILE_SAVE_AS = 57604;
inline constexpr uint32_t ID_FILE_PAGE_SETUP = 57605;
inline constexpr uint32_t ID_FILE_PRINT_SETUP = 57606;
inline constexpr uint32_t ID_FILE_PRINT = 57607;
inline constexpr uint32_t ID_FILE_PRINT_DIRECT = 57608; // the shell's print request, no dialog
inline constexpr uint32_t ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr uint32_t ID_FILE_MRU_FILE1 = 57616; // first entry of the recent-file list
inline constexpr uint32_t ID_APP_ABOUT = 57664;
inline constexpr uint32_t ID_APP_EXIT = 57665;

// ---- Edit.
inline constexpr uint32_t ID_EDIT_COPY = 57634;
inline constexpr uint32_t ID_EDIT_CUT = 57635;
using edit::ID_EDIT_FIND;
inline constexpr uint32_t ID_EDIT_PASTE = 57637;
using edit::ID_EDIT_REPLACE;
using view::ID_EDIT_REPEAT; // Find Next
inline constexpr uint32_t ID_EDIT_SELECT_ALL = 57642;
using edit::ID_EDIT_DELETE;
using edit::ID_EDIT_DELETE_BACK;
using edit::ID_EDIT_DELETE_WORD_BACK;
using edit::ID_EDIT_REDO;
using edit::ID_EDIT_SWITCH_OVRMODE;
using edit::ID_EDIT_TAB;
using edit::ID_EDIT_UNDO;
using edit::ID_EDIT_UNTAB;
using view::ID_EDIT_FIND_PREVIOUS;
inline constexpr uint32_t ID_READ_ONLY = 32795;
inline constexpr uint32_t ID_BACKSPACE_AT_LINE_START = 32796;
inline constexpr uint32_t ID_DRAG_AND_DROP_EDITING = 32797; // no handler: always greyed

// ---- Caret movement (keys only): the text view's ids.
using view::ID_CARET_LEFT;
using view::ID_CARET_LEFT_EXTEND;
using view::ID_CARET_LINE_DOWN;
using view::ID_CARET_LINE_DOWN_EXTEND;
using view::ID_CARET_LINE_END;
using view::ID_CARET_LINE_END_EXTEND;
using view::ID_CARET_LINE_HOME;
using view::ID_CARET_LINE_HOME_EXTEND;
using view::ID_CARET_LINE_UP;
using view::ID_CARET_LINE_UP_EXTEND;
using view::ID_CARET_PAGE_DOWN;
using view::ID_CARET_PAGE_DOWN_EXTEND;
using view::ID_CARET_PAGE_UP;
using view::ID_CARET_PAGE_UP_EXTEND;
using view::ID_CARET_RIGHT;
using view::ID_CARET_RIGHT_EXTEND;
using view::ID_CARET_TEXT_END;
using view::ID_CARET_TEXT_END_EXTEND;
using view::ID_CARET_TEXT_START;
using view::ID_CARET_TEXT_START_EXTEND;
using view::ID_CARET_WORD_LEFT;
using view::ID_CARET_WORD_LEFT_EXTEND;
using view::ID_CARET_WORD_RIGHT;
using view::ID_CARET_WORD_RIGHT_EXTEND;
using view::ID_SCROLL_LINE_DOWN;
using view::ID_SCROLL_LINE_UP;

// ---- Bookmarks. Numbered bookmark n uses the first id of its range + n.
inline constexpr uint32_t ID_BOOKMARK_TOGGLE_0 = 37200; // .. 37209
inline constexpr uint32_t ID_BOOKMARK_GOTO_0 = 37210;   // .. 37219
inline constexpr uint32_t ID_BOOKMARK_CLEAR_NUMBERED = 37220;
inline constexpr uint32_t ID_BOOKMARK_TOGGLE = 37223;
inline constexpr uint32_t ID_BOOKMARK_NEXT = 37224;
inline constexpr uint32_t ID_BOOKMARK_PREVIOUS = 37225;
inline constexpr uint32_t ID_BOOKMARK_CLEAR_ALL = 37226;

// ---- View and window.
inline constexpr uint32_t ID_SET_FONT = 32800;
inline constexpr uint32_t ID_VIEW_TOOLBAR = 59392;    // also the toolbar's window id
inline constexpr uint32_t ID_VIEW_STATUS_BAR = 59393; // also the status bar's window id
inline constexpr uint32_t ID_WINDOW_NEW = 57648;
inline constexpr uint32_t ID_WINDOW_ARRANGE = 57649;
inline constexpr uint32_t ID_WINDOW_CASCADE = 57650;
inline constexpr uint32_t ID_WINDOW_TILE_HORZ = 57651;
inline constexpr uint32_t ID_NEXT_PANE = 57680;
inline constexpr uint32_t ID_PREV_PANE = 57681;
inline constexpr uint32_t ID_FIRST_SPLITTER_PANE = 59648; // pane (row, col) is this + 16*row + col

// ---- Status panes. ID_SEPARATOR stands for the message pane.
inline constexpr uint32_t ID_SEPARATOR = 0;
using edit::ID_EDIT_INDICATOR_BLANK; // always disabled, so always blank
using edit::ID_EDIT_INDICATOR_READ;
inline constexpr uint32_t ID_EDIT_INDICATOR_CRLF = 37902;
inline constexpr uint32_t ID_EDIT_INDICATOR_POSITION = 37903;
inline constexpr uint32_t ID_INDICATOR_CAPS = 59137;
inline constexpr uint32_t ID_INDICATOR_NUM = 59138;
inline constexpr uint32_t ID_INDICATOR_SCRL = 59139;
using edit::ID_INDICATOR_OVR;

// ---- Strings that are not command prompts or pane texts.
inline constexpr int32_t IDS_APP_TITLE = 57344;
inline constexpr int32_t IDS_IDLE_MESSAGE = 57345;
inline constexpr int32_t IDP_OLE_INIT_FAILED = 57608; // shares its value with a command id
using view::IDS_CANNOT_FIND_STRING;
inline constexpr int32_t IDS_UNDO_NAMED = 8615;
inline constexpr int32_t IDS_REDO_NAMED = 8616;
inline constexpr int32_t IDS_UNDO_PLAIN = 8617;
inline constexpr int32_t IDS_REDO_PLAIN = 8618;
inline constexpr int32_t IDS_FIRST_ACTION_NAME = 8619; // .. 8629, owned by the buffer's table
inline constexpr int32_t IDS_LAST_ACTION_NAME = 8629;
// Texts the engine formats or shows without an id of their own elsewhere.
inline constexpr int32_t IDP_DOCUMENT_READ_ONLY = 200;
inline constexpr int32_t IDS_POSITION_FORMAT = 201;
inline constexpr int32_t IDS_LINE_END_DOS = 202;
inline constexpr int32_t IDS_LINE_END_UNIX = 203;
inline constexpr int32_t IDS_LINE_END_MAC = 204;
inline constexpr int32_t IDS_PAGE_FOOTER_FORMAT = 205;

// ---- Dialog controls.
using edit::IDC_DIRECTION_DOWN;
using edit::IDC_DIRECTION_UP;
using edit::IDC_FIND_NEXT;
using edit::IDC_FIND_WHAT;
using edit::IDC_MATCH_CASE;
using edit::IDC_REPLACE;
using edit::IDC_REPLACE_ALL;
using edit::IDC_REPLACE_WITH;
using edit::IDC_SCOPE_SELECTION;
using edit::IDC_SCOPE_WHOLE_FILE;
using edit::IDC_WHOLE_WORD;
using platform::IDC_STATIC;
using platform::IDCANCEL;
using platform::IDOK;

} // namespace app
