// CMainFrame: the MDI main window. It shows menu 128 while no document is open and menu 129
// while one is, the toolbar and the status bar of the resources, translates the frame's
// accelerator table, routes every command (active view, its document, its child frame, this
// frame, the application) and keeps menu items, buttons and status panes in step with their
// update handlers. Files dropped on it open as documents.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <cstdint>
#include <map>
#include <vector>

#include "app/commandroute.h"
#include "platform/accel.h"
#include "view/cmdui.h"

namespace app {

class CEditorApp;
class CChildFrame;
class CSampleView;
class Z80Workbench;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CEditorApp& app);
    ~CMainFrame() override;

    // Builds the menu, toolbar, status bar and key table; false when any of them is missing.
    bool LoadFrame();

    QMdiArea& MdiArea() const { return *mdi_; }
    CChildFrame* ActiveChild() const;
    std::vector<CChildFrame*> Children() const;
    void AddChild(CChildFrame* child);

    // The command route from `view` of window `child` (either may be null): the view, the
    // window's document, the window, this frame, the application.
    CommandRoute RouteFrom(CChildFrame* child, CSampleView* view);
    // The whole route from the active view on; false when no target handles `id`.
    bool RouteCommand(uint32_t id);
    // Fills `ui` along the whole route from the active view; an id no target claims is disabled.
    void RouteCommandUI(CmdUI& ui);

    // Menu 128 or 129, whichever fits; the id of the one shown.
    void UpdateMenuBar();
    int32_t CurrentMenuId() const { return menuId_; }
    // Runs the update handlers of every item of `menu` (what showing it does).
    void UpdateMenu(QMenu& menu);
    // The action of command `id` in the menu bar; null when it has none.
    QAction* FindMenuAction(uint32_t id) const;
    QAction* FindToolBarAction(uint32_t id) const;
    QToolBar& ToolBar() const { return *toolBar_; }
    // The Z80 tools: their menu, keys, status pane and docks (made by LoadFrame).
    Z80Workbench& Workbench() const { return *workbench_; }
    // Toolbar buttons and status panes follow their update handlers (done when idle).
    void UpdateCommandUI();
    // The text a status pane shows now; ID_SEPARATOR is the message pane.
    QString PaneText(uint32_t id) const;
    std::vector<uint32_t> PaneIds() const;
    // "Velmora Editor - <active window's title>", or the application's name alone. The title
    // keeps this form whatever state the active window is in (the toolkit would otherwise add
    // a maximised window's title a second time).
    QString WantedTitle() const;
    void UpdateTitle();

    void OnSetFont();
    void ArrangeIcons();

    // Window placement kept in the settings section "Window Placement": the main window's
    // geometry and bar layout, and whether the user last worked with maximised documents.
    void RestorePlacement();
    void SavePlacement();
    bool DocumentsMaximized() const { return documentsMaximized_; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // This frame's own stop on the route: the bars, Set Font and the Window menu.
    class FrameCommands final : public CommandTarget {
    public:
        explicit FrameCommands(CMainFrame& frame) : frame_(frame) {}
        bool RouteCommand(uint32_t id) override { return frame_.OwnCommand(id); }
        bool RouteCommandUI(CmdUI& ui) override { return frame_.OwnCommandUI(ui); }

    private:
        CMainFrame& frame_;
    };

    bool OwnCommand(uint32_t id);
    bool OwnCommandUI(CmdUI& ui);
    void ConnectMenu(QMenu& menu);
    void FillRecentFiles(QMenu& menu);
    void FillWindowList(QMenu& menu);
    bool CreateToolBar();
    bool CreateStatusBar();
    // A window shortcut for each entry of `table`, sending its command along the route.
    void AddShortcuts(const platform::AccelTable& table);
    // Places a new document window: maximised when the user last worked maximised, else sized
    // for 80 x 25 cells of its font and kept inside the workspace.
    void PlaceChild(CChildFrame* child);
    void ChildStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);

    CEditorApp& app_;
    FrameCommands ownCommands_{*this};
    QMdiArea* mdi_;
    QToolBar* toolBar_ = nullptr;
    Z80Workbench* workbench_ = nullptr;
    QLabel* messagePane_ = nullptr;
    std::vector<std::pair<uint32_t, QLabel*>> panes_;
    QTimer idle_;
    int32_t menuId_ = 0;
    bool documentsMaximized_ = false;
    // Document windows added while this window was hidden, placed when it is shown.
    std::vector<QPointer<CChildFrame>> unplaced_;
};

} // namespace app
