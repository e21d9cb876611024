#include "app/mainframe.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <string_view>
#include <utility>

#include "app/childframe.h"
#include "app/editorapp.h"
#include "app/qtresources.h"
#include "app/resources/accelerators.h"
#include "app/resources/bars.h"
#include "app/resources/menus.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "app/uiservices.h"
#include "app/workbench.h"
#include "platform/profile.h"

namespace app {
namespace {

constexpr const char* kRecentProperty = "velmoraRecent";
constexpr const char* kWindowListProperty = "velmoraWindowList";
constexpr int kIdleUpdateMs = 200;

// A new document window shows this many columns and rows of its font.
constexpr int kDocumentColumns = 80;
constexpr int kDocumentRows = 25;
// The main window's first size: this share of the screen's free area, at least kMinimumSize
// where the screen has room for it.
constexpr double kScreenShare = 0.75;
constexpr QSize kMinimumSize(800, 600);

constexpr std::string_view kPlacementSection = "Window Placement";
constexpr std::string_view kGeometryEntry = "Geometry";
constexpr std::string_view kStateEntry = "State";
constexpr std::string_view kMaximizedEntry = "DocumentsMaximized";

platform::LockKey LockKeyOf(uint32_t paneId) {
    switch (paneId) {
    case ID_INDICATOR_NUM:
        return platform::LockKey::Num;
    case ID_INDICATOR_SCRL:
        return platform::LockKey::Scroll;
    default:
        return platform::LockKey::Caps;
    }
}

QByteArray FromBase64(const std::string& text) {
    return QByteArray::fromBase64(QByteArray::fromStdString(text));
}

} // namespace

CMainFrame::CMainFrame(CEditorApp& app) : app_(app), mdi_(new QMdiArea(this)) {
    setCentralWidget(mdi_);
    setWindowIcon(ResourceIcon(IDR_MAINFRAME));
    setAcceptDrops(true);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        UpdateTitle();
        UpdateCommandUI();
    });
    connect(&idle_, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
}

CMainFrame::~CMainFrame() {
    app_.LockKeys().SetChangeHandler(nullptr);
}

bool CMainFrame::LoadFrame() {
    if (!FindMenu(IDR_MAINFRAME) || !FindMenu(IDR_SOURCETYPE))
        return false;
    UpdateMenuBar();
    if (!CreateToolBar() || !CreateStatusBar())
        return false;
    const platform::AccelTable* keys = FindAccelTable(IDR_MAINFRAME);
    const platform::AccelTable* workbenchKeys = FindAccelTable(IDR_WORKBENCH);
    if (!keys || !workbenchKeys)
        return false;
    AddShortcuts(*keys);
    AddShortcuts(*workbenchKeys);
    // Before the placement is restored: it holds the state of the workbench's docks.
    workbench_ = new Z80Workbench(*this, app_);
    RestorePlacement();
    UpdateTitle();
    idle_.start(kIdleUpdateMs);
    // A lock key shows at once, not at the next idle update.
    app_.LockKeys().SetChangeHandler([this] { UpdateCommandUI(); });
    return true;
}

void CMainFrame::AddShortcuts(const platform::AccelTable& table) {
    // Keys that a view's own table also holds reach the view first: it claims them before any
    // window shortcut sees them.
    for (const platform::Accel& entry : table.Entries()) {
        const QKeySequence sequence = KeySequenceFor(entry);
        if (sequence.isEmpty())
            continue;
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        const uint32_t id = entry.cmd;
        connect(shortcut, &QShortcut::activated, this, [this, id] { RouteCommand(id); });
    }
}

bool CMainFrame::CreateToolBar() {
    const ToolBarResource* resource = FindToolBar(IDR_MAINFRAME);
    if (!resource)
        return false;
    toolBar_ = addToolBar(ToQString(ToolTip(ID_VIEW_TOOLBAR)));
    toolBar_->setObjectName("toolbar");
    toolBar_->setIconSize(QSize(resource->buttonWidth, resource->buttonHeight));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (const ToolBarItem& item : resource->items) {
        if (item.IsSeparator()) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action =
            toolBar_->addAction(CommandIcon(item.command), ToQString(ToolTip(item.command)));
        action->setProperty(kCommandProperty, static_cast<uint>(item.command));
        action->setToolTip(ToQString(ToolTip(item.command)));
        action->setStatusTip(ToQString(StatusPrompt(item.command)));
        const uint32_t id = item.command;
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    }
    return true;
}

