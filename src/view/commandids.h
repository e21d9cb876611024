// Command ids of the text view's keys (accelerator table 22901): the movement keys, Copy and Select
// All, the repeated search and the bookmarks. Among the movement keys, apart from the two one-line
// scrolls, every odd id is the Shift form of the even id below it: it extends the selection from
// the anchor instead of collapsing it.
#pragma once

#include <cstdint>

namespace view {

inline constexpr uint32_t ID_CARET_LEFT = 37100;
inline constexpr uint32_t ID_CARET_LEFT_EXTEND = 37101;
inline constexpr uint32_t ID_CARET_RIGHT = 37102;
inline constexpr uint32_t ID_CARET_RIGHT_EXTEND = 37103;
inline constexpr uint32_t ID_CARET_WORD_LEFT = 37104;
inline constexpr uint32_t ID_CARET_WORD_LEFT_EXTEND = 37105;
inline constexpr uint32_t ID_CARET_WORD_RIGHT = 37106;
inline constexpr uint32_t ID_CARET_WORD_RIGHT_EXTEND = 37107;
inline constexpr uint32_t ID_CARET_LINE_UP = 37108;
inline constexpr uint32_t ID_CARET_LINE_UP_EXTEND = 37109;
inline constexpr uint32_t ID_CARET_LINE_DOWN = 37110;
inline constexpr uint32_t ID_CARET_LINE_DOWN_EXTEND = 37111;
inline constexpr uint32_t ID_SCROLL_LINE_UP = 37112;
inline constexpr uint32_t ID_SCROLL_LINE_DOWN = 37113;
inline constexpr uint32_t ID_CARET_PAGE_UP = 37114;
inline constexpr uint32_t ID_CARET_PAGE_UP_EXTEND = 37115;
inline constexpr uint32_t ID_CARET_PAGE_DOWN = 37116;
inline constexpr uint32_t ID_CARET_PAGE_DOWN_EXTEND = 37117;
inline constexpr uint32_t ID_CARET_LINE_END = 37118;
inline constexpr uint32_t ID_CARET_LINE_END_EXTEND = 37119;
inline constexpr uint32_t ID_CARET_LINE_HOME = 37120;
inline constexpr uint32_t ID_CARET_LINE_HOME_EXTEND = 37121;
inline constexpr uint32_t ID_CARET_TEXT_START = 37122;
inline constexpr uint32_t ID_CARET_TEXT_START_EXTEND = 37123;
inline constexpr uint32_t ID_CARET_TEXT_END = 37124;
inline constexpr uint32_t ID_CARET_TEXT_END_EXTEND = 37125;

// Copy (Ctrl+C, Ctrl+Insert) and Select All (Ctrl+A).
inline constexpr uint32_t ID_EDIT_COPY = 57634;
inline constexpr uint32_t ID_EDIT_SELECT_ALL = 57642;

// Find Next (F3) and Find Previous (Shift+F3): the last search again.
inline constexpr uint32_t ID_EDIT_REPEAT = 57640;
inline constexpr uint32_t ID_EDIT_FIND_PREVIOUS = 37126;

// Bookmarks. Numbered bookmark n (0..9) is toggled by ID_TOGGLE_BOOKMARK0 + n and visited by
// ID_GO_BOOKMARK0 + n.
inline constexpr uint32_t ID_TOGGLE_BOOKMARK0 = 37200;
inline constexpr uint32_t ID_GO_BOOKMARK0 = 37210;
inline constexpr uint32_t ID_CLEAR_BOOKMARKS = 37220;
inline constexpr uint32_t ID_TOGGLE_PLAIN_BOOKMARK = 37223;
inline constexpr uint32_t ID_NEXT_PLAIN_BOOKMARK = 37224;
inline constexpr uint32_t ID_PREVIOUS_PLAIN_BOOKMARK = 37225;
inline constexpr uint32_t ID_CLEAR_PLAIN_BOOKMARKS = 37226;

} // namespace view
