// The user-interface services on Qt: message boxes titled "Velmora Editor", the file dialogs
// with the documents' filter, the font dialog, the About box and the system clipboard.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/uiservices.h"
#include "platform/qt/qt_print.h"

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
    bool ClipboardHasText() override;
    bool GetClipboardText(std::u32string& text) override;
    bool SetClipboardText(std::u32string_view text) override;
    void PrintView(platform::PrintableView& view, std::string_view title, bool preview) override;
    void PrintSetup() override;
    bool PageSetup(platform::PageMargins& margins) override;

private:
    QPointer<QWidget> parent_;
    platform::qt::QtPrinting printing_;
};

// The About box built from its dialog template.
void RunAboutDialog(QWidget* parent);

} // namespace app
