#include "app/qtuiservices.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>

#include "app/qtdialogs.h"
#include "app/qtresources.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"

namespace app {
namespace {

QString AppTitle() {
    return ToQString(FindString(IDS_APP_TITLE).value_or("Velmora Editor"));
}

// "Quorda Files (*.qrt)" from the document template, then every file.
QString DocumentFilter() {
    const std::string_view templ = FindString(IDR_SOURCETYPE).value_or("");
    return ToQString(DocTemplateField(templ, DocField::FilterName)) + ";;All Files (*)";
}

} // namespace

MessageResult QtUiServices::MessageBox(std::string_view text, MessageButtons buttons) {
    if (buttons == MessageButtons::Ok) {
        QMessageBox::information(parent_, AppTitle(), ToQString(text));
        return MessageResult::Ok;
    }
    switch (QMessageBox::question(parent_, AppTitle(), ToQString(text),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return MessageResult::Yes;
    case QMessageBox::No:
        return MessageResult::No;
    default:
        return MessageResult::Cancel;
    }
}

std::optional<std::string> QtUiServices::AskOpenPath() {
    const QString path =
        QFileDialog::getOpenFileName(parent_, QString(), QString(), DocumentFilter());
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtUiServices::AskSavePath(std::string_view proposed) {
    QFileDialog dialog(parent_, QString(), ToQString(proposed), DocumentFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const std::string_view templ = FindString(IDR_SOURCETYPE).value_or("");
    QString ext = ToQString(DocTemplateField(templ, DocField::FilterExt));
    if (ext.startsWith('.'))
        ext.remove(0, 1);
    dialog.setDefaultSuffix(ext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<FontChoice> QtUiServices::ChooseFont(const platform::LogFont& initial) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    QFont font(ToQString(initial.FaceName()));
    const int pixels = initial.lfHeight < 0 ? -initial.lfHeight : initial.lfHeight;
    if (pixels > 0)
        font.setPointSizeF(pixels * 72.0 / dpi);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent_);
    if (!ok)
        return std::nullopt;
    return FontChoice{chosen.family().toStdString(),
                      static_cast<int32_t>(chosen.pointSizeF() * 10.0 + 0.5)};
}

void QtUiServices::ShowAbout() {
    RunAboutDialog(parent_);
}

int32_t QtUiServices::RunDialog(platform::Dialog& dialog) {
    return RunTemplateDialog(dialog, parent_, [](QWidget* over, std::string_view text) {
        QMessageBox::information(
            over, AppTitle(), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    });
}

bool QtUiServices::ClipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool QtUiServices::GetClipboardText(std::u32string& text) {
    if (!ClipboardHasText())
        return false;
    const QList<uint> units = QGuiApplication::clipboard()->text().toUcs4();
    text.assign(units.begin(), units.end());
    return true;
}

bool QtUiServices::SetClipboardText(std::u32string_view text) {
    QGuiApplication::clipboard()->setText(
        QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

void RunAboutDialog(QWidget* parent) {
    platform::Dialog about(IDD_ABOUTBOX);
    RunTemplateDialog(about, parent, {});
}

} // namespace app
