// Commands: the state a command's update handler reports for a menu item, toolbar button or
// status pane, and the command map that ties command ids to handlers.
//
// A command target keeps a static table of CommandMapEntry. Running a command calls the entry's
// handler; updating it calls the entry's update handler, and an element that no update handler
// enabled or disabled is enabled exactly when the entry has a handler. An id that no entry of any
// target claims is disabled by the router, so a CmdUI starts disabled.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct CmdUI {
    // Where the update is shown. Only menu items take a text.
    enum class Element : uint8_t { MenuItem, ToolbarButton, StatusPane, Other };

    uint32_t id = 0;
    Element element = Element::Other;
    bool enabled = false;
    // Set by Enable: an update handler that leaves it clear gets the element enabled exactly
    // when the id has a handler.
    bool enableChanged = false;
    bool checked = false;
    // Set when an update handler gave the element a text; none leaves the element's text alone.
    std::optional<std::string> text;

    bool IsMenuItem() const { return element == Element::MenuItem; }
    void Enable(bool on = true) {
        enabled = on;
        enableChanged = true;
    }
    void SetCheck(bool on = true) { checked = on; }
    void SetText(std::string_view value) { text = std::string(value); }
};

template <typename Target> struct CommandMapEntry {
    uint32_t id;
    // Null for an id that only has an update handler (a status pane).
    void (*handler)(Target&);
    // Null: the element is enabled whenever there is a handler.
    void (*update)(Target&, CmdUI&);
};

// Runs the handler of `id`; false when the map has no handler for it.
template <typename Target>
bool RunCommand(std::span<const CommandMapEntry<Target>> map, Target& target, uint32_t id) {
    for (const CommandMapEntry<Target>& entry : map) {
        if (entry.id == id && entry.handler) {
            entry.handler(target);
            return true;
        }
    }
    return false;
}

// Fills `ui` from the map's entry for ui.id; false when the map has no entry for it.
template <typename Target>
bool UpdateCommand(std::span<const CommandMapEntry<Target>> map, Target& target, CmdUI& ui) {
    for (const CommandMapEntry<Target>& entry : map) {
        if (entry.id != ui.id)
            continue;
        if (entry.update)
            entry.update(target, ui);
        if (!ui.enableChanged)
            ui.Enable(entry.handler != nullptr);
        return true;
    }
    return false;
}
