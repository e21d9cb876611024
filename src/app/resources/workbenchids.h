// The ids of the Z80 workbench: its menu and key table, commands, status pane, dialogs and
// texts. They sit beside the editor's own ids and share none of their values.
#pragma once

#include <cstdint>

namespace app {

// ---- Resources: the "&Z80" menu pop-up and its key table share one id.
inline constexpr int32_t IDR_WORKBENCH = 140;
inline constexpr int32_t IDD_GOTO_LINE = 141;
inline constexpr int32_t IDD_ASSEMBLER = 142;

// ---- Commands.
inline constexpr uint32_t ID_Z80_ASSEMBLE = 32900;
inline constexpr uint32_t ID_Z80_STOP_ASSEMBLER = 32901;
inline constexpr uint32_t ID_Z80_NEXT_MESSAGE = 32902;
inline constexpr uint32_t ID_Z80_PREVIOUS_MESSAGE = 32903;
inline constexpr uint32_t ID_Z80_GOTO_DEFINITION = 32904;
inline constexpr uint32_t ID_Z80_GO_BACK = 32905;
inline constexpr uint32_t ID_Z80_GO_FORWARD = 32906;
inline constexpr uint32_t ID_Z80_GOTO_LINE = 32907;
inline constexpr uint32_t ID_Z80_OUTLINE = 32908;
inline constexpr uint32_t ID_Z80_OUTPUT = 32909;
inline constexpr uint32_t ID_Z80_ASSEMBLER_SETTINGS = 32910;

// ---- Status pane: bytes and T-states of the caret's line or the selection.
inline constexpr uint32_t ID_Z80_INDICATOR_FIGURES = 32920;

// ---- Texts ("%s" and "%d" are filled in by FillIn).
inline constexpr int32_t IDS_GOTO_LINE_PROMPT = 32930;  // the line count
inline constexpr int32_t IDS_GOTO_LINE_INVALID = 32931; // the line count
inline constexpr int32_t IDS_NO_SYMBOL = 32932;
inline constexpr int32_t IDS_NO_DEFINITION = 32933;       // the name
inline constexpr int32_t IDS_ASSEMBLER_MISSING = 32934;   // program, package, package
inline constexpr int32_t IDS_ASSEMBLER_NOT_FOUND = 32935; // program
inline constexpr int32_t IDS_ASSEMBLER_RUNNING = 32936;
inline constexpr int32_t IDS_ASSEMBLER_EMPTY = 32937;
inline constexpr int32_t IDS_NO_MESSAGES = 32938;
inline constexpr int32_t IDS_ASSEMBLER_STARTED = 32939; // command line, folder
inline constexpr int32_t IDS_ASSEMBLER_SUCCEEDED = 32940;
inline constexpr int32_t IDS_ASSEMBLER_FAILED = 32941; // exit code
inline constexpr int32_t IDS_ASSEMBLER_CRASHED = 32942;
inline constexpr int32_t IDS_ASSEMBLER_STOPPED = 32943;
inline constexpr int32_t IDS_ASSEMBLER_START_FAILED = 32944; // the system's reason
inline constexpr int32_t IDS_ASSEMBLER_ONE_MESSAGE = 32945;
inline constexpr int32_t IDS_ASSEMBLER_MESSAGES = 32946; // how many

// ---- Dialog controls.
inline constexpr int32_t IDC_GOTO_PROMPT = 1001;
inline constexpr int32_t IDC_GOTO_LINE = 1002;
inline constexpr int32_t IDC_ASSEMBLER_COMMAND = 1003;
inline constexpr int32_t IDC_ASSEMBLER_DEFAULT = 1004;

} // namespace app
