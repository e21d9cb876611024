#include "buffer/actionnames.h"

#include <array>

#include "buffer/types.h"

namespace {

// The string ids are not in action order: Delete was added after the others.
constexpr std::array<ActionNameEntry, 11> kActionNames{{
    {ActionUnknown, 8619, "Unknown"},
    {ActionPaste, 8620, "Paste"},
    {ActionDeleteSelection, 8621, "Delete Selection"},
    {ActionCut, 8622, "Cut"},
    {ActionTyping, 8624, "Typing"},
    {ActionBackspace, 8625, "Backspace"},
    {ActionIndent, 8626, "Indent"},
    {ActionDragAndDrop, 8627, "Drag And Drop"},
    {ActionReplace, 8628, "Replace"},
    {ActionDelete, 8623, "Delete"},
    {ActionAutoIndent, 8629, "Auto Indent"},
}};

} // namespace

const ActionNameEntry* FindActionName(int action) {
    if (action < 0 || action >= static_cast<int>(kActionNames.size()))
        return nullptr;
    return &kActionNames[static_cast<size_t>(action)];
}
