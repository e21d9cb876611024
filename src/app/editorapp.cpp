#include "app/editorapp.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "app/childframe.h"
#include "app/filewatch.h"
#include "app/journalmanager.h"
#include "app/mainframe.h"
#include "app/qtresources.h"
#include "app/qtuiservices.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "platform/appprofile.h"
#include "platform/qt/qt_lockkeys.h"
#include "platform/qt/qt_profile.h"

namespace app {
namespace {

constexpr std::string_view kRecentSection = "Recent File List";

std::string AbsolutePath(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    const QString canonical = info.canonicalFilePath();
    return (canonical.isEmpty() ? info.absoluteFilePath() : canonical).toStdString();
}

} // namespace

CEditorApp::CEditorApp(AppOptions options) : journalFolder_(std::move(options.journalFolder)) {
    if (options.ui) {
        ui_ = options.ui;
    } else {
        ownUi_ = std::make_unique<QtUiServices>();
        ui_ = ownUi_.get();
    }
    if (options.lockKeys) {
        lockKeys_ = options.lockKeys;
    } else {
        ownLockKeys_ = std::make_unique<platform::qt::QtLockKeys>();
        lockKeys_ = ownLockKeys_.get();
    }
    // The store is named before anything reads a setting.
    if (options.settingsPath.isEmpty())
        profile_ = std::make_unique<platform::qt::QtProfile>("Ostrel", "Velmora Editor");
    else
        profile_ = std::make_unique<platform::qt::QtProfile>(options.settingsPath);
    // Printing reads its page margins from it.
    platform::SetAppProfile(profile_.get());
}

CEditorApp::~CEditorApp() {
    CloseAllDocuments();
    main_.reset();
    if (platform::AppProfile() == profile_.get())
        platform::SetAppProfile(nullptr);
    profile_->Flush();
}

bool CEditorApp::InitInstance(const QStringList& arguments) {
    const std::string_view failed = FindString(IDP_OLE_INIT_FAILED).value_or("");
    if (!QApplication::instance()) {
        // Without the toolkit there is no window to show the message in.
        std::fprintf(stderr, "%.*s\n", static_cast<int>(failed.size()), failed.data());
        return false;
    }
    LoadRecentFiles();
    // Every window of the application (dialogs too) carries the application icon.
    QApplication::setWindowIcon(ResourceIcon(IDR_MAINFRAME));
    main_ = std::make_unique<CMainFrame>(*this);
    if (ownUi_) {
        ownUi_->SetParent(main_.get());
        ownUi_->SetProfile(profile_.get());
    }
    if (!main_->LoadFrame()) {
        main_.reset();
        return false;
    }
    JournalManager::Hooks hooks;
    hooks.makeDocument = [this] { return std::make_unique<CSampleDoc>(*profile_, *ui_); };
    hooks.showDocument = [this](std::unique_ptr<CSampleDoc> doc) {
        return AddRecoveredDocument(std::move(doc));
    };
    hooks.findDocument = [this](const std::string& path) -> CSampleDoc* {
        for (const auto& doc : docs_)
            if (doc->PathName() == path)
                return doc.get();
        return nullptr;
    };
    journals_ = std::make_unique<JournalManager>(*ui_, std::move(hooks), journalFolder_);
    files_ = std::make_unique<FileWatch>(*ui_, *journals_, [this](CSampleDoc& doc) {
        std::vector<CSampleView*> views;
        for (CChildFrame* frame : FramesOf(doc))
            for (CSampleView* view : frame->Views())
                views.push_back(view);
        return views;
    });
    // Unsaved changes an editor left behind when it ended are offered before anything opens.
    const bool recovered = !journals_->OfferLeftJournals().empty();
    bool ok = true;
    if (arguments.isEmpty()) {
        ok = recovered || OnFileNew() != nullptr;
    } else {
        // Each file in a window of its own. One that cannot be opened was shown to the user and
        // is named on stderr as well, for a start from a terminal; the others still open.
        ok = false;
        for (const QString& argument : arguments) {
            std::string failure;
            if (OpenDocumentFile(argument.toStdString(), &failure))
                ok = true;
            else
                std::fprintf(stderr, "velmora: %s\n", failure.c_str());
        }
    }
    journals_->StartUpDone();
    if (!ok) {
        CloseAllDocuments();
        main_.reset();
        return false;
    }
    main_->show();
    main_->UpdateCommandUI();
    return true;
}

CSampleDoc* CEditorApp::AddDocument(std::unique_ptr<CSampleDoc> doc) {
    CSampleDoc* raw = doc.get();
    docs_.push_back(std::move(doc));
    knownPaths_[raw] = raw->PathName();
    raw->SetChangeListener([this, raw] { DocumentChanged(*raw); });
    if (journals_)
        journals_->Attach(*raw);
    if (files_)
        files_->Add(*raw);
    CreateFrame(*raw);
    return raw;
}

CSampleDoc* CEditorApp::AddRecoveredDocument(std::unique_ptr<CSampleDoc> doc) {
    if (doc->PathName().empty())
        NameUntitled(*doc);
    else
        AddToRecentFileList(doc->PathName());
    return AddDocument(std::move(doc));
}

void CEditorApp::NameUntitled(CSampleDoc& doc) {
    const std::string_view templ = FindString(IDR_SOURCETYPE).value_or("");
    doc.SetTitle(std::string(DocTemplateField(templ, DocField::DocName)) +
                 std::to_string(++untitledCount_));
}

CSampleDoc* CEditorApp::OnFileNew() {
    auto doc = std::make_unique<CSampleDoc>(*profile_, *ui_);
    if (!doc->OnNewDocument())
        return nullptr;
    NameUntitled(*doc);
    return AddDocument(std::move(doc));
}

CSampleDoc* CEditorApp::OpenDocumentFile(const std::string& path, std::string* failure) {
    const std::string absolute = AbsolutePath(path);
    for (const auto& doc : docs_) {
        if (doc->PathName() == absolute) {
            const std::vector<CChildFrame*> frames = FramesOf(*doc);
            if (!frames.empty() && main_)
                main_->MdiArea().setActiveSubWindow(frames.front());
            return doc.get();
        }
    }
    // Unsaved changes to this file that an editor left behind come first.
    if (journals_) {
        if (CSampleDoc* recovered = journals_->OfferJournalsOf(absolute))
            return recovered;
    }
    auto doc = std::make_unique<CSampleDoc>(*profile_, *ui_);
    if (!doc->OnOpenDocument(absolute)) {
        if (failure)
            *failure = doc->Buffer().LastFileError().Message();
        return nullptr;
    }
    doc->SetPathName(absolute);
    AddToRecentFileList(absolute);
    return AddDocument(std::move(doc));
}

void CEditorApp::OnFileOpen() {
    // The dialog starts in the active document's folder.
    std::string folder;
    if (CChildFrame* child = main_ ? main_->ActiveChild() : nullptr) {
        const std::string& path = child->Document().PathName();
        folder = path.substr(0, path.find_last_of('/') + 1);
    }
    if (std::optional<std::string> path = ui_->AskOpenPath(folder))
        OpenDocumentFile(*path);
}

CChildFrame* CEditorApp::NewWindow(CSampleDoc& doc) {
    return CreateFrame(doc);
}

CChildFrame* CEditorApp::CreateFrame(CSampleDoc& doc) {
    auto* frame = new CChildFrame(*this, doc);
    frames_.push_back(frame);
    DocumentChanged(doc);
    if (main_)
        main_->AddChild(frame);
    return frame;
}

std::vector<CSampleDoc*> CEditorApp::Documents() const {
    std::vector<CSampleDoc*> docs;
    for (const auto& doc : docs_)
        docs.push_back(doc.get());
    return docs;
}

std::vector<CChildFrame*> CEditorApp::FramesOf(const CSampleDoc& doc) const {
    std::vector<CChildFrame*> frames;
    for (CChildFrame* frame : frames_)
        if (&frame->Document() == &doc)
            frames.push_back(frame);
    return frames;
}

bool CEditorApp::SaveAllModified() {
    for (const auto& doc : docs_)
        if (!doc->SaveModified())
            return false;
    return true;
}

void CEditorApp::CloseAllDocuments() {
    closingAll_ = true;
    while (!frames_.empty())
        delete frames_.back(); // its destructor calls FrameDestroyed
    closingAll_ = false;
}

void CEditorApp::FrameDestroyed(CChildFrame* frame) {
    frames_.erase(std::remove(frames_.begin(), frames_.end(), frame), frames_.end());
    CSampleDoc& doc = frame->Document();
    if (FramesOf(doc).empty()) {
        // Closed without saving (or saved before): its journal goes with it.
        if (files_)
            files_->Remove(doc);
        if (journals_)
            journals_->Detach(doc);
        knownPaths_.erase(&doc);
        docs_.erase(std::remove_if(docs_.begin(), docs_.end(),
                                   [&](const auto& d) { return d.get() == &doc; }),
                    docs_.end());
    } else {
        DocumentChanged(doc);
    }
    if (main_) {
        main_->UpdateMenuBar();
        main_->UpdateTitle();
    }
}

void CEditorApp::DocumentChanged(CSampleDoc& doc) {
    const std::vector<CChildFrame*> frames = FramesOf(doc);
    for (size_t i = 0; i < frames.size(); ++i) {
        QString title = QString::fromStdString(doc.Title());
        if (frames.size() > 1)
            title += QString(":%1").arg(i + 1);
        if (doc.IsModified())
            title += " *";
        frames[i]->setWindowTitle(title);
    }
    std::string& known = knownPaths_[&doc];
    if (known != doc.PathName()) {
        known = doc.PathName();
        if (!known.empty())
            AddToRecentFileList(known);
    }
    if (main_)
        main_->UpdateTitle();
}

bool CEditorApp::RouteCommand(uint32_t id) {
    switch (id) {
    case ID_FILE_NEW:
        OnFileNew();
        return true;
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_APP_ABOUT:
        ui_->ShowAbout();
        return true;
    case ID_APP_EXIT:
        if (main_)
            main_->close();
        return true;
    case ID_FILE_PRINT_SETUP:
        ui_->PrintSetup();
        return true;
    default:
        break;
    }
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const size_t index = id - ID_FILE_MRU_FILE1;
        if (index < recent_.size()) {
            const std::string path = recent_[index];
            if (!OpenDocumentFile(path)) {
                // A file that can no longer be opened leaves the list.
                recent_.erase(recent_.begin() + static_cast<std::ptrdiff_t>(index));
                SaveRecentFiles();
            }
        }
        return true;
    }
    return false;
}

