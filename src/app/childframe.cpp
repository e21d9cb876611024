#include "app/childframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>

#include "app/editorapp.h"
#include "app/mainframe.h"
#include "app/qtresources.h"
#include "app/resources/menus.h"
#include "app/resources/resourceids.h"

namespace app {

using platform::qt::QtSplitter;
using platform::qt::QtSystem;
using platform::qt::QtWndHost;

CChildFrame::CChildFrame(CEditorApp& app, CSampleDoc& doc) : app_(app), doc_(doc) {
    setAttribute(Qt::WA_DeleteOnClose);
    splitter_ = new QtSplitter([this](int32_t, int32_t) -> std::unique_ptr<platform::Wnd> {
        auto view = std::make_unique<CSampleView>(doc_, app_.Profile(), app_.Ui());
        CSampleView* raw = view.get();
        view->SetCommandRoute(
            [this, raw](uint32_t id) { return app_.MainFrame()->RouteFrom(this, raw).Run(id); });
        return view;
    });
    splitter_->installEventFilter(this);
    setWidget(splitter_);
    resize(480, 320);
}

CChildFrame::~CChildFrame() {
    lastActive_ = nullptr;
    delete splitter_;
    splitter_ = nullptr;
    app_.FrameDestroyed(this);
}

std::vector<CSampleView*> CChildFrame::Views() const {
    std::vector<CSampleView*> views;
    if (!splitter_)
        return views;
    for (int32_t row = 0; row < splitter_->GetRowCount(); ++row)
        for (int32_t col = 0; col < splitter_->GetColumnCount(); ++col)
            if (auto* view = dynamic_cast<CSampleView*>(splitter_->GetPane(row, col)))
                views.push_back(view);
    return views;
}

CSampleView* CChildFrame::ActiveView() const {
    const std::vector<CSampleView*> views = Views();
    if (views.empty())
        return nullptr;
    if (QtWndHost* focus = QtSystem::Instance().FocusHost()) {
        for (CSampleView* view : views)
            if (&focus->GetWnd() == view)
                lastActive_ = view;
    }
    for (CSampleView* view : views)
        if (view == lastActive_)
            return view;
    lastActive_ = views.front();
    return lastActive_;
}

void CChildFrame::ActivatePane(int32_t step) {
    const std::vector<CSampleView*> views = Views();
    if (views.empty())
        return;
    CSampleView* active = ActiveView();
    size_t index = 0;
    for (size_t i = 0; i < views.size(); ++i)
        if (views[i] == active)
            index = i;
    const int32_t count = static_cast<int32_t>(views.size());
    const int32_t next = ((static_cast<int32_t>(index) + step) % count + count) % count;
    lastActive_ = views[static_cast<size_t>(next)];
    lastActive_->SetFocus();
}

bool CChildFrame::RouteCommand(uint32_t id) {
    if (id == ID_NEXT_PANE || id == ID_PREV_PANE) {
        ActivatePane(id == ID_NEXT_PANE ? 1 : -1);
        return true;
    }
    return false;
}

bool CChildFrame::RouteCommandUI(CmdUI& ui) {
    if (ui.id == ID_NEXT_PANE || ui.id == ID_PREV_PANE) {
        ui.Enable(true);
        return true;
    }
    return false;
}

void CChildFrame::ShowContextMenu(QtWndHost& host, QPoint globalPos) {
    auto* view = dynamic_cast<CSampleView*>(&host.GetWnd());
    const MenuResource* resource = FindMenu(IDR_CONTEXTMENU);
    if (!view || !resource || resource->bar.empty())
        return;
    QMenu menu(this);
    FillMenu(menu, resource->bar.front().items);
    for (QAction* action : menu.findChildren<QAction*>()) {
        const uint32_t id = CommandOf(action);
        if (id == 0)
            continue;
        CmdUI ui;
        ui.id = id;
        ui.element = CmdUI::Element::MenuItem;
        view->UpdateContextMenuItem(ui);
        action->setEnabled(ui.enabled);
    }
    if (QAction* chosen = menu.exec(globalPos)) {
        if (const uint32_t id = CommandOf(chosen))
            view->OnCommand(id);
    }
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splitter_ && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QWidget* under = splitter_->childAt(menuEvent->pos());
        auto* host = qobject_cast<QtWndHost*>(under);
        if (!host && menuEvent->reason() == QContextMenuEvent::Keyboard)
            host = qobject_cast<QtWndHost*>(QApplication::focusWidget());
        if (host) {
            QPoint at = menuEvent->globalPos();
            if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
                // From the keyboard: below the caret.
                const platform::Rect caret = host->CaretRect();
                at = host->mapToGlobal(QPoint(caret.left, caret.bottom));
            }
            ShowContextMenu(*host, at);
            return true;
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (app_.FramesOf(doc_).size() == 1 && !app_.IsClosingAll() && !doc_.SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

} // namespace app
