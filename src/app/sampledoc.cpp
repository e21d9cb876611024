#include "app/sampledoc.h"

#include <array>

#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "app/uiservices.h"
#include "app/z80document.h"
#include "buffer/printable.h"

namespace app {
namespace {

// The question before a modified document goes, around its name.
constexpr std::string_view kAskToSaveBefore = "Save changes to ";
constexpr std::string_view kAskToSaveAfter = "?";

std::string FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

using Entry = CommandMapEntry<CSampleDoc>;

const std::array<Entry, 3> kDocCommands{{
    {ID_FILE_SAVE, [](CSampleDoc& d) { d.DoFileSave(); }, nullptr},
    {ID_FILE_SAVE_AS, [](CSampleDoc& d) { d.DoSave(true); }, nullptr},
    {ID_READ_ONLY, [](CSampleDoc& d) { d.OnReadOnly(); },
     [](CSampleDoc& d, CmdUI& ui) { ui.SetCheck(d.Buffer().IsReadOnly()); }},
}};

} // namespace

void CSampleBuffer::MarkModified(bool modified) {
    // The buffer keeps its own flag too: it decides from it when undo reaches the saved state.
    CTextBuffer::MarkModified(modified);
    doc_.SetModifiedFlag(modified);
}

void CSampleBuffer::OnEditFailed(int errorNumber) {
    if (DocumentObserver* observer = doc_.Observer())
        observer->EditFailed(doc_, errorNumber);
}

platform::LogFont DocumentFontFromProfile(const platform::Profile& profile) {
    platform::LogFont font;
    font.lfHeight = profile.GetProfileInt("Default Font", "Size", 160) / 10;
    font.lfWeight = platform::FW_NORMAL;
    font.lfCharSet = platform::RUSSIAN_CHARSET;
    font.SetFaceName(profile.GetProfileString("Default Font", "FaceName", "Courier New"));
    return font;
}

CSampleDoc::CSampleDoc(platform::Profile& profile, UiServices& ui)
    : profile_(profile), ui_(ui), buffer_(*this), font_(DocumentFontFromProfile(profile)) {}

CSampleDoc::~CSampleDoc() {
    listener_ = nullptr;
    z80_.reset();
    buffer_.ReleaseContents();
}

Z80Document& CSampleDoc::Z80() {
    if (!z80_)
        z80_ = std::make_unique<Z80Document>(*this, buffer_);
    return *z80_;
}

void CSampleDoc::SetTitle(std::string title) {
    title_ = std::move(title);
    Changed();
}

void CSampleDoc::SetPathName(std::string path) {
    path_ = std::move(path);
    title_ = FileNameOf(path_);
    Changed();
}

void CSampleDoc::SetModifiedFlag(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    Changed();
}

void CSampleDoc::Changed() {
    if (listener_)
        listener_();
}

bool CSampleDoc::OnNewDocument() {
    DeleteContents();
    SetModifiedFlag(false);
    buffer_.ResetToEmpty(LineEndDos);
    return true;
}

bool CSampleDoc::OnOpenDocument(const std::string& path) {
    DeleteContents();
    SetModifiedFlag(false);
    if (!buffer_.ReadFromFile(path, LineEndAuto)) {
        ui_.MessageBox(buffer_.LastFileError().Message(), MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    SetModifiedFlag(false);
    FileTextChanged(path);
    return true;
}

bool CSampleDoc::ReloadFromFile() {
    // No release first: a load that fails leaves the buffer's text as it was.
    if (!buffer_.ReadFromFile(path_, LineEndAuto)) {
        ui_.MessageBox(buffer_.LastFileError().Message(), MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    SetModifiedFlag(false);
    FileTextChanged(path_);
    return true;
}

void CSampleDoc::FileTextChanged(const std::string& path) {
    FileIdentity identity;
    ReadFileIdentity(buffer_.Files(), path, true, identity);
    knownFile_ = identity;
    if (observer_)
        observer_->FileTextChanged(*this, path);
}

bool CSampleDoc::OnSaveDocument(const std::string& path) {
    if (observer_ && !observer_->MaySaveOver(*this, path))
        return false;
    if (!buffer_.WriteToFile(path, buffer_.GetLineEndStyle(), true)) {
        // The text stays modified and keeps its name; the user learns which file and why, also
        // when the step that failed concerned another file (the temporary one, its folder).
        const FileError& error = buffer_.LastFileError();
        std::string text = error.Message();
        if (error.path != path)
            text = "Cannot save " + PrintableFileName(path) + ".\n" + text;
        ui_.MessageBox(text, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    SetModifiedFlag(false);
    FileTextChanged(path);
    return true;
}

void CSampleDoc::DeleteContents() {
    buffer_.ReleaseContents();
}

bool CSampleDoc::DoFileSave() {
    return DoSave(path_.empty());
}

bool CSampleDoc::DoSave(bool askPath) {
    std::string target = path_;
    if (askPath || target.empty()) {
        std::optional<std::string> chosen = ui_.AskSavePath(path_.empty() ? title_ : path_);
        if (!chosen || chosen->empty())
            return false;
        target = *chosen;
    }
    if (!OnSaveDocument(target))
        return false;
    if (target != path_)
        SetPathName(target);
    return true;
}

bool CSampleDoc::SaveModified() {
    if (!modified_)
        return true;
    std::string text(kAskToSaveBefore);
    text += PrintableFileName(path_.empty() ? title_ : path_);
    text += kAskToSaveAfter;
    switch (ui_.MessageBox(text, MessageButtons::YesNoCancel, MessageIcon::Warning)) {
    case MessageResult::Yes:
        return DoFileSave();
    case MessageResult::No:
        return true;
    default:
        return false;
    }
}

void CSampleDoc::OnReadOnly() {
    if (buffer_.IsReadOnly()) {
        buffer_.ChangeReadOnly(false);
        return;
    }
    buffer_.ChangeReadOnly(true);
    ui_.MessageBox(FindString(IDP_DOCUMENT_READ_ONLY).value_or("Document now read-only!"),
                   MessageButtons::Ok, MessageIcon::Information);
}

bool CSampleDoc::RouteCommand(uint32_t id) {
    return RunCommand<CSampleDoc>(kDocCommands, *this, id);
}

bool CSampleDoc::RouteCommandUI(CmdUI& ui) {
    return UpdateCommand<CSampleDoc>(kDocCommands, *this, ui);
}

} // namespace app