bool CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    messagePane_ = new QLabel(ToQString(FindString(IDS_IDLE_MESSAGE).value_or("")), bar);
    bar->addWidget(messagePane_, 1);
    std::vector<uint32_t> ids(StatusBarPanes().begin(), StatusBarPanes().end());
    ids.insert(ids.end(), WorkbenchStatusPanes().begin(), WorkbenchStatusPanes().end());
    for (uint32_t id : ids) {
        if (id == ID_SEPARATOR)
            continue;
        const QString sizing = ToQString(FindString(static_cast<int32_t>(id)).value_or(""));
        auto* label = new QLabel(sizing, bar);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sizing) + 8);
        bar->addPermanentWidget(label);
        panes_.emplace_back(id, label);
    }
    return !panes_.empty();
}

CChildFrame* CMainFrame::ActiveChild() const {
    if (auto* child = qobject_cast<CChildFrame*>(mdi_->activeSubWindow()))
        return child;
    if (auto* child = qobject_cast<CChildFrame*>(mdi_->currentSubWindow()))
        return child;
    return nullptr;
}

std::vector<CChildFrame*> CMainFrame::Children() const {
    std::vector<CChildFrame*> children;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window))
            children.push_back(child);
    return children;
}

void CMainFrame::AddChild(CChildFrame* child) {
    mdi_->addSubWindow(child);
    connect(child, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::ChildStateChanged);
    if (isVisible()) {
        PlaceChild(child);
    } else {
        // The workspace has its size only once the main window is shown (see showEvent).
        child->show();
        unplaced_.emplace_back(child);
    }
    mdi_->setActiveSubWindow(child);
    if (CSampleView* view = child->ActiveView())
        view->SetFocus();
    UpdateMenuBar();
    UpdateTitle();
}

CommandRoute CMainFrame::RouteFrom(CChildFrame* child, CSampleView* view) {
    CSampleDoc* doc = child ? &child->Document() : nullptr;
    return CommandRoute{view, doc, child, &ownCommands_, &app_};
}

void CMainFrame::PlaceChild(CChildFrame* child) {
    if (documentsMaximized_) {
        child->showMaximized();
        return;
    }
    child->show();
    const QSize area = mdi_->contentsRect().size();
    const QSize wanted = child->SizeForText(kDocumentColumns, kDocumentRows).boundedTo(area);
    child->resize(wanted);
    const QPoint at(std::clamp(child->x(), 0, std::max(0, area.width() - wanted.width())),
                    std::clamp(child->y(), 0, std::max(0, area.height() - wanted.height())));
    child->move(at);
}

void CMainFrame::ChildStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState) {
    // Activation changes the state too; only a change of the maximised bit is the user's choice.
    if (oldState.testFlag(Qt::WindowMaximized) != newState.testFlag(Qt::WindowMaximized))
        documentsMaximized_ = newState.testFlag(Qt::WindowMaximized);
    UpdateTitle();
}

bool CMainFrame::RouteCommand(uint32_t id) {
    CChildFrame* child = ActiveChild();
    return RouteFrom(child, child ? child->ActiveView() : nullptr).Run(id);
}

void CMainFrame::RouteCommandUI(CmdUI& ui) {
    CChildFrame* child = ActiveChild();
    RouteFrom(child, child ? child->ActiveView() : nullptr).Update(ui);
}

