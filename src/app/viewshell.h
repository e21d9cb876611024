// What a document's views ask of the application: their dialogs and message boxes go through the
// user-interface services, their settings to the application's store.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/uiservices.h"
#include "platform/dialog.h"
#include "platform/profile.h"

namespace app {

class ViewShell final : public platform::ShellServices {
public:
    ViewShell(UiServices& ui, platform::Profile& profile) : ui_(ui), profile_(profile) {}

    int32_t RunModalDialog(platform::Dialog& dialog) override { return ui_.RunDialog(dialog); }
    void MessageBox(std::string_view utf8Text) override {
        ui_.MessageBox(utf8Text, MessageButtons::Ok);
    }
    platform::Profile* Settings() override { return &profile_; }

private:
    UiServices& ui_;
    platform::Profile& profile_;
};

} // namespace app
