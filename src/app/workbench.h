// Z80Workbench: the main frame's Z80 tools. It serves the commands of the "&Z80" menu and keys
// (assemble, stop, next and previous message, go to definition, back and forward, go to line,
// the outline and output panes, the assembler's settings) and the status pane with the bytes
// and T-states of the caret's line or of the selection, as a stop on the frame's command route.
// It owns the outline and output docks and the assembler run, and the main window's back and
// forward lists of places (marks in their documents, so they move with edits).
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/assembler.h"
#include "app/commandroute.h"
#include "buffer/types.h"
#include "view/cmdui.h"
#include "z80/z80tally.h"

namespace app {

class CEditorApp;
class CMainFrame;
class CSampleDoc;
class CSampleView;
class OutlineDock;
class OutputDock;
struct OutputLink;
class Z80Document;

class Z80Workbench final : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // At most this many places are kept for Go Back.
    static constexpr size_t kMaxPlaces = 64;

    // Adds the docks to `frame` (hidden until first asked for, unless the saved layout shows
    // them).
    Z80Workbench(CMainFrame& frame, CEditorApp& app);
    ~Z80Workbench() override;

    bool RouteCommand(uint32_t id) override;
    bool RouteCommandUI(CmdUI& ui) override;

    OutlineDock& Outline() const { return *outline_; }
    OutputDock& Output() const { return *output_; }
    AssemblerRun& Assembler() { return run_; }

    // ---- The commands.
    // Saves the active document when it is modified or new, then runs the assembler on it.
    void Assemble();
    void StopAssembler();
    // Opens the file of the next (1) or previous (-1) message at its line.
    void StepMessage(int step);
    // Opens `link`'s file (or the window that has it open) with the caret at the start of its
    // line: the line the message named, moved by the edits made since the run (or since the
    // file was opened, when the run read it from the disk).
    void OpenLink(const OutputLink& link);
    void GoToDefinition();
    void GoBack();
    void GoForward();
    void GoToLine();
    void ToggleOutline();
    void ToggleOutput();
    void AssemblerSettings();

    // The figures pane's text for `view`: its caret's line, or the sums over its selection.
    std::string FiguresText(CSampleView& view);

    // Shows `doc` in its window (the active one when it shows `doc`) with the caret at
    // `position`, clamped to the text, and the `length` characters there selected; a line out
    // of sight is scrolled to the middle of the pane. `remember` keeps the place the caret
    // leaves for Go Back; `focus` gives the pane the focus. The pane, or null.
    CSampleView* JumpTo(CSampleDoc& doc, TextPosition position, int length, bool remember,
                        bool focus = true);

    size_t BackCount() const { return back_.size(); }
    size_t ForwardCount() const { return forward_.size(); }

private:
    struct Place {
        QPointer<Z80Document> doc;
        int mark = 0;
    };

    CSampleView* ActiveView() const;
    void ActiveChanged();
    void RunFinished(AssemblerRun::Outcome outcome, int exitCode, const QString& reason);
    // A status bar message for a few seconds.
    void ShowStatus(const std::string& text);
    // The open document of `path`, or null.
    CSampleDoc* OpenDocumentOf(const QString& path);
    // The open document of `path`, opened when it is not.
    CSampleDoc* DocumentFor(const QString& path);
    // One line of the assembler's output into the pane; a message naming an open file gets a
    // mark on its line, so it follows the edits.
    void AddOutputLine(const QString& line);
    // Marks the line of every message naming `doc`'s file that has no live mark yet.
    void MarkMessages(CSampleDoc& doc);
    void ForgetMessageMarks();
    // The active pane's caret as a place, or none.
    std::optional<Place> Here();
    void Remember();
    // Goes to the last live place of `from`, keeping where the caret was on `to`.
    void Return(std::vector<Place>& from, std::vector<Place>& to);
    static void Forget(std::vector<Place>& places, size_t count);

    CMainFrame& frame_;
    CEditorApp& app_;
    OutlineDock* outline_;
    OutputDock* output_;
    AssemblerRun run_;
    QString runFile_;
    std::vector<Place> back_;
    std::vector<Place> forward_;
    // The marks of the messages' lines, by the output line of the message.
    std::map<int, Place> messagePlaces_;
    // The figures of the selection of the last view asked, with the document they belong to.
    z80::SelectionTally tally_;
    QPointer<Z80Document> tallyDoc_;
};

} // namespace app
