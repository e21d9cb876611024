#include "app/outlinedock.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "app/qtresources.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "app/z80document.h"
#include "buffer/textbuffer.h"

namespace app {
namespace {

// The scan's progress is shown in tenths of a percent.
constexpr int kProgressRange = 1000;
constexpr int kProgressIntervalMs = 100;

QString KindName(z80::SymbolKind kind) {
    switch (kind) {
    case z80::SymbolKind::Equate:
        return QStringLiteral("equ");
    case z80::SymbolKind::Macro:
        return QStringLiteral("macro");
    case z80::SymbolKind::Label:
        break;
    }
    return QStringLiteral("label");
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `name` holds `lowerNeedle`, ignoring ASCII case, as the outline's filter reads it.
bool ContainsNoCase(std::string_view name, std::string_view lowerNeedle) {
    return std::search(name.begin(), name.end(), lowerNeedle.begin(), lowerNeedle.end(),
                       [](char a, char b) { return LowerAscii(a) == b; }) != name.end();
}

} // namespace

// ---- OutlineModel

OutlineModel::OutlineModel(QObject* parent) : QAbstractTableModel(parent) {
    // Changes arrive in bursts (a slice merged, an edit of many lines): the filter runs once
    // after each burst.
    refilter_.setSingleShot(true);
    refilter_.setInterval(0);
    connect(&refilter_, &QTimer::timeout, this, &OutlineModel::Refilter);
}

OutlineModel::~OutlineModel() {
    if (outline_)
        outline_->SetListener(nullptr);
}

void OutlineModel::SetOutline(z80::Outline* outline) {
    beginResetModel();
    if (outline_)
        outline_->SetListener(nullptr);
    outline_ = outline;
    if (outline_)
        outline_->SetListener(this);
    rows_ = outline_ ? outline_->Count() : 0;
    matches_.clear();
    if (outline_ && !filter_.isEmpty())
        matches_ = outline_->Filter(needle_);
    refilter_.stop();
    endResetModel();
}

void OutlineModel::SetFilter(const QString& text) {
    if (text == filter_)
        return;
    filter_ = text;
    needle_ = text.toLatin1().toStdString();
    std::transform(needle_.begin(), needle_.end(), needle_.begin(), LowerAscii);
    Refilter();
}

void OutlineModel::Refilter() {
    beginResetModel();
    matches_.clear();
    rows_ = outline_ ? outline_->Count() : 0;
    if (outline_ && !filter_.isEmpty())
        matches_ = outline_->Filter(needle_);
    endResetModel();
}

int OutlineModel::EntryOf(int row) const {
    if (!outline_ || row < 0)
        return -1;
    int entry = row;
    if (!filter_.isEmpty()) {
        if (static_cast<size_t>(row) >= matches_.size())
            return -1;
        entry = matches_[static_cast<size_t>(row)];
    }
    // Between a change and the filter's next run the matches may point past the end.
    return entry < outline_->Count() ? entry : -1;
}

int OutlineModel::RowAtOrBefore(int entry) const {
    if (entry < 0)
        return -1;
    if (filter_.isEmpty())
        return std::min(entry, rows_ - 1);
    const auto it = std::upper_bound(matches_.begin(), matches_.end(), entry);
    return static_cast<int>(it - matches_.begin()) - 1;
}

int OutlineModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return filter_.isEmpty() ? rows_ : static_cast<int>(matches_.size());
}

int OutlineModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const {
    const int entry = EntryOf(index.row());
    if (entry < 0)
        return {};
    if (role == Qt::TextAlignmentRole && index.column() == LineColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const z80::OutlineEntry item = outline_->At(entry);
    switch (index.column()) {
    case NameColumn:
        return QString::fromLatin1(item.name.data(), static_cast<qsizetype>(item.name.size()));
    case KindColumn:
        return KindName(item.kind);
    case LineColumn:
        return item.line + 1;
    default:
        return {};
    }
}

QVariant OutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case KindColumn:
        return QStringLiteral("Kind");
    case LineColumn:
        return QStringLiteral("Line");
    default:
        return {};
    }
}

