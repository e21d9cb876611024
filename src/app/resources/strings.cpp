#include "app/resources/strings.h"

#include <algorithm>
#include <array>

#include "app/resources/resourceids.h"
#include "buffer/actionnames.h"

namespace app {
namespace {

// Ordered by id, so that lookups can bisect; a test keeps it so.
constexpr std::array kStrings = std::to_array<StringEntry>({
    {IDR_MAINFRAME, "Velmora Editor"},
    {IDR_SOURCETYPE,
     "\nSource\nSource\nQuorda Files (*.qrt)\n.qrt\nQuorda.Document\nQuorda Document"},
    {IDP_DOCUMENT_READ_ONLY, "Document now read-only!"},
    {IDS_POSITION_FORMAT, "Ln %d, Col %d"},
    {IDS_LINE_END_DOS, "DOS"},
    {IDS_LINE_END_UNIX, "UNIX"},
    {IDS_LINE_END_MAC, "MAC"},
    {IDS_PAGE_FOOTER_FORMAT, "Page %d/%d"},
    {IDS_CANNOT_FIND_STRING, "Cannot find string\"%s\""},
    // The plain Redo text names Ctrl+Z as its key, as the edit view's menu item has always shown.
    {IDS_UNDO_NAMED, "&Undo %s\tCtrl+Z"},
    {IDS_REDO_NAMED, "&Redo %s\tCtrl+Y"},
    {IDS_UNDO_PLAIN, "&Undo\tCtrl+Z"},
    {IDS_REDO_PLAIN, "&Redo\tCtrl+Z"},
    {ID_READ_ONLY, "Protect the document against changes, or allow them again\nRead Only"},
    {ID_BACKSPACE_AT_LINE_START,
     "Let Backspace at the start of a line join it to the line above\nBackspace at Line Start"},
    {ID_DRAG_AND_DROP_EDITING, "Move and copy text by dragging it with the mouse\nDrag and Drop"},
    {ID_SET_FONT, "Set default font"},
    {ID_Z80_ASSEMBLE, "Save the active source file and run the assembler on it\nAssemble"},
    {ID_Z80_STOP_ASSEMBLER, "Stop the running assembler\nStop Assembler"},
    {ID_Z80_NEXT_MESSAGE, "Go to the source line of the next assembler message\nNext Message"},
    {ID_Z80_PREVIOUS_MESSAGE,
     "Go to the source line of the previous assembler message\nPrevious Message"},
    {ID_Z80_GOTO_DEFINITION,
     "Go to the line that defines the name under the caret\nGo to Definition"},
    {ID_Z80_GO_BACK, "Return to where the caret was before the last jump\nGo Back"},
    {ID_Z80_GO_FORWARD, "Go forward again to where Go Back came from\nGo Forward"},
    {ID_Z80_GOTO_LINE, "Move the caret to the line with a given number\nGo to Line"},
    {ID_Z80_OUTLINE,
     "Show or hide the labels, equates and macros of the active source file\nLabel Outline"},
    {ID_Z80_OUTPUT, "Show or hide the output of the assembler\nOutput Pane"},
    {ID_Z80_ASSEMBLER_SETTINGS,
     "Set the assembler's command line: %f stands for the file name, %e for the name without "
     "its extension\nAssembler Settings"},
    {ID_Z80_INDICATOR_FIGURES, "sel 9999 B  9999-9999 T"},
    {IDS_GOTO_LINE_PROMPT, "&Line number (1 - %d):"},
    {IDS_GOTO_LINE_INVALID, "Enter a line number from 1 to %d."},
    {IDS_NO_SYMBOL, "There is no name at the caret."},
    {IDS_NO_DEFINITION, "No open file defines \"%s\"."},
    {IDS_ASSEMBLER_MISSING,
     "The assembler \"%s\" is not installed.\n\nInstall the Debian package \"%s\" (sudo apt "
     "install %s), or set another command in Z80 > Assembler Settings."},
    {IDS_ASSEMBLER_NOT_FOUND,
     "The program \"%s\" cannot be found.\n\nInstall it, or set another command in Z80 > "
     "Assembler Settings."},
    {IDS_ASSEMBLER_RUNNING,
     "The assembler is still running. Stop it first (Z80 > Stop Assembler)."},
    {IDS_ASSEMBLER_EMPTY, "No assembler command is set. Set one in Z80 > Assembler Settings."},
    {IDS_NO_MESSAGES, "The output holds no message that names a source line."},
    {IDS_ASSEMBLER_STARTED, "> %s    (in %s)"},
    {IDS_ASSEMBLER_SUCCEEDED, "Assembled without errors."},
    {IDS_ASSEMBLER_FAILED, "The assembler ended with exit code %d."},
    {IDS_ASSEMBLER_CRASHED, "The assembler ended abnormally."},
    {IDS_ASSEMBLER_STOPPED, "Stopped."},
    {IDS_ASSEMBLER_START_FAILED, "The assembler could not be started: %s"},
    {IDS_ASSEMBLER_ONE_MESSAGE, "One message names a source line: F4 goes there."},
    {IDS_ASSEMBLER_MESSAGES, "%d messages name source lines: F4 goes to the next one."},
    {ID_EDIT_DELETE, "Delete the selection, or the character after the caret\nDelete"},
    {ID_EDIT_FIND_PREVIOUS, "Find the previous occurrence of the search text\nFind Previous"},
    {ID_BOOKMARK_TOGGLE_0 + 0, "Set or clear bookmark 0 on the caret line\nBookmark 0"},
    {ID_BOOKMARK_TOGGLE_0 + 1, "Set or clear bookmark 1 on the caret line\nBookmark 1"},
    {ID_BOOKMARK_TOGGLE_0 + 2, "Set or clear bookmark 2 on the caret line\nBookmark 2"},
    {ID_BOOKMARK_TOGGLE_0 + 3, "Set or clear bookmark 3 on the caret line\nBookmark 3"},
    {ID_BOOKMARK_TOGGLE_0 + 4, "Set or clear bookmark 4 on the caret line\nBookmark 4"},
    {ID_BOOKMARK_TOGGLE_0 + 5, "Set or clear bookmark 5 on the caret line\nBookmark 5"},
    {ID_BOOKMARK_TOGGLE_0 + 6, "Set or clear bookmark 6 on the caret line\nBookmark 6"},
    {ID_BOOKMARK_TOGGLE_0 + 7, "Set or clear bookmark 7 on the caret line\nBookmark 7"},
    {ID_BOOKMARK_TOGGLE_0 + 8, "Set or clear bookmark 8 on the caret line\nBookmark 8"},
    {ID_BOOKMARK_TOGGLE_0 + 9, "Set or clear bookmark 9 on the caret line\nBookmark 9"},
    {ID_BOOKMARK_GOTO_0 + 0, "Go to the line with bookmark 0\nGo to Bookmark 0"},
    {ID_BOOKMARK_GOTO_0 + 1, "Go to the line with bookmark 1\nGo to Bookmark 1"},
    {ID_BOOKMARK_GOTO_0 + 2, "Go to the line with bookmark 2\nGo to Bookmark 2"},
    {ID_BOOKMARK_GOTO_0 + 3, "Go to the line with bookmark 3\nGo to Bookmark 3"},
    {ID_BOOKMARK_GOTO_0 + 4, "Go to the line with bookmark 4\nGo to Bookmark 4"},
    {ID_BOOKMARK_GOTO_0 + 5, "Go to the line with bookmark 5\nGo to Bookmark 5"},
    {ID_BOOKMARK_GOTO_0 + 6, "Go to the line with bookmark 6\nGo to Bookmark 6"},
    {ID_BOOKMARK_GOTO_0 + 7, "Go to the line with bookmark 7\nGo to Bookmark 7"},
    {ID_BOOKMARK_GOTO_0 + 8, "Go to the line with bookmark 8\nGo to Bookmark 8"},
    {ID_BOOKMARK_GOTO_0 + 9, "Go to the line with bookmark 9\nGo to Bookmark 9"},
    {ID_BOOKMARK_CLEAR_NUMBERED, "Clear the numbered bookmarks 0 to 9\nClear Numbered Bookmarks"},
    {ID_BOOKMARK_TOGGLE, "Set or clear a plain bookmark on the caret line\nToggle Bookmark"},
    {ID_BOOKMARK_NEXT, "Go to the next line with a plain bookmark\nNext Bookmark"},
    {ID_BOOKMARK_PREVIOUS, "Go to the previous line with a plain bookmark\nPrevious Bookmark"},
    {ID_BOOKMARK_CLEAR_ALL, "Clear every plain bookmark\nClear All Bookmarks"},
    {ID_EDIT_INDICATOR_BLANK, "========="},
    {ID_EDIT_INDICATOR_READ, "Read"},
    {ID_EDIT_INDICATOR_CRLF, "========"},
    {ID_EDIT_INDICATOR_POSITION, "============"},
    {IDS_APP_TITLE, "Velmora Editor"},
    {IDS_IDLE_MESSAGE, "Ready"},
    {ID_FILE_NEW, "Start a new, empty source file\nNew"},
    {ID_FILE_OPEN, "Open a source file\nOpen"},
    {ID_FILE_SAVE, "Save the active source file\nSave"},
    {ID_FILE_SAVE_AS, "Save the active source file under another name\nSave As"},
    {ID_FILE_PAGE_SETUP, "Set the margins of printed pages\nPage Setup"},
    {ID_FILE_PRINT_SETUP, "Choose a printer and its options\nPrint Setup"},
    {ID_FILE_PRINT, "Print the active source file\nPrint"},
    {IDP_OLE_INIT_FAILED, "OLE initialization failed"},
    {ID_FILE_PRINT_PREVIEW, "Show on screen how the pages will print\nPrint Preview"},
    {ID_FILE_MRU_FILE1, "Open this recently used file"},
    {ID_EDIT_COPY, "Copy the selection to the clipboard\nCopy"},
    {ID_EDIT_CUT, "Move the selection to the clipboard\nCut"},
    {ID_EDIT_FIND, "Search for a piece of text\nFind"},
    {ID_EDIT_PASTE, "Insert the text held by the clipboard\nPaste"},
    {ID_EDIT_REPEAT, "Find the next occurrence of the search text\nFind Next"},
    {ID_EDIT_REPLACE, "Replace a piece of text with another\nReplace"},
    {ID_EDIT_SELECT_ALL, "Select the whole text\nSelect All"},
    {ID_EDIT_UNDO, "Take back the last change\nUndo"},
    {ID_EDIT_REDO, "Make the last change taken back again\nRedo"},
    {ID_WINDOW_NEW, "Open another window onto the active document\nNew Window"},
    {ID_WINDOW_ARRANGE, "Line up the icons of minimised windows\nArrange Icons"},
    {ID_WINDOW_CASCADE, "Stack the windows so that every title shows\nCascade Windows"},
    {ID_WINDOW_TILE_HORZ, "Lay the windows out side by side\nTile Windows"},
    {ID_APP_ABOUT, "Show the name and version of the program\nAbout"},
    {ID_APP_EXIT, "Close every window and leave the program\nExit"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    {ID_INDICATOR_OVR, "OVR"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToolbar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nStatus Bar"},
});

std::string_view Part(std::string_view text, bool tip) {
    const size_t nl = text.find('\n');
    if (nl == std::string_view::npos)
        return tip ? std::string_view{} : text;
    return tip ? text.substr(nl + 1) : text.substr(0, nl);
}

} // namespace

std::optional<std::string_view> FindString(int32_t id) {
    if (id >= IDS_FIRST_ACTION_NAME && id <= IDS_LAST_ACTION_NAME) {
        for (int action = 0; const ActionNameEntry* entry = FindActionName(action); ++action)
            if (entry->stringId == id)
                return entry->text;
        return std::nullopt;
    }
    auto it = std::lower_bound(kStrings.begin(), kStrings.end(), id,
                               [](const StringEntry& e, int32_t key) { return e.id < key; });
    if (it == kStrings.end() || it->id != id)
        return std::nullopt;
    return it->text;
}

std::vector<StringEntry> AllStrings() {
    std::vector<StringEntry> all(kStrings.begin(), kStrings.end());
    for (int action = 0; const ActionNameEntry* entry = FindActionName(action); ++action)
        all.push_back({entry->stringId, entry->text});
    std::sort(all.begin(), all.end(),
              [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
    return all;
}

std::string_view StatusPrompt(uint32_t id) {
    // The message with the direct-print command's value is not a prompt.
    if (id == ID_FILE_PRINT_DIRECT)
        return {};
    auto text = FindString(static_cast<int32_t>(id));
    return text ? Part(*text, false) : std::string_view{};
}

std::string_view ToolTip(uint32_t id) {
    if (id == ID_FILE_PRINT_DIRECT)
        return {};
    auto text = FindString(static_cast<int32_t>(id));
    return text ? Part(*text, true) : std::string_view{};
}

std::string_view DocTemplateField(std::string_view templateString, DocField field) {
    std::string_view rest = templateString;
    for (int i = 0; i < static_cast<int>(field); ++i) {
        const size_t nl = rest.find('\n');
        if (nl == std::string_view::npos)
            return {};
        rest.remove_prefix(nl + 1);
    }
    return rest.substr(0, rest.find('\n'));
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    const std::string_view* next = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char kind = pattern[i + 1];
            if (kind == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (kind == 's' || kind == 'd') {
                if (next != values.end())
                    out += *next++;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace app
