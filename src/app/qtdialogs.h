// Dialogs built from their templates on Qt: one widget per control, placed in dialog units of the
// dialog's font, in the template's Tab order, with its mnemonic. The engine's dialog object does
// the rest: this window only turns clicks and edits into its OnCommand, and reads and writes the
// controls for it. A change of a template is thus a change of data.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/dialog.h"

class QButtonGroup;

namespace app {

class QtTemplateDialog final : public QDialog, public platform::DialogHost {
public:
    // Shows a message box over the dialog; `utf8Text` is UTF-8.
    using MessageFunction = std::function<void(QWidget* over, std::string_view utf8Text)>;

    QtTemplateDialog(platform::Dialog& dialog, const platform::DialogTemplate& templ,
                     QWidget* parent, MessageFunction messageBox);
    ~QtTemplateDialog() override;

    // Attaches the engine dialog and sends OnInitDialog (Run does it first).
    void Start();
    // Runs the dialog modally; the result it ended with.
    int32_t Run();

    // The widget of control `id`; null when the template has none.
    QWidget* Control(int32_t id) const;

    // --- DialogHost ---
    const platform::DialogTemplate& Template() const override { return templ_; }
    std::string GetItemText(int32_t id) const override;
    void SetItemText(int32_t id, std::string_view text) override;
    bool IsChecked(int32_t id) const override;
    void SetChecked(int32_t id, bool checked) override;
    bool IsItemEnabled(int32_t id) const override;
    void EnableItem(int32_t id, bool enabled) override;
    void End(int32_t result) override;
    void MessageBox(std::string_view utf8Text) override;

    // Escape and the window's close button: IDCANCEL to the engine dialog, which decides.
    void reject() override;

private:
    void Build();

    platform::Dialog& dialog_;
    const platform::DialogTemplate& templ_;
    MessageFunction messageBox_;
    std::map<int32_t, QPointer<QWidget>> controls_;
    std::map<int32_t, QButtonGroup*> radioGroupOf_;
    bool started_ = false;
};

// Builds `dialog` from its template and runs it modally over `parent`; -1 when the template is
// unknown. Message boxes of the dialog go through `messageBox`.
int32_t RunTemplateDialog(platform::Dialog& dialog, QWidget* parent,
                          const QtTemplateDialog::MessageFunction& messageBox);

} // namespace app
