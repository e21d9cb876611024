// Command ids the edit view serves: its keys (accelerator table 22901), Cut and Paste, Undo and
// Redo, Find and Replace, and the status panes it lights.
#pragma once

#include <cstdint>

namespace edit {

inline constexpr uint32_t ID_EDIT_DELETE = 37000;
inline constexpr uint32_t ID_EDIT_DELETE_BACK = 37001;
// Ctrl+Backspace: in the key table, served by nobody.
inline constexpr uint32_t ID_EDIT_DELETE_WORD_BACK = 37002;
inline constexpr uint32_t ID_EDIT_TAB = 37003;
inline constexpr uint32_t ID_EDIT_UNTAB = 37004;
inline constexpr uint32_t ID_EDIT_SWITCH_OVRMODE = 37005;
inline constexpr uint32_t ID_EDIT_CUT = 57635;
inline constexpr uint32_t ID_EDIT_PASTE = 57637;
inline constexpr uint32_t ID_EDIT_UNDO = 57643;
inline constexpr uint32_t ID_EDIT_REDO = 57644;
inline constexpr uint32_t ID_EDIT_FIND = 57636;
inline constexpr uint32_t ID_EDIT_REPLACE = 57641;

// Status panes.
inline constexpr uint32_t ID_INDICATOR_OVR = 59140;
inline constexpr uint32_t ID_EDIT_INDICATOR_BLANK = 37900;
inline constexpr uint32_t ID_EDIT_INDICATOR_READ = 37901;

} // namespace edit
