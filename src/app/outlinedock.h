// The label outline: a dock listing the labels, equates and macros of the active document in
// line order with their line numbers, narrowed by a filter as it is typed. Choosing an entry
// (click, Enter, double click) asks to jump to its line. The list follows the outline's changes
// row by row, so a keystroke costs a few rows, never the whole list; while a big document is
// still being scanned in the background a progress bar shows how far the scan has come.
#pragma once

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QPointer>
#include <QTimer>
#include <string>
#include <vector>

#include "z80/z80outline.h"

class QLineEdit;
class QProgressBar;
class QTableView;

namespace app {

class Z80Document;

// The entries of one outline as rows (all of them, or those the filter keeps): name, kind, line.
class OutlineModel final : public QAbstractTableModel, public z80::OutlineListener {
    Q_OBJECT
public:
    enum Column { NameColumn, KindColumn, LineColumn, ColumnCount };

    explicit OutlineModel(QObject* parent = nullptr);
    ~OutlineModel() override;

    // Listens to `outline` (null: none) from now on; the rows start afresh.
    void SetOutline(z80::Outline* outline);
    z80::Outline* Outline() const { return outline_; }
    // Keeps only the entries whose name contains `text`, ignoring case; empty keeps all.
    void SetFilter(const QString& text);
    const QString& Filter() const { return filter_; }
    // The outline's entry of `row`; -1 when there is none.
    int EntryOf(int row) const;
    // The row that shows entry `entry`, or the nearest one before it; -1 when there is none.
    int RowAtOrBefore(int entry) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void OnOutlineChanged(const z80::Outline& outline, const z80::OutlineChange& change) override;

private:
    void Refilter();
    // Follows one change of the outline with a filter set, row by row.
    void FilteredChange(const z80::Outline& outline, const z80::OutlineChange& change);

    z80::Outline* outline_ = nullptr;
    QString filter_;
    // The filter in ASCII lower case, as the outline compares names.
    std::string needle_;
    // rows_ is the count of entries the rows stand for. Without a filter every entry is a row;
    // with one, matches_ holds the entries shown, moved through each change, and computed again
    // (coalesced) after a reset.
    int rows_ = 0;
    std::vector<int> matches_;
    QTimer refilter_;
};

class OutlineDock final : public QDockWidget {
    Q_OBJECT
public:
    explicit OutlineDock(QWidget* parent = nullptr);

    // Shows the outline of `doc` (null: nothing).
    void SetDocument(Z80Document* doc);
    Z80Document* Document() const { return doc_; }
    OutlineModel& Model() { return model_; }
    QTableView& List() const { return *list_; }
    QLineEdit& FilterField() const { return *filterField_; }
    QProgressBar& Progress() const { return *progress_; }
    // Puts the focus into the filter field, its text selected.
    void FocusFilter();
    // The progress bar follows the scan (done by a timer while the scan runs).
    void UpdateProgress();
    // Makes the row of the entry that the caret's `line` (0-based) stands under the current one,
    // scrolled into view, when it is not already; nothing while the list has the focus, so the
    // user's own browsing wins.
    void FollowCaret(int line);

signals:
    // The entry on `line` (0-based) was chosen; `focusEditor` when the user is done choosing
    // (Enter, double click) rather than browsing (a click).
    void JumpRequested(int line, bool focusEditor);
    // Escape in the dock: the editor takes the focus back.
    void EditorFocusRequested();
    // The document shown went; the dock shows nothing until it is given another.
    void DocumentClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Listens to the document's outline while the dock is visible.
    void Follow();
    void Choose(const QModelIndex& index, bool focusEditor);

    OutlineModel model_;
    QPointer<Z80Document> doc_;
    QLineEdit* filterField_;
    QProgressBar* progress_;
    QTableView* list_;
    QTimer progressTimer_;
};

} // namespace app
