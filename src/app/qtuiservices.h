// The user-interface services on Qt: message boxes titled "Velmora Editor", the file dialogs
// with the documents' filters, the font dialog and the About box.
#pragma once

#include <QFileDialog>
#include <QFontDialog>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "app/uiservices.h"
#include "platform/profile.h"
#include "platform/qt/qt_print.h"

namespace app {

class QtUiServices final : public UiServices {
public:
    // Dialogs are modal to `parent` once it is set.
    void SetParent(QWidget* parent) { parent_ = parent; }
    // The file dialogs remember their filter and folder here once it is set.
    void SetProfile(platform::Profile* profile) { profile_ = profile; }

    MessageResult MessageBox(std::string_view text, MessageButtons buttons,
                             MessageIcon icon) override;
    std::optional<std::string> AskOpenPath(std::string_view folder) override;
    std::optional<std::string> AskSavePath(std::string_view proposed) override;
    std::optional<FontChoice> ChooseFont(const platform::LogFont& initial) override;
    void ShowAbout() override;
    int32_t RunDialog(platform::Dialog& dialog) override;
    void PrintView(platform::PrintableView& view, std::string_view title, bool preview) override;
    void PrintSetup() override;
    bool PageSetup(platform::PageMargins& margins) override;

private:
    std::optional<std::string> RunFileDialog(QFileDialog& dialog);

    QPointer<QWidget> parent_;
    platform::Profile* profile_ = nullptr;
    platform::qt::QtPrinting printing_;
};

// The filters of the Open and Save As dialogs, in order: the document template's "Quorda Files
// (*.qrt)", assembler sources, every file.
QStringList FileDialogFilters();

// The Open (`save` false) or Save As dialog, not yet shown: the filters above starting with the
// one chosen last time, in `start`'s folder (a path or a folder ending in '/'; with no folder,
// the last dialog's), proposing `start`'s file name. `profile` (may be null) holds what the
// last dialog left, section "File Dialogs" values "Filter" and "Folder".
std::unique_ptr<QFileDialog> MakeFileDialog(bool save, std::string_view start,
                                            const platform::Profile* profile, QWidget* parent);
// Keeps the dialog's filter and folder for the next one.
void RememberFileDialog(const QFileDialog& dialog, platform::Profile& profile);

// The Set Font dialog, not yet shown: fixed-pitch faces only, starting from `initial` (a face
// that is missing or proportional starts as the face the editor draws instead).
std::unique_ptr<QFontDialog> MakeFontDialog(const platform::LogFont& initial, QWidget* parent);

// The About box built from its dialog template.
void RunAboutDialog(QWidget* parent);

} // namespace app