void OutlineModel::OnOutlineChanged(const z80::Outline& outline, const z80::OutlineChange& change) {
    if (&outline != outline_)
        return;
    if (!filter_.isEmpty()) {
        if (change.reset || change.first < 0 || change.first + change.removed > rows_)
            refilter_.start();
        else if (!refilter_.isActive())
            FilteredChange(outline, change);
        return;
    }
    if (change.reset) {
        beginResetModel();
        rows_ = outline.Count();
        endResetModel();
        return;
    }
    const int first = change.first;
    if (first < 0 || first + change.removed > rows_) {
        Refilter();
        return;
    }
    if (change.removed > 0 && change.removed == change.inserted) {
        // A renamed label, or lines rescanned to the same kinds of names: the rows stay, so
        // does the selection.
        emit dataChanged(index(first, 0), index(first + change.removed - 1, ColumnCount - 1));
    } else {
        if (change.removed > 0) {
            beginRemoveRows({}, first, first + change.removed - 1);
            rows_ -= change.removed;
            endRemoveRows();
        }
        if (change.inserted > 0) {
            beginInsertRows({}, first, first + change.inserted - 1);
            rows_ += change.inserted;
            endInsertRows();
        }
    }
    const int moved = first + change.inserted;
    if (change.linesMoved && moved < rows_)
        emit dataChanged(index(moved, LineColumn), index(rows_ - 1, LineColumn));
    if (rows_ != outline.Count())
        Refilter(); // never expected; the rows start afresh rather than show wrong entries
}

void OutlineModel::FilteredChange(const z80::Outline& outline, const z80::OutlineChange& change) {
    // The matches among the entries replaced give way to the matches among the new ones; the
    // matches after them move by the difference. The rows around keep their selection and the
    // list its scroll position.
    const int first = change.first;
    const int shift = change.inserted - change.removed;
    const auto lo = std::lower_bound(matches_.begin(), matches_.end(), first);
    const auto hi = std::lower_bound(lo, matches_.end(), first + change.removed);
    const int row = static_cast<int>(lo - matches_.begin());
    const int gone = static_cast<int>(hi - lo);
    std::vector<int> added;
    for (int entry = first; entry < first + change.inserted; ++entry)
        if (ContainsNoCase(outline.At(entry).name, needle_))
            added.push_back(entry);
    const int count = static_cast<int>(added.size());
    rows_ += shift;
    if (gone == count) {
        std::copy(added.begin(), added.end(), matches_.begin() + row);
        if (count > 0)
            emit dataChanged(index(row, 0), index(row + count - 1, ColumnCount - 1));
    } else {
        if (gone > 0) {
            beginRemoveRows({}, row, row + gone - 1);
            matches_.erase(matches_.begin() + row, matches_.begin() + row + gone);
            endRemoveRows();
        }
        if (count > 0) {
            beginInsertRows({}, row, row + count - 1);
            matches_.insert(matches_.begin() + row, added.begin(), added.end());
            endInsertRows();
        }
    }
    const int after = row + count;
    const int total = static_cast<int>(matches_.size());
    if (shift != 0)
        for (int i = after; i < total; ++i)
            matches_[static_cast<size_t>(i)] += shift;
    if ((shift != 0 || change.linesMoved) && after < total)
        emit dataChanged(index(after, 0), index(total - 1, ColumnCount - 1));
}

// ---- OutlineDock