bool CMainFrame::OwnCommand(uint32_t id) {
    if (workbench_ && workbench_->RouteCommand(id))
        return true;
    switch (id) {
    case ID_VIEW_TOOLBAR:
        toolBar_->setVisible(!toolBar_->isVisible());
        return true;
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case ID_SET_FONT:
        OnSetFont();
        return true;
    case ID_WINDOW_NEW:
        if (CChildFrame* child = ActiveChild())
            app_.NewWindow(child->Document());
        return true;
    case ID_WINDOW_CASCADE:
        mdi_->cascadeSubWindows();
        return true;
    case ID_WINDOW_TILE_HORZ:
        mdi_->tileSubWindows();
        return true;
    case ID_WINDOW_ARRANGE:
        ArrangeIcons();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OwnCommandUI(CmdUI& ui) {
    if (workbench_ && workbench_->RouteCommandUI(ui))
        return true;
    switch (ui.id) {
    case ID_VIEW_TOOLBAR:
        ui.Enable(true);
        ui.SetCheck(!toolBar_->isHidden());
        return true;
    case ID_VIEW_STATUS_BAR:
        ui.Enable(true);
        ui.SetCheck(!statusBar()->isHidden());
        return true;
    case ID_SET_FONT:
        ui.Enable(true);
        return true;
    case ID_WINDOW_NEW:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE:
        ui.Enable(ActiveChild() != nullptr);
        return true;
    case ID_INDICATOR_CAPS:
    case ID_INDICATOR_NUM:
    case ID_INDICATOR_SCRL:
        // Lit while the key is on; blank while it is off or the platform cannot tell.
        ui.Enable(app_.LockKeys().State(LockKeyOf(ui.id)) == platform::LockState::On);
        return true;
    default:
        return false;
    }
}

void CMainFrame::ArrangeIcons() {
    // Minimised windows line up along the bottom edge, left to right.
    int x = 0;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        window->move(x, mdi_->viewport()->height() - size.height());
        x += size.width();
    }
}

void CMainFrame::OnSetFont() {
    platform::Profile& profile = app_.Profile();
    platform::LogFont font;
    font.SetFaceName(profile.GetProfileString("Default Font", "FaceName", "Courier New"));
    const int32_t points = profile.GetProfileInt("Default Font", "Size", 140) / 10;
    const QScreen* display = screen();
    const int32_t dpi = display ? static_cast<int32_t>(display->logicalDotsPerInchY() + 0.5) : 96;
    font.lfHeight = -static_cast<int32_t>((static_cast<int64_t>(points) * dpi + 36) / 72);
    const std::optional<FontChoice> choice = app_.Ui().ChooseFont(font);
    if (!choice)
        return;
    profile.WriteProfileString("Default Font", "FaceName", choice->faceName);
    profile.WriteProfileInt("Default Font", "Size", choice->pointTenths);
}

void CMainFrame::UpdateMenuBar() {
    const int32_t wanted = app_.Documents().empty() ? IDR_MAINFRAME : IDR_SOURCETYPE;
    if (wanted == menuId_)
        return;
    const MenuResource* resource = FindMenu(wanted);
    if (!resource)
        return;
    // The Z80 workbench's pop-up follows "&View" in either bar.
    const MenuResource* workbench = FindMenu(IDR_WORKBENCH);
    auto* bar = new QMenuBar(this);
    const auto add = [&](const MenuItem& item) {
        QMenu* menu = bar->addMenu(ToQString(item.text));
        FillMenu(*menu, item.items);
        ConnectMenu(*menu);
    };
    for (const MenuItem& item : resource->bar) {
        add(item);
        if (workbench && item.text == "&View")
            for (const MenuItem& extra : workbench->bar)
                add(extra);
    }
    setMenuBar(bar); // deletes the previous bar
    menuId_ = wanted;
}

void CMainFrame::ConnectMenu(QMenu& menu) {
    connect(&menu, &QMenu::aboutToShow, this, [this, &menu] {
        FillRecentFiles(menu);
        FillWindowList(menu);
        UpdateMenu(menu);
    });
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            ConnectMenu(*sub);
            continue;
        }
        if (const uint32_t id = CommandOf(action))
            connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    }
}

void CMainFrame::FillRecentFiles(QMenu& menu) {
    QAction* first = nullptr;
    for (QAction* action : menu.actions()) {
        if (action->property(kRecentProperty).isValid())
            delete action;
        else if (CommandOf(action) == ID_FILE_MRU_FILE1)
            first = action;
    }
    if (!first)
        return;
    const std::vector<std::string>& files = app_.RecentFiles();
    const QList<QAction*> actions = menu.actions();
    const qsizetype at = actions.indexOf(first);
    QAction* before = at + 1 < actions.size() ? actions[at + 1] : nullptr;
    for (size_t i = 1; i < files.size(); ++i) {
        const uint32_t id = ID_FILE_MRU_FILE1 + static_cast<uint32_t>(i);
        auto* action = new QAction(&menu);
        action->setProperty(kCommandProperty, static_cast<uint>(id));
        action->setProperty(kRecentProperty, true);
        action->setStatusTip(ToQString(StatusPrompt(ID_FILE_MRU_FILE1)));
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        menu.insertAction(before, action);
    }
}

void CMainFrame::FillWindowList(QMenu& menu) {
    bool isWindowMenu = false;
    for (QAction* action : menu.actions()) {
        if (action->property(kWindowListProperty).isValid())
            delete action;
        else if (CommandOf(action) == ID_WINDOW_NEW)
            isWindowMenu = true;
    }
    if (!isWindowMenu)
        return;
    const std::vector<CChildFrame*> children = Children();
    if (children.empty())
        return;
    menu.addSeparator()->setProperty(kWindowListProperty, true);
    CChildFrame* active = ActiveChild();
    int number = 1;
    for (CChildFrame* child : children) {
        QAction* action = menu.addAction(QString("&%1 %2").arg(number++).arg(child->windowTitle()));
        action->setProperty(kWindowListProperty, true);
        action->setCheckable(true);
        action->setChecked(child == active);
        connect(action, &QAction::triggered, this,
                [this, child] { mdi_->setActiveSubWindow(child); });
    }
}

