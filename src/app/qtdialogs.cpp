#include "app/qtdialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include "app/qtresources.h"
#include "app/resources/dialogs.h"
#include "app/resources/icons.h"
#include "platform/codepage.h"

namespace app {
namespace {

using platform::ControlKind;
using platform::DialogControl;

// An edit takes only characters its dialog's code page can hold, so what is typed is exactly
// what is searched.
class CodePageValidator final : public QValidator {
public:
    CodePageValidator(platform::CodePage page, QObject* parent) : QValidator(parent), page_(page) {}
    State validate(QString& input, int& /*pos*/) const override {
        for (const char32_t c : input.toUcs4())
            if (!platform::UnicodeToByte(page_, c))
                return Invalid;
        return Acceptable;
    }

private:
    platform::CodePage page_;
};

QString Decode(platform::CodePage page, std::string_view bytes) {
    const std::u32string text = platform::DecodeBytes(page, bytes);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtTemplateDialog::QtTemplateDialog(platform::Dialog& dialog, const platform::DialogTemplate& templ,
                                   QWidget* parent, MessageFunction messageBox)
    : QDialog(parent), dialog_(dialog), templ_(templ), messageBox_(std::move(messageBox)) {
    setWindowTitle(ToQString(templ.title));
    Build();
}

QtTemplateDialog::~QtTemplateDialog() {
    if (dialog_.Host() == this)
        dialog_.AttachHost(nullptr);
}

void QtTemplateDialog::Build() {
    const QFontMetrics metrics(font());
    // Dialog units: a quarter of the average character width, an eighth of the height.
    const double ux = metrics.averageCharWidth() / 4.0;
    const double uy = metrics.height() / 8.0;
    const auto place = [&](QWidget* w, const DialogControl& c) {
        w->setGeometry(static_cast<int>(c.x * ux), static_cast<int>(c.y * uy),
                       static_cast<int>(c.cx * ux), static_cast<int>(c.cy * uy));
    };
    const auto command = [this](int32_t id, uint32_t code) {
        if (started_ && dialog_.Host() == this)
            dialog_.OnCommand(id, code);
    };
    QLabel* pendingBuddy = nullptr; // a label whose mnemonic goes to the next control
    QButtonGroup* radioGroup = nullptr;
    int index = 0;
    for (const DialogControl& c : templ_.controls) {
        QWidget* widget = nullptr;
        switch (c.kind) {
        case ControlKind::Icon: {
            auto* label = new QLabel(this);
            if (const PixelIcon* art = FindIcon(c.resource))
                label->setPixmap(QPixmap::fromImage(ImageFromBitmap(RenderIcon(*art, 2)))
                                     .scaled(static_cast<int>(c.cx * ux),
                                             static_cast<int>(c.cy * uy), Qt::KeepAspectRatio));
            widget = label;
            break;
        }
        case ControlKind::Static:
        case ControlKind::CenteredText: {
            auto* label = new QLabel(ToQString(c.text), this);
            // What a dialog shows (also texts set while it runs, such as file names) is text,
            // never markup.
            label->setTextFormat(Qt::PlainText);
            if (c.kind == ControlKind::CenteredText)
                label->setAlignment(Qt::AlignCenter);
            if (c.text.find('&') != std::string_view::npos)
                pendingBuddy = label;
            widget = label;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setValidator(new CodePageValidator(dialog_.GetCodePage(), edit));
            connect(edit, &QLineEdit::textChanged, this,
                    [command, id = c.id] { command(id, platform::EN_CHANGE); });
            widget = edit;
            break;
        }
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            QAbstractButton* button = nullptr;
            if (c.kind == ControlKind::CheckBox) {
                button = new QCheckBox(ToQString(c.text), this);
            } else if (c.kind == ControlKind::RadioButton) {
                button = new QRadioButton(ToQString(c.text), this);
                // Each group of the template is a group of its own, so two groups never uncheck
                // each other's buttons.
                if (!radioGroup || (c.style & platform::CsGroup))
                    radioGroup = new QButtonGroup(this);
                radioGroup->addButton(button);
                radioGroupOf_[c.id] = radioGroup;
            } else {
                auto* push = new QPushButton(ToQString(c.text), this);
                push->setDefault(c.kind == ControlKind::DefPushButton);
                button = push;
            }
            connect(button, &QAbstractButton::clicked, this,
                    [command, id = c.id] { command(id, platform::BN_CLICKED); });
            widget = button;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(ToQString(c.text), this);
            break;
        }
        if (c.kind != ControlKind::RadioButton)
            radioGroup = nullptr;
        if (pendingBuddy && widget != pendingBuddy && (widget->focusPolicy() & Qt::TabFocus)) {
            pendingBuddy->setBuddy(widget);
            pendingBuddy = nullptr;
        }
        place(widget, c);
        widget->setObjectName(c.id == platform::IDC_STATIC ? QStringLiteral("static%1").arg(index)
                                                           : QStringLiteral("control%1").arg(c.id));
        if (c.id != platform::IDC_STATIC)
            controls_[c.id] = widget;
        ++index;
    }
    setFixedSize(static_cast<int>(templ_.cx * ux), static_cast<int>(templ_.cy * uy));
}

void QtTemplateDialog::Start() {
    if (started_)
        return;
    started_ = true;
    dialog_.AttachHost(this);
    dialog_.OnInitDialog();
    // The first edit in Tab order has the focus, its text selected, so typing replaces it.
    for (const DialogControl& c : templ_.controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(Control(c.id))) {
            edit->setFocus();
            edit->selectAll();
            break;
        }
    }
}

int32_t QtTemplateDialog::Run() {
    Start();
    const int result = exec();
    dialog_.AttachHost(nullptr);
    return result;
}

QWidget* QtTemplateDialog::Control(int32_t id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.data();
}

std::string QtTemplateDialog::GetItemText(int32_t id) const {
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id)))
        text = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(Control(id)))
        text = button->text();
    else if (auto* label = qobject_cast<QLabel*>(Control(id)))
        text = label->text();
    const QList<uint> units = text.toUcs4();
    return platform::EncodeText(dialog_.GetCodePage(), std::u32string(units.begin(), units.end()));
}

