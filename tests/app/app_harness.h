// The editor started for real on the offscreen Qt platform with private settings, a scripted user
// (message boxes recorded, answers and file names queued) and lock keys the test sets; the
// clipboard is the platform's (the offscreen platform keeps it in memory).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/childframe.h"
#include "app/editorapp.h"
#include "app/mainframe.h"
#include "app/resources/dialogs.h"
#include "app/sampleview.h"
#include "app/uiservices.h"
#include "common/qt_test_app.h"
#include "platform/headless/headless_dialog.h"
#include "platform/headless/headless_lockkeys.h"

namespace apptest {

class ScriptedUi final : public app::UiServices {
public:
    app::MessageResult MessageBox(std::string_view text, app::MessageButtons buttons,
                                  app::MessageIcon icon) override {
        messages.emplace_back(text);
        icons.push_back(icon);
        if (buttons == app::MessageButtons::Ok || answers.empty())
            return buttons == app::MessageButtons::Ok ? app::MessageResult::Ok
                                                      : app::MessageResult::Cancel;
        const app::MessageResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> AskOpenPath(std::string_view folder) override {
        openFolders.emplace_back(folder);
        return Next(openPaths);
    }
    std::optional<std::string> AskSavePath(std::string_view proposed) override {
        proposedSaves.emplace_back(proposed);
        return Next(savePaths);
    }
    std::optional<app::FontChoice> ChooseFont(const platform::LogFont& initial) override {
        fontAsked = initial;
        return font;
    }
    void ShowAbout() override { ++aboutShown; }
    // The engine's dialogs run headless, driven by `dialogScript`; without one none is shown.
    int32_t RunDialog(platform::Dialog& dialog) override {
        const platform::DialogTemplate* templ = app::FindDialogTemplate(dialog.TemplateId());
        if (!templ || !dialogScript)
            return -1;
        platform::headless::HeadlessDialog host(dialog, *templ);
        host.Start();
        dialogScript(host);
        if (host.Running())
            host.PressEscape();
        dialogMessages.insert(dialogMessages.end(), host.Messages().begin(), host.Messages().end());
        return host.Result();
    }
    void PrintView(platform::PrintableView& view, std::string_view title, bool preview) override {
        printed.push_back({&view, std::string(title), preview});
        if (onPrint)
            onPrint(view);
    }
    void PrintSetup() override { ++printSetups; }
    bool PageSetup(platform::PageMargins& margins) override {
        marginsShown.push_back(margins);
        if (!pageSetupAnswer)
            return false;
        margins = *pageSetupAnswer;
        return true;
    }

    std::vector<std::string> messages;
    std::vector<app::MessageIcon> icons;
    std::vector<std::string> openFolders;
    std::vector<std::string> proposedSaves;
    std::deque<app::MessageResult> answers;
    std::deque<std::string> openPaths;
    std::deque<std::string> savePaths;
    std::optional<app::FontChoice> font;
    std::optional<platform::LogFont> fontAsked;
    int aboutShown = 0;
    std::function<void(platform::headless::HeadlessDialog&)> dialogScript;
    std::vector<std::string> dialogMessages;
    struct PrintRequest {
        platform::PrintableView* view;
        std::string title;
        bool preview;
    };
    std::vector<PrintRequest> printed;
    std::function<void(platform::PrintableView&)> onPrint; // what the print dialog does
    int printSetups = 0;
    std::vector<platform::PageMargins> marginsShown;
    std::optional<platform::PageMargins> pageSetupAnswer; // none: Cancel

private:
    static std::optional<std::string> Next(std::deque<std::string>& queue) {
        if (queue.empty())
            return std::nullopt;
        std::string next = queue.front();
        queue.pop_front();
        return next;
    }
};

class AppTest : public ::testing::Test {
protected:
    QString SettingsPath() const { return dir_.filePath("settings.ini"); }
    std::string JournalFolder() const { return dir_.filePath("state/velmora").toStdString(); }
    std::string FilePath(const char* name) const { return dir_.filePath(name).toStdString(); }
    void WriteFile(const char* name, const QByteArray& bytes) const {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadFile(const char* name) const {
        QFile file(dir_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Presets a setting before start-up.
    void Preset(const QString& key, const QVariant& value) const {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        settings.setValue(key, value);
    }
    // A setting as stored on disk (the application flushed); invalid when missing.
    QVariant Stored(const QString& key) const {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        return settings.value(key);
    }

    bool Start(const QStringList& arguments = {}) {
        app = std::make_unique<app::CEditorApp>(
            app::AppOptions{SettingsPath(), &ui, &lockKeys, JournalFolder()});
        return app->InitInstance(arguments);
    }
    void Stop() { app.reset(); }
    app::CMainFrame& Main() const { return *app->MainFrame(); }
    app::CSampleView& View() const { return *Main().ActiveChild()->ActiveView(); }
    app::CSampleDoc& Doc() const { return Main().ActiveChild()->Document(); }
    // Deletes the windows that closed.
    static void Settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    void Type(app::CSampleView& view, std::string_view text) const {
        for (char c : text)
            view.OnChar(static_cast<unsigned char>(c), 1);
    }
    // The active document's lines joined by '|'.
    std::string DocText() const {
        std::string text;
        const CTextBuffer& b = Doc().Buffer();
        for (int i = 0; i < b.LineCount(); ++i)
            text += std::string(b.LineText(i)) + (i + 1 < b.LineCount() ? "|" : "");
        return text;
    }
    // The state of a menu item after its menu's update handlers ran.
    QAction* MenuItem(uint32_t id) const {
        QAction* action = Main().FindMenuAction(id);
        if (action) {
            if (auto* menu = qobject_cast<QMenu*>(action->parent()))
                Main().UpdateMenu(*menu);
        }
        return action;
    }

    void TearDown() override {
        app.reset();
        Settle();
    }

    QTemporaryDir dir_;
    ScriptedUi ui;
    platform::headless::HeadlessLockKeys lockKeys;
    std::unique_ptr<app::CEditorApp> app;
};

} // namespace apptest
