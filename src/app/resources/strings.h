// The application's string table. A command's string is its prompt: the status-bar help, then
// optionally "\n" and the tool tip. The edit actions' names (8619-8629) are not held here: they
// come from the buffer's table, which the buffer itself loads undo names from.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct StringEntry {
    int32_t id;
    std::string_view text;
};

// The text of string `id`, or none when the table has no such string. Texts live for the whole
// program.
std::optional<std::string_view> FindString(int32_t id);

// Every string of the table, ordered by id, the action names included.
std::vector<StringEntry> AllStrings();

// The status-bar help of command `id` (its string up to the first "\n"); empty when the command
// has no prompt.
std::string_view StatusPrompt(uint32_t id);

// The tool tip of command `id` (its string after the first "\n"); empty when it has none.
std::string_view ToolTip(uint32_t id);

// The fields of the document template string, in order: window title, new-document name,
// file-new name, filter name, filter extension, registry file type id, registry file type name.
// A field missing at the end of the string is empty.
enum class DocField {
    WindowTitle,
    DocName,
    FileNewName,
    FilterName,
    FilterExt,
    RegFileTypeId,
    RegFileTypeName
};
std::string_view DocTemplateField(std::string_view templateString, DocField field);

// `pattern` with each "%s" or "%d" replaced by the next of `values` (nothing once they run out)
// and "%%" by "%".
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

} // namespace app