bool CEditorApp::RouteCommandUI(CmdUI& ui) {
    switch (ui.id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
    case ID_FILE_PRINT_SETUP:
        ui.Enable(true);
        return true;
    default:
        break;
    }
    if (ui.id >= ID_FILE_MRU_FILE1 && ui.id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const size_t index = ui.id - ID_FILE_MRU_FILE1;
        ui.Enable(index < recent_.size());
        if (index < recent_.size() && ui.IsMenuItem()) {
            std::string text = "&";
            text += std::to_string(index + 1);
            text += ' ';
            text += recent_[index];
            ui.SetText(text);
        }
        return true;
    }
    return false;
}

void CEditorApp::AddToRecentFileList(const std::string& path) {
    recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
    recent_.insert(recent_.begin(), path);
    if (recent_.size() > kRecentFileCount)
        recent_.resize(kRecentFileCount);
    SaveRecentFiles();
}

void CEditorApp::LoadRecentFiles() {
    recent_.clear();
    for (size_t i = 1; i <= kRecentFileCount; ++i) {
        std::string path =
            profile_->GetProfileString(kRecentSection, "File" + std::to_string(i), "");
        if (!path.empty())
            recent_.push_back(std::move(path));
    }
}

void CEditorApp::SaveRecentFiles() {
    for (size_t i = 1; i <= kRecentFileCount; ++i)
        profile_->WriteProfileString(kRecentSection, "File" + std::to_string(i),
                                     i <= recent_.size() ? recent_[i - 1] : std::string());
}

} // namespace app
