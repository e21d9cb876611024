// Dialogs: templates as data, the toolkit-free dialog object with its data exchange, the backend
// side of a running dialog, and the services the engine's windows ask of the application around
// them (modal dialogs, message boxes, the settings store).
//
// A dialog is built by a backend from its template (controls with ids, texts and styles, in Tab
// order), which then sends the dialog's handlers: OnInitDialog once, OnCommand for every button
// click and edit change. The dialog reads and writes its controls through the host, by id, and
// ends the run with EndDialog. The logic of a dialog thus runs and is tested without a toolkit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace platform {

class Profile;

// ---- Templates. Positions and sizes are in dialog units of the template's font (a horizontal
// unit is a quarter of the font's average character width, a vertical unit an eighth of its
// height).

enum class ControlKind : uint8_t {
    Static,       // left-aligned text
    CenteredText, // centred text
    Icon,         // the icon whose resource id is the control's `resource`
    Edit,
    CheckBox,
    RadioButton,
    GroupBox,
    PushButton,
    DefPushButton, // the button Enter presses
};

// Style bits of a control.
enum ControlStyle : uint32_t {
    CsNone = 0,
    CsTabStop = 0x1,
    CsGroup = 0x2,       // starts a group: of radio buttons, or of the Tab order
    CsAutoHScroll = 0x4, // an edit that scrolls sideways as text is typed
};

// Style bits of a dialog.
enum DialogStyle : uint32_t {
    DsModalFrame = 0x1,
    DsCaption = 0x2,
    DsSysMenu = 0x4,
};

inline constexpr int32_t IDC_STATIC = -1;
inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;

struct DialogControl {
    int32_t id = IDC_STATIC; // IDC_STATIC for controls that send nothing
    ControlKind kind = ControlKind::Static;
    std::string_view text;
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    uint32_t style = CsNone;
    int32_t resource = 0; // Icon: the icon's resource id
};

struct DialogTemplate {
    int32_t id = 0;
    std::string_view title;
    std::string_view fontFace;
    int32_t fontPoints = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    uint32_t style = 0;
    std::span<const DialogControl> controls; // in Tab order
};

// The control `id` of `dialog`, the first one for IDC_STATIC; null when there is none.
const DialogControl* FindControl(const DialogTemplate& dialog, int32_t id);

// The radio buttons of the group that `firstId` starts: it and the radio buttons after it in Tab
// order, up to the next control that starts a group or is no radio button. Empty when `firstId`
// is no radio button.
std::vector<int32_t> RadioGroup(const DialogTemplate& dialog, int32_t firstId);

// ---- Running dialogs.

// Notification codes of OnCommand.
enum NotifyCode : uint32_t {
    BN_CLICKED = 0,     // a button was pressed (a check box or radio button after it changed)
    EN_CHANGE = 0x0300, // the text of an edit changed
};

// The backend's side of one running dialog. Texts are bytes of the dialog's code page.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    virtual const DialogTemplate& Template() const = 0;
    virtual std::string GetItemText(int32_t id) const = 0;
    virtual void SetItemText(int32_t id, std::string_view text) = 0;
    virtual bool IsChecked(int32_t id) const = 0;
    virtual void SetChecked(int32_t id, bool checked) = 0;
    virtual bool IsItemEnabled(int32_t id) const = 0;
    virtual void EnableItem(int32_t id, bool enabled) = 0;
    // Closes the dialog; the modal run returns `result`.
    virtual void End(int32_t result) = 0;
    // A message box over the dialog with only an OK button; `utf8Text` is UTF-8.
    virtual void MessageBox(std::string_view utf8Text) = 0;
};

class Dialog;

// One exchange between the controls and a dialog's fields: to the controls, or (saveAndValidate)
// from them. A field that fails validation makes the exchange fail.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate)
        : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

    bool SaveAndValidate() const { return saveAndValidate_; }
    bool Failed() const { return failed_; }
    void Fail() { failed_ = true; }

    void Text(int32_t id, std::string& value);
    void Check(int32_t id, bool& value);
    // The group that `firstId` starts: the index of its checked button (-1 when none).
    void Radio(int32_t firstId, int32_t& value);

private:
    Dialog& dialog_;
    bool saveAndValidate_;
    bool failed_ = false;
};

class Dialog {
public:
    explicit Dialog(int32_t templateId) : templateId_(templateId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog() = default;

    int32_t TemplateId() const { return templateId_; }
    // The code page of the texts the dialog exchanges with its controls.
    CodePage GetCodePage() const { return codePage_; }
    void SetCodePage(CodePage page) { codePage_ = page; }

    // --- Handlers. ---
    // Fields to controls; true lets the default control take the focus.
    virtual bool OnInitDialog();
    // A button click or edit change. The default sends IDOK to OnOK and IDCANCEL to OnCancel
    // (Enter presses the default button, Escape and the window's close button send IDCANCEL).
    virtual void OnCommand(int32_t id, uint32_t code);
    // Controls to fields, then the dialog ends with IDOK; nothing when the exchange fails.
    virtual void OnOK();
    // The dialog ends with IDCANCEL.
    virtual void OnCancel();
    virtual void DoDataExchange(DataExchange& dx) { (void)dx; }

    // --- Services; they do nothing while the dialog is not running. ---
    // Controls to fields (`saveAndValidate`) or fields to controls; false when it failed.
    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(int32_t result);
    std::string GetDlgItemText(int32_t id) const;
    void SetDlgItemText(int32_t id, std::string_view text);
    bool IsDlgButtonChecked(int32_t id) const;
    void CheckDlgButton(int32_t id, bool checked);
    bool IsDlgItemEnabled(int32_t id) const;
    void EnableDlgItem(int32_t id, bool enabled);
    // A message box over the dialog with only an OK button; `text` in the dialog's code page.
    void MessageBox(std::string_view text);
    bool IsRunning() const { return host_ != nullptr; }
    DialogHost* Host() const { return host_; }

    // Backends only: attach the host while the dialog runs, detach it (null) afterwards.
    void AttachHost(DialogHost* host) { host_ = host; }

private:
    int32_t templateId_;
    CodePage codePage_ = CodePage::Windows1252;
    DialogHost* host_ = nullptr;
};

// What engine windows ask of the application around them. An application hands its views one;
// without it a view shows no dialog or message and keeps no settings.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // Builds `dialog` from the template of its id, runs it modally and returns the result it
    // ended with; -1 when it cannot be built.
    virtual int32_t RunModalDialog(Dialog& dialog) = 0;
    // A modal message box titled with the application's name, with only an OK button;
    // `utf8Text` is UTF-8.
    virtual void MessageBox(std::string_view utf8Text) = 0;
    // The per-user settings store; null when there is none.
    virtual Profile* Settings() = 0;
};

// `bytes` of `page` as UTF-8.
std::string ToUtf8(CodePage page, std::string_view bytes);

} // namespace platform
