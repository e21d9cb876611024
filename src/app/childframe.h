// CChildFrame: an MDI child window onto one document, split dynamically into up to 2 x 2 panes,
// each a CSampleView. It knows which pane is active, moves between panes (F6, Shift+F6) and
// shows the view's context menu.
#pragma once

#include <QMdiSubWindow>
#include <cstdint>
#include <vector>

#include "app/commandroute.h"
#include "app/sampledoc.h"
#include "app/sampleview.h"
#include "platform/qt/qt_splitter.h"
#include "view/cmdui.h"

namespace app {

class CEditorApp;

class CChildFrame final : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT
public:
    CChildFrame(CEditorApp& app, CSampleDoc& doc);
    // The panes go first (each view stores its options), then the application may let the
    // document go if this was its last window.
    ~CChildFrame() override;

    CSampleDoc& Document() const { return doc_; }
    platform::qt::QtSplitter& Splitter() const { return *splitter_; }
    // The pane that last had the focus, else the first one.
    CSampleView* ActiveView() const;
    std::vector<CSampleView*> Views() const;

    // Next and previous pane.
    bool RouteCommand(uint32_t id) override;
    bool RouteCommandUI(CmdUI& ui) override;
    void ActivatePane(int32_t step);
    // Shows the context menu of the pane `host` at `globalPos`.
    void ShowContextMenu(platform::qt::QtWndHost& host, QPoint globalPos);
    // Shows the context menu of the active pane below its caret (Shift+F10, the Menu key).
    void ShowContextMenuAtCaret();

    // The window size whose single pane shows `columns` x `rows` cells of the view's font beside
    // the margin. Measured against the laid-out window, so call it before any split.
    QSize SizeForText(int columns, int rows);
    // The size the window last had while neither maximised nor minimised; empty before it was
    // ever sized. Window > Cascade lays the windows out at this size (see sizeHint).
    QSize NormalSize() const { return normalSize_; }
    QSize sizeHint() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QPoint CaretMenuPoint(platform::qt::QtWndHost& host);

    CEditorApp& app_;
    CSampleDoc& doc_;
    platform::qt::QtSplitter* splitter_;
    mutable CSampleView* lastActive_ = nullptr;
    QSize normalSize_;
};

} // namespace app
