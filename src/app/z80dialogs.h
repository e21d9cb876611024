// The Z80 workbench's dialogs, toolkit-free and built from their templates like Find and Replace:
// Go to Line and Assembler Settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dialog.h"

namespace app {

// Go to Line (template IDD_GOTO_LINE): the number of the line to go to, proposed as the caret's
// line, selected so that typing replaces it. OK stays greyed while the field is empty; a field
// that holds no positive number says so and keeps the dialog open; a number past the last line
// means the last line.
class CGotoLineDialog final : public platform::Dialog {
public:
    // `lineCount` lines (at least 1); `line` is the 1-based proposal.
    CGotoLineDialog(int32_t lineCount, int32_t line);

    bool OnInitDialog() override;
    void OnCommand(int32_t id, uint32_t code) override;
    void OnOK() override;
    void DoDataExchange(platform::DataExchange& dx) override;

    // The chosen line, 1-based, once the dialog ended with IDOK.
    int32_t Line() const { return line_; }

    // The line a field's text names: its number, at most `lineCount`; 0 when it names none
    // (empty, not a number, 0 or below).
    static int32_t ParseLine(std::string_view text, int32_t lineCount);

private:
    int32_t lineCount_;
    int32_t line_;
    std::string text_;
};

// Assembler Settings (template IDD_ASSEMBLER): the command line that assembles a file, "%f"
// standing for the file's name and "%e" for the name without its extension. Default puts the
// command the editor would use without a setting into the field.
class CAssemblerDialog final : public platform::Dialog {
public:
    CAssemblerDialog(std::string command, std::string defaultCommand);

    void OnCommand(int32_t id, uint32_t code) override;
    void DoDataExchange(platform::DataExchange& dx) override;

    // The command as the user left it (after IDOK).
    const std::string& Command() const { return command_; }

private:
    std::string command_;
    std::string defaultCommand_;
};

} // namespace app