void QtTemplateDialog::SetItemText(int32_t id, std::string_view text) {
    const QString value = Decode(dialog_.GetCodePage(), text);
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id)))
        edit->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(Control(id)))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(Control(id)))
        label->setText(value);
}

bool QtTemplateDialog::IsChecked(int32_t id) const {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button && button->isCheckable() && button->isChecked();
}

void QtTemplateDialog::SetChecked(int32_t id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button || !button->isCheckable())
        return;
    // An exclusive group keeps one button checked; clearing the group is allowed here.
    auto it = radioGroupOf_.find(id);
    QButtonGroup* group = it == radioGroupOf_.end() ? nullptr : it->second;
    if (group)
        group->setExclusive(false);
    button->setChecked(checked);
    if (group)
        group->setExclusive(true);
}

bool QtTemplateDialog::IsItemEnabled(int32_t id) const {
    const QWidget* widget = Control(id);
    return widget && widget->isEnabled();
}

void QtTemplateDialog::EnableItem(int32_t id, bool enabled) {
    if (QWidget* widget = Control(id))
        widget->setEnabled(enabled);
}

void QtTemplateDialog::End(int32_t result) {
    done(result);
}

void QtTemplateDialog::MessageBox(std::string_view utf8Text) {
    if (messageBox_)
        messageBox_(this, utf8Text);
}

void QtTemplateDialog::reject() {
    if (started_ && dialog_.Host() == this)
        dialog_.OnCommand(platform::IDCANCEL, platform::BN_CLICKED);
    else
        QDialog::reject();
}

int32_t RunTemplateDialog(platform::Dialog& dialog, QWidget* parent,
                          const QtTemplateDialog::MessageFunction& messageBox) {
    const platform::DialogTemplate* templ = FindDialogTemplate(dialog.TemplateId());
    if (!templ)
        return -1;
    QtTemplateDialog window(dialog, *templ, parent, messageBox);
    return window.Run();
}

} // namespace app
