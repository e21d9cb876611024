#include "app/qtuiservices.h"

#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>

#include "app/qtresources.h"
#include "app/resources/dialogs.h"
#include "app/resources/icons.h"
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
    const DialogTemplate* templ = FindDialogTemplate(IDD_ABOUTBOX);
    if (!templ)
        return;
    QDialog dialog(parent);
    dialog.setWindowTitle(ToQString(templ->title));
    const QFontMetrics metrics(dialog.font());
    // Dialog units: a quarter of the average character width, an eighth of the height.
    const double ux = metrics.averageCharWidth() / 4.0;
    const double uy = metrics.height() / 8.0;
    auto place = [&](QWidget* w, const DialogControl& c) {
        w->setGeometry(static_cast<int>(c.x * ux), static_cast<int>(c.y * uy),
                       static_cast<int>(c.cx * ux), static_cast<int>(c.cy * uy));
    };
    for (const DialogControl& c : templ->controls) {
        switch (c.kind) {
        case ControlKind::Icon: {
            auto* label = new QLabel(&dialog);
            if (const PixelIcon* art = FindIcon(c.resource))
                label->setPixmap(QPixmap::fromImage(ImageFromBitmap(RenderIcon(*art, 2)))
                                     .scaled(static_cast<int>(c.cx * ux),
                                             static_cast<int>(c.cy * uy), Qt::KeepAspectRatio));
            place(label, c);
            break;
        }
        case ControlKind::Static:
        case ControlKind::CenteredText: {
            auto* label = new QLabel(ToQString(c.text), &dialog);
            if (c.kind == ControlKind::CenteredText)
                label->setAlignment(Qt::AlignCenter);
            place(label, c);
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new QPushButton(ToQString(c.text), &dialog);
            button->setDefault(c.kind == ControlKind::DefPushButton);
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
            place(button, c);
            break;
        }
        default:
            break;
        }
    }
    dialog.setFixedSize(static_cast<int>(templ->cx * ux), static_cast<int>(templ->cy * uy));
    dialog.exec();
}

void QtUiServices::PrintView(platform::PrintableView& view, std::string_view title, bool preview) {
    const QString name = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    const platform::PrintOutcome outcome =
        preview ? printing_.Preview(view, name, parent_) : printing_.Print(view, name, parent_);
    if (outcome.result == platform::PrintResult::Failed)
        MessageBox(outcome.error.empty() ? "Printing failed." : outcome.error, MessageButtons::Ok);
}

void QtUiServices::PrintSetup() {
    printing_.PrintSetup(parent_);
}

bool QtUiServices::PageSetup(platform::PageMargins& margins) {
    return platform::qt::RunPageSetupDialog(parent_, margins, printing_.Printer());
}

} // namespace app