OutlineDock::OutlineDock(QWidget* parent)
    : QDockWidget(ToQString(ToolTip(ID_Z80_OUTLINE)), parent), filterField_(new QLineEdit),
      progress_(new QProgressBar), list_(new QTableView) {
    setObjectName(QStringLiteral("outlineDock"));
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    filterField_->setPlaceholderText(QStringLiteral("Filter"));
    filterField_->setClearButtonEnabled(true);
    progress_->setRange(0, kProgressRange);
    progress_->setFormat(QStringLiteral("Reading labels: %p%"));
    progress_->hide();
    // A table rather than a tree: it keeps no layout per row, so a change of many rows (every
    // line number below a new line) costs a repaint, not a walk over the rows.
    list_->setModel(&model_);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setTabKeyNavigation(false);
    QHeaderView* rows = list_->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    // Fixed widths: sizing a column to its contents would read every row.
    QHeaderView* header = list_->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(OutlineModel::NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(OutlineModel::KindColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(OutlineModel::LineColumn, QHeaderView::Fixed);
    const QFontMetrics metrics(list_->font());
    header->resizeSection(OutlineModel::KindColumn,
                          metrics.horizontalAdvance(QStringLiteral("macro")) + 16);
    header->resizeSection(OutlineModel::LineColumn,
                          metrics.horizontalAdvance(QStringLiteral("99999999")) + 16);
    layout->addWidget(filterField_);
    layout->addWidget(progress_);
    layout->addWidget(list_, 1);
    setWidget(box);

    connect(filterField_, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_.SetFilter(text); });
    connect(list_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { Choose(index, false); });
    connect(list_, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { Choose(index, true); });
    filterField_->installEventFilter(this);
    list_->installEventFilter(this);
    progressTimer_.setInterval(kProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, &OutlineDock::UpdateProgress);
    // A hidden dock does not follow the outline; it catches up when shown.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool) { Follow(); });
}

void OutlineDock::SetDocument(Z80Document* doc) {
    if (doc != doc_) {
        if (doc_)
            disconnect(doc_, &Z80Document::Closing, this, nullptr);
        doc_ = doc;
        if (doc)
            connect(doc, &Z80Document::Closing, this, [this] {
                SetDocument(nullptr);
                emit DocumentClosed();
            });
    }
    Follow();
}

void OutlineDock::Follow() {
    z80::Outline* wanted = doc_ && isVisible() ? &doc_->Outline() : nullptr;
    if (wanted != model_.Outline())
        model_.SetOutline(wanted);
    UpdateProgress();
}

void OutlineDock::FocusFilter() {
    filterField_->setFocus(Qt::ShortcutFocusReason);
    filterField_->selectAll();
}

void OutlineDock::UpdateProgress() {
    const z80::Outline* outline = model_.Outline();
    const bool scanning = outline && !outline->IsComplete();
    if (!scanning) {
        progressTimer_.stop();
        progress_->hide();
        return;
    }
    const int64_t lines = doc_ ? std::max(doc_->Outline().ScannedLines(), 0) : 0;
    const int64_t total = doc_ ? std::max<int64_t>(doc_->Buffer().LineCount(), 1) : 1;
    progress_->setValue(static_cast<int>(lines * kProgressRange / total));
    progress_->show();
    if (!progressTimer_.isActive())
        progressTimer_.start();
}

void OutlineDock::FollowCaret(int line) {
    const z80::Outline* outline = model_.Outline();
    if (!outline || list_->hasFocus())
        return;
    const int row = model_.RowAtOrBefore(outline->IndexAtOrBefore(line));
    if (row == list_->currentIndex().row())
        return;
    if (row < 0) {
        list_->setCurrentIndex({});
        return;
    }
    const QModelIndex index = model_.index(row, 0);
    list_->setCurrentIndex(index);
    list_->scrollTo(index);
}

void OutlineDock::Choose(const QModelIndex& index, bool focusEditor) {
    const int entry = model_.EntryOf(index.row());
    if (entry < 0 || !model_.Outline())
        return;
    emit JumpRequested(model_.Outline()->At(entry).line, focusEditor);
}

bool OutlineDock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDockWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        emit EditorFocusRequested();
        return true;
    }
    if (watched != filterField_)
        return QDockWidget::eventFilter(watched, event);
    if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
        QModelIndex current = list_->currentIndex();
        if (!current.isValid() && model_.rowCount() > 0)
            current = model_.index(0, 0);
        if (!current.isValid())
            return true;
        list_->setCurrentIndex(current);
        if (key == Qt::Key_Down)
            list_->setFocus(Qt::TabFocusReason);
        else
            Choose(current, true);
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

} // namespace app