void CMainFrame::UpdateMenu(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        const uint32_t id = CommandOf(action);
        if (id == 0 || action->menu())
            continue;
        CmdUI ui;
        ui.id = id;
        ui.element = CmdUI::Element::MenuItem;
        RouteCommandUI(ui);
        action->setEnabled(ui.enabled);
        action->setCheckable(ui.checked);
        action->setChecked(ui.checked);
        if (ui.text)
            action->setText(ToQString(*ui.text));
    }
}

QAction* CMainFrame::FindMenuAction(uint32_t id) const {
    if (!menuBar())
        return nullptr;
    for (QAction* action : menuBar()->findChildren<QAction*>())
        if (CommandOf(action) == id && !action->menu())
            return action;
    return nullptr;
}

QAction* CMainFrame::FindToolBarAction(uint32_t id) const {
    for (QAction* action : toolBar_->actions())
        if (CommandOf(action) == id)
            return action;
    return nullptr;
}

void CMainFrame::UpdateCommandUI() {
    if (toolBar_) {
        for (QAction* action : toolBar_->actions()) {
            const uint32_t id = CommandOf(action);
            if (id == 0)
                continue;
            CmdUI ui;
            ui.id = id;
            ui.element = CmdUI::Element::ToolbarButton;
            RouteCommandUI(ui);
            action->setEnabled(ui.enabled);
        }
    }
    for (auto& [id, label] : panes_) {
        CmdUI ui;
        ui.id = id;
        ui.element = CmdUI::Element::StatusPane;
        RouteCommandUI(ui);
        QString text;
        if (ui.enabled)
            text = ui.text ? ToQString(*ui.text)
                           : ToQString(FindString(static_cast<int32_t>(id)).value_or(""));
        if (label->text() != text)
            label->setText(text);
    }
}

QString CMainFrame::PaneText(uint32_t id) const {
    if (id == ID_SEPARATOR) {
        const QString message = statusBar()->currentMessage();
        return message.isEmpty() ? messagePane_->text() : message;
    }
    for (const auto& [paneId, label] : panes_)
        if (paneId == id)
            return label->text();
    return {};
}

std::vector<uint32_t> CMainFrame::PaneIds() const {
    std::vector<uint32_t> ids{ID_SEPARATOR};
    for (const auto& [id, label] : panes_)
        ids.push_back(id);
    return ids;
}

QString CMainFrame::WantedTitle() const {
    QString title = ToQString(FindString(IDS_APP_TITLE).value_or("Velmora Editor"));
    if (CChildFrame* child = ActiveChild())
        title += " - " + child->windowTitle();
    return title;
}

void CMainFrame::UpdateTitle() {
    const QString title = WantedTitle();
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A maximised document window writes its title into the main window's; put ours back.
    if (event->type() == QEvent::WindowTitleChange)
        UpdateTitle();
}

void CMainFrame::RestorePlacement() {
    const platform::Profile& profile = app_.Profile();
    documentsMaximized_ = profile.GetProfileInt(kPlacementSection, kMaximizedEntry, 0) != 0;
    restoreState(FromBase64(profile.GetProfileString(kPlacementSection, kStateEntry)));
    if (restoreGeometry(FromBase64(profile.GetProfileString(kPlacementSection, kGeometryEntry))))
        return;
    const QScreen* display = screen();
    if (!display) {
        resize(kMinimumSize);
        return;
    }
    const QRect free = display->availableGeometry();
    const QSize share(static_cast<int>(free.width() * kScreenShare),
                      static_cast<int>(free.height() * kScreenShare));
    const QSize wanted = share.expandedTo(kMinimumSize).boundedTo(free.size());
    resize(wanted);
    move(free.center() - QPoint(wanted.width() / 2, wanted.height() / 2));
}

void CMainFrame::SavePlacement() {
    platform::Profile& profile = app_.Profile();
    profile.WriteProfileString(kPlacementSection, kGeometryEntry,
                               saveGeometry().toBase64().toStdString());
    profile.WriteProfileString(kPlacementSection, kStateEntry,
                               saveState().toBase64().toStdString());
    profile.WriteProfileInt(kPlacementSection, kMaximizedEntry, documentsMaximized_ ? 1 : 0);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (layout())
        layout()->activate();
    for (const QPointer<CChildFrame>& child : std::exchange(unplaced_, {}))
        if (child)
            PlaceChild(child);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!app_.SaveAllModified()) {
        event->ignore();
        return;
    }
    // Before the windows go: closing them changes no placement the user chose.
    SavePlacement();
    app_.CloseAllDocuments();
    idle_.stop();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            app_.OpenDocumentFile(url.toLocalFile().toStdString());
}

} // namespace app
