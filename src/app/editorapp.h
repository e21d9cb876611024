// CEditorApp: the application. Start-up names the settings store, loads the recent-file list,
// creates the main frame and carries out the command line; the application then makes and
// closes documents and their windows, serves New, Open, the recent files, About and Exit, and
// keeps window titles in step with each document's name and modified state.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/commandroute.h"
#include "app/sampledoc.h"
#include "app/uiservices.h"
#include "platform/lockkeys.h"
#include "platform/profile.h"
#include "view/cmdui.h"

namespace app {

class CChildFrame;
class CMainFrame;
class FileWatch;
class JournalManager;
class QtUiServices;

struct AppOptions {
    // The settings file; empty for the user's store of "Ostrel" / "Velmora Editor".
    QString settingsPath;
    // The dialogs and clipboard to use; null for the real ones.
    UiServices* ui = nullptr;
    // The lock-key states for the status bar; null for the platform's.
    platform::LockKeys* lockKeys = nullptr;
    // Where the journals of unsaved changes live; empty for the user's state folder.
    std::string journalFolder = {};
};

class CEditorApp final : public CommandTarget {
public:
    static constexpr size_t kRecentFileCount = 4;

    explicit CEditorApp(AppOptions options = {});
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;
    // Closes every window without asking, then the main frame.
    ~CEditorApp() override;

    // The start-up sequence; false when the application cannot start (nothing is left open).
    // `arguments` are the files to open, each in a window of its own; start-up fails when none
    // of them can be opened. With none, a new document opens.
    bool InitInstance(const QStringList& arguments);

    CMainFrame* MainFrame() const { return main_.get(); }
    platform::Profile& Profile() { return *profile_; }
    UiServices& Ui() { return *ui_; }
    platform::LockKeys& LockKeys() { return *lockKeys_; }

    // ---- Documents and windows.
    // A new document "Source<n>" in a window of its own; null if it could not be made.
    CSampleDoc* OnFileNew();
    // Opens `path` (or activates the window of the document that has it open); null when it
    // cannot be read, with the sentence shown to the user in `failure` when given.
    CSampleDoc* OpenDocumentFile(const std::string& path, std::string* failure = nullptr);
    void OnFileOpen();
    // Another window onto `doc`.
    CChildFrame* NewWindow(CSampleDoc& doc);
    std::vector<CSampleDoc*> Documents() const;
    // The windows of `doc` in the order they were opened.
    std::vector<CChildFrame*> FramesOf(const CSampleDoc& doc) const;
    // Asks about every modified document; false when the user cancelled.
    bool SaveAllModified();
    // Closes every window without asking.
    void CloseAllDocuments();
    bool IsClosingAll() const { return closingAll_; }
    // Called by a child frame as it goes; the document goes with its last window.
    void FrameDestroyed(CChildFrame* frame);

    // ---- Commands: New, Open, recent files, About, Exit.
    bool RouteCommand(uint32_t id) override;
    bool RouteCommandUI(CmdUI& ui) override;

    JournalManager& Journals() { return *journals_; }
    FileWatch& Files() { return *files_; }

    // Most recent first, at most kRecentFileCount.
    const std::vector<std::string>& RecentFiles() const { return recent_; }
    void AddToRecentFileList(const std::string& path);

private:
    CChildFrame* CreateFrame(CSampleDoc& doc);
    CSampleDoc* AddDocument(std::unique_ptr<CSampleDoc> doc);
    // A recovered document in a window of its own; an untitled one gets the next new name.
    CSampleDoc* AddRecoveredDocument(std::unique_ptr<CSampleDoc> doc);
    void NameUntitled(CSampleDoc& doc);
    void DocumentChanged(CSampleDoc& doc);
    void LoadRecentFiles();
    void SaveRecentFiles();

    std::string journalFolder_;
    std::unique_ptr<platform::Profile> profile_;
    std::unique_ptr<QtUiServices> ownUi_;
    UiServices* ui_;
    std::unique_ptr<platform::LockKeys> ownLockKeys_;
    platform::LockKeys* lockKeys_;
    std::vector<std::unique_ptr<CSampleDoc>> docs_;
    std::vector<CChildFrame*> frames_;
    std::map<const CSampleDoc*, std::string> knownPaths_;
    std::unique_ptr<JournalManager> journals_;
    std::unique_ptr<FileWatch> files_;
    std::unique_ptr<CMainFrame> main_;
    std::vector<std::string> recent_;
    int untitledCount_ = 0;
    bool closingAll_ = false;
};

} // namespace app
