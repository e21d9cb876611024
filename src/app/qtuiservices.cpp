#include "app/qtuiservices.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <utility>
#include <vector>

#include "app/qtdialogs.h"
#include "app/qtresources.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "platform/qt/qt_surface.h"

namespace app {
namespace {

QString AppTitle() {
    return ToQString(FindString(IDS_APP_TITLE).value_or("Velmora Editor"));
}

constexpr std::string_view kFileDialogSection = "File Dialogs";
constexpr std::string_view kFilterEntry = "Filter";
constexpr std::string_view kFolderEntry = "Folder";
constexpr const char* kAssemblerFilter = "Assembler sources (*.asm *.z80 *.s *.inc *.a80 *.mac)";
constexpr const char* kAllFilesFilter = "All Files (*)";

QMessageBox::Icon ToQIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

// The extension a name typed without one gets in the Save As dialog: the first pattern of the
// filter chosen ("qrt" for "Quorda Files (*.qrt)"); none for all files.
QString SuffixOf(const QString& filter) {
    const qsizetype star = filter.indexOf("(*.");
    if (star < 0)
        return {};
    const qsizetype from = star + 3;
    qsizetype to = from;
    while (to < filter.size() && filter[to].isLetterOrNumber())
        ++to;
    return filter.mid(from, to - from);
}

} // namespace

QStringList FileDialogFilters() {
    const std::string_view templ = FindString(IDR_SOURCETYPE).value_or("");
    return {ToQString(DocTemplateField(templ, DocField::FilterName)), kAssemblerFilter,
            kAllFilesFilter};
}

std::unique_ptr<QFileDialog> MakeFileDialog(bool save, std::string_view start,
                                            const platform::Profile* profile, QWidget* parent) {
    const QStringList filters = FileDialogFilters();
    QString folder;
    QString name = ToQString(start);
    if (const qsizetype slash = name.lastIndexOf('/'); slash >= 0) {
        folder = name.left(slash + 1);
        name.remove(0, slash + 1);
    }
    QString filter = filters.front();
    if (profile) {
        const QString last = ToQString(profile->GetProfileString(kFileDialogSection, kFilterEntry));
        if (filters.contains(last))
            filter = last;
        if (folder.isEmpty())
            folder = ToQString(profile->GetProfileString(kFileDialogSection, kFolderEntry));
    }
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filter);
    if (!folder.isEmpty())
        dialog->setDirectory(folder);
    if (save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(SuffixOf(filter));
        QFileDialog* raw = dialog.get();
        QObject::connect(raw, &QFileDialog::filterSelected, raw,
                         [raw](const QString& chosen) { raw->setDefaultSuffix(SuffixOf(chosen)); });
        if (!name.isEmpty())
            dialog->selectFile(name);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    return dialog;
}

void RememberFileDialog(const QFileDialog& dialog, platform::Profile& profile) {
    profile.WriteProfileString(kFileDialogSection, kFilterEntry,
                               dialog.selectedNameFilter().toStdString());
    profile.WriteProfileString(kFileDialogSection, kFolderEntry,
                               dialog.directory().absolutePath().toStdString() + '/');
}

MessageResult QtUiServices::MessageBox(std::string_view text, MessageButtons buttons,
                                       MessageIcon icon) {
    QMessageBox box(ToQIcon(icon), AppTitle(), ToQString(text), QMessageBox::NoButton, parent_);
    // A file name is text, never markup that could change what the box shows.
    box.setTextFormat(Qt::PlainText);
    // The buttons in order, with the answer each gives; the first is the default, the last the
    // one Escape presses.
    std::vector<std::pair<QAbstractButton*, MessageResult>> answers;
    const auto add = [&](QMessageBox::StandardButton standard, MessageResult result) {
        answers.emplace_back(box.addButton(standard), result);
    };
    const auto addNamed = [&](const char* label, QMessageBox::ButtonRole role,
                              MessageResult result) {
        answers.emplace_back(box.addButton(QString::fromUtf8(label), role), result);
    };
    switch (buttons) {
    case MessageButtons::Ok:
        add(QMessageBox::Ok, MessageResult::Ok);
        break;
    case MessageButtons::YesNoCancel:
        add(QMessageBox::Yes, MessageResult::Yes);
        add(QMessageBox::No, MessageResult::No);
        add(QMessageBox::Cancel, MessageResult::Cancel);
        break;
    case MessageButtons::YesNo:
        add(QMessageBox::Yes, MessageResult::Yes);
        add(QMessageBox::No, MessageResult::No);
        break;
    case MessageButtons::RecoverDiscardLater:
        addNamed("&Recover", QMessageBox::AcceptRole, MessageResult::Recover);
        addNamed("&Discard", QMessageBox::DestructiveRole, MessageResult::Discard);
        addNamed("&Later", QMessageBox::RejectRole, MessageResult::Later);
        break;
    case MessageButtons::ReloadKeep:
        addNamed("&Reload", QMessageBox::AcceptRole, MessageResult::Reload);
        addNamed("&Keep My Changes", QMessageBox::RejectRole, MessageResult::Keep);
        break;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(answers.front().first));
    box.setEscapeButton(answers.back().first);
    box.exec();
    for (const auto& [button, result] : answers)
        if (box.clickedButton() == button)
            return result;
    return answers.back().second;
}

std::optional<std::string> QtUiServices::RunFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (profile_)
        RememberFileDialog(dialog, *profile_);
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtUiServices::AskOpenPath(std::string_view folder) {
    return RunFileDialog(*MakeFileDialog(false, folder, profile_, parent_));
}

std::optional<std::string> QtUiServices::AskSavePath(std::string_view proposed) {
    return RunFileDialog(*MakeFileDialog(true, proposed, profile_, parent_));
}

std::unique_ptr<QFontDialog> MakeFontDialog(const platform::LogFont& initial, QWidget* parent) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    // A face that is missing or proportional is proposed as the face the editor would draw it
    // with, and only fixed-pitch faces are offered: text sits in a grid of equal cells.
    QFont font(platform::qt::FixedPitchFamily(ToQString(initial.FaceName())));
    const int pixels = initial.lfHeight < 0 ? -initial.lfHeight : initial.lfHeight;
    if (pixels > 0)
        font.setPointSizeF(pixels * 72.0 / dpi);
    auto dialog = std::make_unique<QFontDialog>(font, parent);
    dialog->setOption(QFontDialog::MonospacedFonts);
    return dialog;
}

