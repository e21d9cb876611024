// The command route of the application: the ordered targets a command visits. Running a command,
// updating its menu item, button or status pane, and a key command sent by a pane all walk the
// same list, so the order is written once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "view/cmdui.h"

namespace app {

// One stop of the route. Its two handlers serve this target's own commands only; they never
// pass a command on (the route does that).
class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    // Runs `id`; false when this target has no handler for it.
    virtual bool RouteCommand(uint32_t id) = 0;
    // Fills `ui`; false when this target does not claim ui.id.
    virtual bool RouteCommandUI(CmdUI& ui) = 0;
};

// Targets in the order they are asked: the view, its document, its child frame, the main frame,
// the application. The first target that handles a command takes it.
class CommandRoute {
public:
    static constexpr size_t kMaxTargets = 5;

    // Null targets are left out (with no document window open, only the main frame and the
    // application remain); targets past kMaxTargets are ignored.
    CommandRoute(std::initializer_list<CommandTarget*> targets);

    // False when no target handles `id`.
    bool Run(uint32_t id) const;
    // Fills `ui` from the first target that claims ui.id; when none does, `ui` is disabled
    // and the result is false.
    bool Update(CmdUI& ui) const;

private:
    std::array<CommandTarget*, kMaxTargets> targets_{};
    size_t count_ = 0;
};

} // namespace app
