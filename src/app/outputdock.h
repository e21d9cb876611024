// The output pane: a dock at the bottom showing what the assembler writes, as it arrives. Lines
// that name a source file and a line (z80::FindSourceReference) are links, shown as such: a
// double click or Enter on one, or stepping to it with Next/Previous Message, asks to open that
// file at that line. The link being visited is highlighted. Escape gives the focus back to the
// text.
#pragma once

#include <QDockWidget>
#include <QString>
#include <optional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace app {

struct OutputLink {
    int block = 0;   // the output line that holds it
    QString file;    // absolute
    int line = 0;    // 0-based
    QString message; // what the message says: its line, or the next one when it names only
                     // the place (as "ERROR on line 3 of file x.asm" with the reason below)
};

class OutputDock final : public QDockWidget {
    Q_OBJECT
public:
    explicit OutputDock(QWidget* parent = nullptr);

    // Empties the pane for a run in `folder` (against which the messages' relative file names
    // are read) and shows `header`.
    void Begin(const QString& header, const QString& folder);
    // Adds one line of output; a line naming a file and a line becomes a link.
    void AppendLine(const QString& line);
    // Adds a line of the editor's own (how the run began or ended), set apart from the output.
    void AppendNote(const QString& text);
    // The state line above the output and whether Stop can be pressed.
    void SetRunning(bool running, const QString& state);

    const std::vector<OutputLink>& Links() const { return links_; }
    // Steps `step` links from the current one (wrapping around; from none, the first or the
    // last) and makes it current; none when the output holds no link.
    std::optional<OutputLink> StepLink(int step);
    // The link on output line `block`, made current; none when that line is no link.
    std::optional<OutputLink> ChooseBlock(int block);
    int CurrentLink() const { return current_; }
    QPlainTextEdit& Text() const { return *text_; }
    QPushButton& StopButton() const { return *stop_; }
    QString StateText() const;

signals:
    // A link was chosen in the pane itself (double click, Enter).
    void LinkActivated(const app::OutputLink& link);
    void StopRequested();
    // Escape in the pane: the focus goes back to the text.
    void EditorFocusRequested();

private:
    void Highlight();
    void AppendBlock(const QString& text, bool link, bool note);

    QLabel* state_;
    QPushButton* stop_;
    QPlainTextEdit* text_;
    QString folder_;
    std::vector<OutputLink> links_;
    // The last link names only its place: the output line after it says what is wrong.
    bool awaitingReason_ = false;
    int current_ = -1;
    bool empty_ = true;
};

} // namespace app
