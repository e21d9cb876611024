// CSampleDoc: one open file. It owns the text buffer and the font description its views use,
// knows its path and title, loads and saves through the buffer, and asks whether to save a
// modified text before it goes. The buffer's modified state is the document's: every change of
// it reaches the document, which tells its listener so that window titles follow.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/commandroute.h"
#include "buffer/fileidentity.h"
#include "buffer/textbuffer.h"
#include "platform/font.h"
#include "platform/profile.h"
#include "view/cmdui.h"

namespace app {

class UiServices;
class CSampleDoc;
class Z80Document;

// What the application hears of a document's file and text (journalmanager.h, filewatch.h).
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // The text is now that of the file at `path`: it was loaded, reloaded or saved there (a
    // document saved under a new name takes `path` as its name right after).
    virtual void FileTextChanged(CSampleDoc& doc, const std::string& path) = 0;
    // Before the text is written to `path` (the document's own file, or a new name); false stops
    // the save (the user said no).
    virtual bool MaySaveOver(CSampleDoc& doc, const std::string& path) = 0;
    // A change was refused and the text left as it was (ENOMEM, EFBIG). Told in the middle of
    // an edit: whatever it shows must wait until the edit is over.
    virtual void EditFailed(CSampleDoc& doc, int errorNumber) = 0;
};

// The document's buffer: its modified flag goes on to the document.
class CSampleBuffer final : public CTextBuffer {
public:
    explicit CSampleBuffer(CSampleDoc& doc) : doc_(doc) {}
    void MarkModified(bool modified) override;
    void OnEditFailed(int errorNumber) override;

private:
    CSampleDoc& doc_;
};

class CSampleDoc final : public CommandTarget {
public:
    // Reads the default font from the profile.
    CSampleDoc(platform::Profile& profile, UiServices& ui);
    CSampleDoc(const CSampleDoc&) = delete;
    CSampleDoc& operator=(const CSampleDoc&) = delete;
    ~CSampleDoc() override;

    CTextBuffer& Buffer() { return buffer_; }
    // The Z80 workbench's state of the text (its outline), made on first use.
    Z80Document& Z80();
    const platform::LogFont& Font() const { return font_; }
    platform::Profile& Profile() { return profile_; }
    UiServices& Ui() { return ui_; }

    // ---- Name and state. The title is the file name of the path, or the new-document name.
    const std::string& PathName() const { return path_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);
    void SetPathName(std::string path);
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified);
    // Called after the title or the modified flag changed.
    void SetChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }
    void SetObserver(DocumentObserver* observer) { observer_ = observer; }
    DocumentObserver* Observer() const { return observer_; }
    // The file as the document last loaded or saved it (exists false: none, or it is gone).
    const FileIdentity& KnownFile() const { return knownFile_; }
    void SetKnownFile(const FileIdentity& identity) { knownFile_ = identity; }

    // ---- Life cycle.
    // An empty text of one line with DOS line ends.
    bool OnNewDocument();
    // Loads `path` with line ends detected; false (the user told why) when it cannot be read.
    bool OnOpenDocument(const std::string& path);
    // Loads the document's file again in place of the text, which stays as it is when the file
    // cannot be read (the user told why); the history starts afresh.
    bool ReloadFromFile();
    // Writes the text to `path`. A failure is shown with the system's reason and leaves the
    // document modified under its old name.
    bool OnSaveDocument(const std::string& path);
    void DeleteContents();
    // Save: to the document's path, or under a name the user gives when it has none.
    bool DoFileSave();
    // Save As (`askPath`) or Save; false when cancelled or failed.
    bool DoSave(bool askPath);
    // Before the document goes: true when it may close (saved, not modified, or the user said
    // not to save).
    bool SaveModified();

    // ---- Commands: Save, Save As, Read Only.
    bool RouteCommand(uint32_t id) override;
    bool RouteCommandUI(CmdUI& ui) override;
    void OnReadOnly();

private:
    void Changed();
    // The file was read or written: its identity is noted and the observer told.
    void FileTextChanged(const std::string& path);

    platform::Profile& profile_;
    UiServices& ui_;
    CSampleBuffer buffer_;
    platform::LogFont font_;
    std::string path_;
    std::string title_;
    bool modified_ = false;
    std::function<void()> listener_;
    DocumentObserver* observer_ = nullptr;
    FileIdentity knownFile_;
    // Declared after the buffer it watches, and reset first in the destructor.
    std::unique_ptr<Z80Document> z80_;
};

// The default font of new documents from "Default Font": "FaceName" and "Size" (tenths of a
// point, 160 when missing) as a cell height of Size / 10 pixels.
platform::LogFont DocumentFontFromProfile(const platform::Profile& profile);

} // namespace app
