#include "app/commandroute.h"

namespace app {

CommandRoute::CommandRoute(std::initializer_list<CommandTarget*> targets) {
    for (CommandTarget* target : targets)
        if (target && count_ < kMaxTargets)
            targets_[count_++] = target;
}

bool CommandRoute::Run(uint32_t id) const {
    for (size_t i = 0; i < count_; ++i)
        if (targets_[i]->RouteCommand(id))
            return true;
    return false;
}

bool CommandRoute::Update(CmdUI& ui) const {
    for (size_t i = 0; i < count_; ++i)
        if (targets_[i]->RouteCommandUI(ui))
            return true;
    ui.Enable(false);
    return false;
}

} // namespace app
