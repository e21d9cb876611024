#include "app/outputdock.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qtresources.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "z80/z80messages.h"

namespace app {
namespace {

// The output text: a double click or Enter on a link line chooses it instead of selecting a word
// or doing nothing.
class OutputText final : public QPlainTextEdit {
public:
    OutputText(OutputDock& dock, QWidget* parent) : QPlainTextEdit(parent), dock_(dock) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (Choose(cursorForPosition(event->position().toPoint()).blockNumber()))
            return;
        QPlainTextEdit::mouseDoubleClickEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            Choose(textCursor().blockNumber()))
            return;
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            emit dock_.EditorFocusRequested();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

private:
    bool Choose(int block) {
        const std::optional<OutputLink> link = dock_.ChooseBlock(block);
        if (link)
            emit dock_.LinkActivated(*link);
        return link.has_value();
    }

    OutputDock& dock_;
};

} // namespace

OutputDock::OutputDock(QWidget* parent)
    : QDockWidget(ToQString(ToolTip(ID_Z80_OUTPUT)), parent), state_(new QLabel),
      stop_(new QPushButton(ToQString(ToolTip(ID_Z80_STOP_ASSEMBLER)))),
      text_(new OutputText(*this, nullptr)) {
    setObjectName(QStringLiteral("outputDock"));
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* top = new QHBoxLayout;
    top->addWidget(state_, 1);
    top->addWidget(stop_);
    layout->addLayout(top);
    layout->addWidget(text_, 1);
    setWidget(box);
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    stop_->setEnabled(false);
    connect(stop_, &QPushButton::clicked, this, &OutputDock::StopRequested);
}

void OutputDock::Begin(const QString& header, const QString& folder) {
    text_->clear();
    links_.clear();
    awaitingReason_ = false;
    current_ = -1;
    empty_ = true;
    folder_ = folder;
    Highlight();
    AppendNote(header);
}

void OutputDock::AppendLine(const QString& line) {
    const QByteArray bytes = line.toLocal8Bit();
    const std::optional<z80::SourceReference> ref =
        z80::FindSourceReference(std::string_view(bytes.constData(), bytes.size()));
    const int block = empty_ ? 0 : text_->document()->blockCount();
    if (ref) {
        const QString file =
            QString::fromLocal8Bit(ref->file.data(), static_cast<qsizetype>(ref->file.size()));
        OutputLink link;
        link.block = block;
        link.file = QDir::cleanPath(QDir(folder_).absoluteFilePath(file));
        link.line = ref->line - 1;
        link.message = line.trimmed();
        awaitingReason_ = link.message.endsWith(file);
        links_.push_back(link);
    } else if (awaitingReason_ && links_.back().block + 1 == block) {
        links_.back().message = line.trimmed();
        awaitingReason_ = false;
    }
    AppendBlock(line, ref.has_value(), false);
}

void OutputDock::AppendNote(const QString& text) {
    AppendBlock(text, false, true);
}

void OutputDock::AppendBlock(const QString& text, bool link, bool note) {
    QScrollBar* bar = text_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(text_->document());
    cursor.movePosition(QTextCursor::End);
    if (!empty_)
        cursor.insertBlock();
    QTextCharFormat format;
    if (link) {
        format.setForeground(palette().link());
        format.setFontUnderline(true);
    } else if (note) {
        format.setForeground(palette().placeholderText());
    }
    cursor.insertText(text, format);
    empty_ = false;
    // Follow the output unless the user scrolled up to read.
    if (atEnd)
        bar->setValue(bar->maximum());
}

void OutputDock::SetRunning(bool running, const QString& state) {
    stop_->setEnabled(running);
    state_->setText(state);
}

QString OutputDock::StateText() const {
    return state_->text();
}

std::optional<OutputLink> OutputDock::StepLink(int step) {
    if (links_.empty())
        return std::nullopt;
    const int count = static_cast<int>(links_.size());
    if (current_ < 0)
        current_ = step > 0 ? 0 : count - 1;
    else
        current_ = ((current_ + step) % count + count) % count;
    Highlight();
    return links_[static_cast<size_t>(current_)];
}

std::optional<OutputLink> OutputDock::ChooseBlock(int block) {
    const auto it = std::find_if(links_.begin(), links_.end(),
                                 [block](const OutputLink& link) { return link.block == block; });
    if (it == links_.end())
        return std::nullopt;
    current_ = static_cast<int>(it - links_.begin());
    Highlight();
    return *it;
}

void OutputDock::Highlight() {
    QList<QTextEdit::ExtraSelection> marks;
    if (current_ >= 0 && static_cast<size_t>(current_) < links_.size()) {
        const QTextBlock block =
            text_->document()->findBlockByNumber(links_[static_cast<size_t>(current_)].block);
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(palette().highlight());
        mark.format.setForeground(palette().highlightedText());
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.push_back(mark);
        // The text cursor goes there too, so the line scrolls into view and Enter chooses it.
        text_->setTextCursor(QTextCursor(block));
        text_->ensureCursorVisible();
    }
    text_->setExtraSelections(marks);
}

} // namespace app