std::optional<FontChoice> QtUiServices::ChooseFont(const platform::LogFont& initial) {
    const std::unique_ptr<QFontDialog> dialog = MakeFontDialog(initial, parent_);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont chosen = dialog->selectedFont();
    return FontChoice{chosen.family().toStdString(),
                      static_cast<int32_t>(chosen.pointSizeF() * 10.0 + 0.5)};
}

void QtUiServices::ShowAbout() {
    RunAboutDialog(parent_);
}

int32_t QtUiServices::RunDialog(platform::Dialog& dialog) {
    return RunTemplateDialog(dialog, parent_, [](QWidget* over, std::string_view text) {
        QMessageBox box(QMessageBox::Information, AppTitle(), ToQString(text), QMessageBox::Ok,
                        over);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
}

void RunAboutDialog(QWidget* parent) {
    platform::Dialog about(IDD_ABOUTBOX);
    RunTemplateDialog(about, parent, {});
}

void QtUiServices::PrintView(platform::PrintableView& view, std::string_view title, bool preview) {
    const QString name = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    const platform::PrintOutcome outcome =
        preview ? printing_.Preview(view, name, parent_) : printing_.Print(view, name, parent_);
    if (outcome.result == platform::PrintResult::Failed)
        MessageBox(outcome.error.empty() ? "Printing failed." : outcome.error, MessageButtons::Ok,
                   MessageIcon::Error);
}

void QtUiServices::PrintSetup() {
    printing_.PrintSetup(parent_);
}

bool QtUiServices::PageSetup(platform::PageMargins& margins) {
    return platform::qt::RunPageSetupDialog(parent_, margins, printing_.Printer());
}

} // namespace app
