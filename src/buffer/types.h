// Plain types shared by the buffer, its views and the editing commands.
#pragma once

#include <cstdint>

// A place in the text: y is a zero-based line index, x a zero-based character index within the
// line (a tab counts as one character, not as its screen width).
struct TextPosition {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// The flag word every line carries.
using LineFlags = uint32_t;

enum : LineFlags {
    NumberedBookmark0 = 1u << 0,
    NumberedBookmark1 = 1u << 1,
    NumberedBookmark2 = 1u << 2,
    NumberedBookmark3 = 1u << 3,
    NumberedBookmark4 = 1u << 4,
    NumberedBookmark5 = 1u << 5,
    NumberedBookmark6 = 1u << 6,
    NumberedBookmark7 = 1u << 7,
    NumberedBookmark8 = 1u << 8,
    NumberedBookmark9 = 1u << 9,
    MarginMarkA = 0x10000,
    MarginMarkB = 0x20000,
    MarginMarkC = 0x40000,
    PlainBookmark = 0x80000,
    MarginMarkD = 0x100000,
};

// How lines are separated in a file. LineEndAuto is only an argument: detect on load, use the
// buffer's own style on save.
enum LineEndStyle : int32_t {
    LineEndAuto = -1,
    LineEndDos = 0,  // CR LF
    LineEndUnix = 1, // LF CR
    LineEndMac = 2,  // LF
};

// What a change notification tells the views. The buffer sends exactly these combinations:
// HintLineLengths | HintLineCount after a change that added or removed line breaks,
// HintOneLine | HintLineLengths after one confined to a line, HintOneLine | HintMarksOnly after a
// flag change and HintReload after a reset or a load.
enum UpdateHint : uint32_t {
    HintLineLengths = 0x0001,
    HintLineCount = 0x0002,
    HintOneLine = 0x0100,
    HintMarksOnly = 0x0200,
    HintReload = 0x1000,
};

// The kinds of change that name an undo step.
enum EditAction : int32_t {
    ActionUnknown = 0,
    ActionPaste = 1,
    ActionDeleteSelection = 2,
    ActionCut = 3,
    ActionTyping = 4,
    ActionBackspace = 5,
    ActionIndent = 6,
    ActionDragAndDrop = 7,
    ActionReplace = 8,
    ActionDelete = 9,
    ActionAutoIndent = 10,
};
