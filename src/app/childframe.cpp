#include "app/childframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLayout>
#include <QMenu>
#include <QResizeEvent>
#include <QShortcut>
#include <algorithm>

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
    setWindowIcon(ResourceIcon(IDR_SOURCETYPE));
    // Shift+F10 opens the context menu at the caret; the panes' own key table does not hold it,
    // so this shortcut sees it first. (The Menu key arrives as the platform's keyboard context
    // menu event, handled in eventFilter: a shortcut for it would open a second menu.)
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    menuKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(menuKey, &QShortcut::activated, this, &CChildFrame::ShowContextMenuAtCaret);
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

void CChildFrame::ShowContextMenuAtCaret() {
    CSampleView* view = ActiveView();
    if (!view || !splitter_)
        return;
    for (int32_t row = 0; row < splitter_->GetRowCount(); ++row) {
        for (int32_t col = 0; col < splitter_->GetColumnCount(); ++col) {
            QtWndHost* host = splitter_->PaneHost(row, col);
            if (host && &host->GetWnd() == view) {
                ShowContextMenu(*host, CaretMenuPoint(*host));
                return;
            }
        }
    }
}

QPoint CChildFrame::CaretMenuPoint(QtWndHost& host) {
    // Below the caret; a caret scrolled out of sight gives the nearest point inside the pane.
    const platform::Rect caret = host.CaretRect();
    const QPoint below(std::clamp(caret.left, 0, std::max(0, host.width() - 1)),
                       std::clamp(caret.bottom, 0, std::max(0, host.height() - 1)));
    return host.mapToGlobal(below);
}

QSize CChildFrame::SizeForText(int columns, int rows) {
    CSampleView* view = ActiveView();
    if (!view || !splitter_)
        return size();
    // The window's frame and title bar, then the splitter's scroll bars beside the one pane.
    // (The splitter lays its panes out only when it is shown; its own size is known earlier.)
    if (layout())
        layout()->activate();
    const int bars = splitter_->Layout().ScrollBarExtent();
    const QSize decoration = size() - splitter_->size() + QSize(bars, bars);
    return QSize(view->GetMarginPixels() + columns * view->GetCellWidth(),
                 rows * view->GetRowHeight()) +
           decoration;
}

QSize CChildFrame::sizeHint() const {
    return normalSize_.isValid() ? normalSize_ : QMdiSubWindow::sizeHint();
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    if (!isMaximized() && !isMinimized())
        normalSize_ = event->size();
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splitter_ && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QWidget* under = splitter_->childAt(menuEvent->pos());
        auto* host = qobject_cast<QtWndHost*>(under);
        if (!host && menuEvent->reason() == QContextMenuEvent::Keyboard)
            host = qobject_cast<QtWndHost*>(QApplication::focusWidget());
        if (host) {
            ShowContextMenu(*host, menuEvent->reason() == QContextMenuEvent::Keyboard
                                       ? CaretMenuPoint(*host)
                                       : menuEvent->globalPos());
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
