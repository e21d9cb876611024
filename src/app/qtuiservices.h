// The user-interface services on Qt: message boxes titled "Velmora Editor", the file dialogs
// with the documents' filter, the font dialog, the About box and the system clipboard.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/uiservices.h"

namespace app {

class QtUiServices final : public UiServices {
public:
    // Dialogs are modal to `parent` once it is set.
    void SetParent(QWidget* parent) { parent_ = parent; }

    MessageResult MessageBox(std::string_view text, MessageButtons buttons) override;
    std::optional<std::string> AskOpenPath() override;
    std::optional<std::string> AskSavePath(std::string_view proposed) override;
    std::optional<FontChoice> ChooseFont(const platform::LogFont& initial) override;
    void ShowAbout() override;
    int32_t RunDialog(platform::Dialog& dialog) override;
    bool ClipboardHasText() override;
    bool GetClipboardText(std::u32string& text) override;
    bool SetClipboardText(std::u32string_view text) override;

private:
    QPointer<QWidget> parent_;
};

// The About box built from its dialog template.
void RunAboutDialog(QWidget* parent);

} // namespace app
