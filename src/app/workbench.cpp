#include "app/workbench.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStatusBar>
#include <algorithm>
#include <cctype>

#include "app/childframe.h"
#include "app/editorapp.h"
#include "app/mainframe.h"
#include "app/outlinedock.h"
#include "app/outputdock.h"
#include "app/qtresources.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "app/sampledoc.h"
#include "app/sampleview.h"
#include "app/z80dialogs.h"
#include "app/z80document.h"
#include "platform/profile.h"
#include "z80/z80lexer.h"
#include "z80/z80symbols.h"

namespace app {
namespace {

constexpr int kStatusMessageMs = 5000;

std::string Text(int32_t id) {
    return std::string(FindString(id).value_or(""));
}

// Where `name` stands in `line` as a whole name, ignoring ASCII case; -1 when it does not.
int NameColumn(std::string_view line, std::string_view name) {
    if (name.empty() || name.size() > line.size())
        return -1;
    for (size_t i = 0; i + name.size() <= line.size(); ++i) {
        size_t k = 0;
        while (k < name.size() && std::tolower(static_cast<unsigned char>(line[i + k])) ==
                                      std::tolower(static_cast<unsigned char>(name[k])))
            ++k;
        if (k < name.size())
            continue;
        const bool before = i > 0 && z80::IsSymbolChar(line[i - 1]);
        const bool after = i + k < line.size() && z80::IsSymbolChar(line[i + k]);
        if (!before && !after)
            return static_cast<int>(i);
    }
    return -1;
}

// The command line as a user would type it again: words with blanks or quotes quoted.
QString DisplayCommand(const AssemblerCommand& command) {
    QStringList words{command.program};
    words += command.arguments;
    for (QString& word : words) {
        if (word.isEmpty() || word.contains(QRegularExpression(QStringLiteral("[\\s'\"\\\\]"))))
            word = u'\'' + QString(word).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    }
    return words.join(u' ');
}

} // namespace

Z80Workbench::Z80Workbench(CMainFrame& frame, CEditorApp& app)
    : QObject(&frame), frame_(frame), app_(app), outline_(new OutlineDock(&frame)),
      output_(new OutputDock(&frame)) {
    frame.addDockWidget(Qt::RightDockWidgetArea, outline_);
    frame.addDockWidget(Qt::BottomDockWidgetArea, output_);
    outline_->hide();
    output_->hide();
    connect(&frame.MdiArea(), &QMdiArea::subWindowActivated, this, &Z80Workbench::ActiveChanged);
    connect(outline_, &OutlineDock::JumpRequested, this, [this](int line, bool focusEditor) {
        Z80Document* doc = outline_->Document();
        if (!doc)
            return;
        const z80::Outline& outline = doc->Outline();
        const int index = outline.IndexAtOrBefore(line);
        const std::string_view text = doc->Buffer().LineText(line);
        int column = -1;
        int length = 0;
        if (index >= 0 && outline.At(index).line == line) {
            column = NameColumn(text, outline.At(index).name);
            length = column >= 0 ? static_cast<int>(outline.At(index).name.size()) : 0;
        }
        JumpTo(doc->Document(), {std::max(column, 0), line}, length, true, focusEditor);
    });
    // Once the closed document's window is gone, the one that is active then is shown.
    connect(outline_, &OutlineDock::DocumentClosed, this, &Z80Workbench::ActiveChanged,
            Qt::QueuedConnection);
    const auto focusText = [this] {
        if (CSampleView* view = ActiveView())
            view->SetFocus();
    };
    connect(outline_, &OutlineDock::EditorFocusRequested, this, focusText);
    connect(output_, &OutputDock::EditorFocusRequested, this, focusText);
    connect(output_, &OutputDock::LinkActivated, this, &Z80Workbench::OpenLink);
    connect(output_, &OutputDock::StopRequested, this, &Z80Workbench::StopAssembler);
    connect(&run_, &AssemblerRun::OutputLine, this, &Z80Workbench::AddOutputLine);
    connect(&run_, &AssemblerRun::Finished, this, &Z80Workbench::RunFinished);
}

Z80Workbench::~Z80Workbench() {
    ForgetMessageMarks();
    Forget(back_, back_.size());
    Forget(forward_, forward_.size());
}

// ---- Routing

bool Z80Workbench::RouteCommand(uint32_t id) {
    switch (id) {
    case ID_Z80_ASSEMBLE:
        Assemble();
        return true;
    case ID_Z80_STOP_ASSEMBLER:
        StopAssembler();
        return true;
    case ID_Z80_NEXT_MESSAGE:
        StepMessage(1);
        return true;
    case ID_Z80_PREVIOUS_MESSAGE:
        StepMessage(-1);
        return true;
    case ID_Z80_GOTO_DEFINITION:
        GoToDefinition();
        return true;
    case ID_Z80_GO_BACK:
        GoBack();
        return true;
    case ID_Z80_GO_FORWARD:
        GoForward();
        return true;
    case ID_Z80_GOTO_LINE:
        GoToLine();
        return true;
    case ID_Z80_OUTLINE:
        ToggleOutline();
        return true;
    case ID_Z80_OUTPUT:
        ToggleOutput();
        return true;
    case ID_Z80_ASSEMBLER_SETTINGS:
        AssemblerSettings();
        return true;
    default:
        return false;
    }
}

bool Z80Workbench::RouteCommandUI(CmdUI& ui) {
    // Every update of the frame's own items passes here first: only the workbench's ids look
    // for the active pane.
    if ((ui.id < ID_Z80_ASSEMBLE || ui.id > ID_Z80_ASSEMBLER_SETTINGS) &&
        ui.id != ID_Z80_INDICATOR_FIGURES)
        return false;
    const bool haveView = ActiveView() != nullptr;
    switch (ui.id) {
    case ID_Z80_ASSEMBLE:
        ui.Enable(haveView && !run_.IsRunning());
        return true;
    case ID_Z80_STOP_ASSEMBLER:
        ui.Enable(run_.IsRunning());
        return true;
    case ID_Z80_NEXT_MESSAGE:
    case ID_Z80_PREVIOUS_MESSAGE:
        ui.Enable(!output_->Links().empty());
        return true;
    case ID_Z80_GOTO_DEFINITION:
    case ID_Z80_GOTO_LINE:
        ui.Enable(haveView);
        return true;
    case ID_Z80_GO_BACK:
        ui.Enable(!back_.empty());
        return true;
    case ID_Z80_GO_FORWARD:
        ui.Enable(!forward_.empty());
        return true;
    case ID_Z80_OUTLINE:
        ui.Enable(true);
        ui.SetCheck(outline_->isVisible());
        return true;
    case ID_Z80_OUTPUT:
        ui.Enable(true);
        ui.SetCheck(output_->isVisible());
        return true;
    case ID_Z80_ASSEMBLER_SETTINGS:
        ui.Enable(true);
        return true;
    case ID_Z80_INDICATOR_FIGURES: {
        CSampleView* view = ActiveView();
        const std::string text = view ? FiguresText(*view) : std::string();
        // The outline shows where the caret stands, as the pane does, on each idle update.
        if (view && outline_->isVisible() && outline_->Document() == &view->GetDocument().Z80())
            outline_->FollowCaret(view->GetCaretPos().y);
        ui.Enable(!text.empty());
        ui.SetText(text);
        return true;
    }
    default:
        return false;
    }
}

CSampleView* Z80Workbench::ActiveView() const {
    CChildFrame* child = frame_.ActiveChild();
    return child ? child->ActiveView() : nullptr;
}

void Z80Workbench::ActiveChanged() {
    CChildFrame* child = frame_.ActiveChild();
    outline_->SetDocument(child ? &child->Document().Z80() : nullptr);
}

void Z80Workbench::ShowStatus(const std::string& text) {
    frame_.statusBar()->showMessage(ToQString(text), kStatusMessageMs);
}

// ---- Bytes and T-states

std::string Z80Workbench::FiguresText(CSampleView& view) {
    Z80Document& doc = view.GetDocument().Z80();
    if (tallyDoc_ != &doc) {
        tally_.Clear();
        tallyDoc_ = &doc;
    }
    TextPosition start = view.GetCaretPos();
    TextPosition end = start;
    if (view.HasSelection())
        view.GetSelectedRange(start, end);
    return z80::FiguresPaneText(doc.Buffer(), doc.Outline(), tally_, start, end);
}

// ---- Assembling

void Z80Workbench::Assemble() {
    CChildFrame* child = frame_.ActiveChild();
    if (!child)
        return;
    if (run_.IsRunning()) {
        app_.Ui().MessageBox(Text(IDS_ASSEMBLER_RUNNING), MessageButtons::Ok,
                             MessageIcon::Information);
        return;
    }
    CSampleDoc& doc = child->Document();
    if ((doc.IsModified() || doc.PathName().empty()) && !doc.DoFileSave())
        return;
    const QFileInfo file(QString::fromStdString(doc.PathName()));
    const QString folder = file.absolutePath();
    const std::optional<AssemblerCommand> command =
        ExpandAssemblerCommand(AssemblerCommandLine(app_.Profile()), file.fileName());
    if (!command) {
        app_.Ui().MessageBox(Text(IDS_ASSEMBLER_EMPTY), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    const std::string missing = MissingAssemblerMessage(command->program, folder);
    if (!missing.empty()) {
        app_.Ui().MessageBox(missing, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    runFile_ = file.fileName();
    ForgetMessageMarks();
    output_->show();
    output_->raise();
    output_->Begin(
        ToQString(FillIn(Text(IDS_ASSEMBLER_STARTED),
                         {DisplayCommand(*command).toStdString(), folder.toStdString()})),
        folder);
    output_->SetRunning(true, ToQString(ToolTip(ID_Z80_ASSEMBLE)) + u' ' + runFile_ +
                                  QStringLiteral("..."));
    run_.Start(*command, folder);
}

void Z80Workbench::StopAssembler() {
    run_.Stop();
}

void Z80Workbench::RunFinished(AssemblerRun::Outcome outcome, int exitCode, const QString& reason) {
    std::string text;
    switch (outcome) {
    case AssemblerRun::Outcome::Succeeded:
        text = Text(IDS_ASSEMBLER_SUCCEEDED);
        break;
    case AssemblerRun::Outcome::Failed:
        text = FillIn(Text(IDS_ASSEMBLER_FAILED), {std::to_string(exitCode)});
        break;
    case AssemblerRun::Outcome::Crashed:
        text = Text(IDS_ASSEMBLER_CRASHED);
        break;
    case AssemblerRun::Outcome::Stopped:
        text = Text(IDS_ASSEMBLER_STOPPED);
        break;
    case AssemblerRun::Outcome::NotStarted:
        text = FillIn(Text(IDS_ASSEMBLER_START_FAILED), {reason.toStdString()});
        break;
    }
    // Messages that name a line count whatever the outcome (warnings of a good run too).
    const size_t links = output_->Links().size();
    if (links > 0 && outcome != AssemblerRun::Outcome::NotStarted)
        text += ' ' + (links == 1 ? Text(IDS_ASSEMBLER_ONE_MESSAGE)
                                  : FillIn(Text(IDS_ASSEMBLER_MESSAGES), {std::to_string(links)}));
    output_->AppendNote(ToQString(text));
    output_->SetRunning(false, runFile_ + QStringLiteral(": ") + ToQString(text));
    ShowStatus(text);
    frame_.UpdateCommandUI();
    if (outcome == AssemblerRun::Outcome::NotStarted)
        app_.Ui().MessageBox(text, MessageButtons::Ok, MessageIcon::Error);
}

void Z80Workbench::StepMessage(int step) {
    const std::optional<OutputLink> link = output_->StepLink(step);
    if (!link) {
        ShowStatus(Text(IDS_NO_MESSAGES));
        return;
    }
    OpenLink(*link);
    // The message stays readable with the output pane hidden.
    ShowStatus(link->message.toStdString());
}

CSampleDoc* Z80Workbench::OpenDocumentOf(const QString& path) {
    const std::string canonical = QFileInfo(path).canonicalFilePath().toStdString();
    if (canonical.empty())
        return nullptr;
    if (CChildFrame* child = frame_.ActiveChild()) {
        if (child->Document().PathName() == canonical)
            return &child->Document();
    }
    for (CSampleDoc* doc : app_.Documents())
        if (doc->PathName() == canonical)
            return doc;
    return nullptr;
}

CSampleDoc* Z80Workbench::DocumentFor(const QString& path) {
    if (CSampleDoc* doc = OpenDocumentOf(path))
        return doc;
    // Not open: open it (a file that cannot be read is reported by the document).
    return app_.OpenDocumentFile(path.toStdString());
}

void Z80Workbench::AddOutputLine(const QString& line) {
    const size_t before = output_->Links().size();
    output_->AppendLine(line);
    if (output_->Links().size() == before)
        return;
    // The assembler has just read the saved text, so the line is that of the open document.
    const OutputLink& link = output_->Links().back();
    if (CSampleDoc* doc = OpenDocumentOf(link.file))
        messagePlaces_[link.block] = {&doc->Z80(), doc->Z80().AddMark({0, link.line})};
}

void Z80Workbench::MarkMessages(CSampleDoc& doc) {
    const std::string path = doc.PathName();
    for (const OutputLink& link : output_->Links()) {
        Place& place = messagePlaces_[link.block];
        if (place.doc || (link.file.toStdString() != path &&
                          QFileInfo(link.file).canonicalFilePath().toStdString() != path))
            continue;
        place.doc = &doc.Z80();
        place.mark = place.doc->AddMark({0, link.line});
    }
}

void Z80Workbench::ForgetMessageMarks() {
    for (auto& [block, place] : messagePlaces_)
        if (place.doc)
            place.doc->RemoveMark(place.mark);
    messagePlaces_.clear();
}

void Z80Workbench::OpenLink(const OutputLink& link) {
    CSampleDoc* doc = DocumentFor(link.file);
    if (!doc)
        return;
    // A file opened just now (or again) holds the text the assembler read.
    MarkMessages(*doc);
    int line = link.line;
    const auto it = messagePlaces_.find(link.block);
    if (it != messagePlaces_.end() && it->second.doc == &doc->Z80()) {
        if (const std::optional<TextPosition> position = it->second.doc->Mark(it->second.mark))
            line = position->y;
    }
    JumpTo(*doc, {0, line}, 0, false);
}

// ---- Navigation

CSampleView* Z80Workbench::JumpTo(CSampleDoc& doc, TextPosition position, int length, bool remember,
                                  bool focus) {
    CChildFrame* child = frame_.ActiveChild();
    if (!child || &child->Document() != &doc) {
        const std::vector<CChildFrame*> frames = app_.FramesOf(doc);
        if (frames.empty())
            return nullptr;
        child = frames.front();
    }
    CSampleView* view = child->ActiveView();
    if (!view)
        return nullptr;
    if (remember)
        Remember();
    if (frame_.ActiveChild() != child)
        frame_.MdiArea().setActiveSubWindow(child);
    const CTextBuffer& buffer = doc.Buffer();
    position.y = std::clamp(position.y, 0, std::max(buffer.LineCount() - 1, 0));
    const int lineLength = static_cast<int>(buffer.LineText(position.y).size());
    position.x = std::clamp(position.x, 0, lineLength);
    length = std::clamp(length, 0, lineLength - position.x);
    const int rows = std::max(view->GetVisibleRowCount(), 1);
    const int top = view->GetTopLine();
    if (position.y < top || position.y >= top + rows) {
        view->ScrollToTopLine(std::max(position.y - rows / 2, 0), true);
        view->SyncSiblingScroll(true);
    }
    if (length > 0)
        view->SelectFoundText(position, length);
    else
        view->CollapseCaretTo(position);
    if (focus)
        view->SetFocus();
    frame_.UpdateCommandUI();
    return view;
}

std::optional<Z80Workbench::Place> Z80Workbench::Here() {
    CSampleView* view = ActiveView();
    if (!view)
        return std::nullopt;
    Z80Document& doc = view->GetDocument().Z80();
    return Place{&doc, doc.AddMark(view->GetCaretPos())};
}

void Z80Workbench::Forget(std::vector<Place>& places, size_t count) {
    count = std::min(count, places.size());
    for (size_t i = 0; i < count; ++i)
        if (places[i].doc)
            places[i].doc->RemoveMark(places[i].mark);
    places.erase(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(count));
}

void Z80Workbench::Remember() {
    std::optional<Place> here = Here();
    if (!here)
        return;
    // The same place twice in a row would make Go Back stand still once.
    if (!back_.empty() && back_.back().doc == here->doc &&
        here->doc->Mark(back_.back().mark) == here->doc->Mark(here->mark)) {
        here->doc->RemoveMark(here->mark);
    } else {
        back_.push_back(*here);
        if (back_.size() > kMaxPlaces)
            Forget(back_, back_.size() - kMaxPlaces);
    }
    Forget(forward_, forward_.size());
}

void Z80Workbench::Return(std::vector<Place>& from, std::vector<Place>& to) {
    while (!from.empty()) {
        const Place place = from.back();
        from.pop_back();
        if (!place.doc)
            continue; // its document was closed
        const std::optional<TextPosition> position = place.doc->Mark(place.mark);
        place.doc->RemoveMark(place.mark);
        if (!position)
            continue;
        if (std::optional<Place> here = Here()) {
            to.push_back(*here);
            if (to.size() > kMaxPlaces)
                Forget(to, to.size() - kMaxPlaces);
        }
        JumpTo(place.doc->Document(), *position, 0, false);
        return;
    }
}

void Z80Workbench::GoBack() {
    Return(back_, forward_);
}

void Z80Workbench::GoForward() {
    Return(forward_, back_);
}

void Z80Workbench::GoToDefinition() {
    CSampleView* view = ActiveView();
    if (!view)
        return;
    CSampleDoc& active = view->GetDocument();
    const TextPosition caret = view->GetCaretPos();
    const std::string name(z80::SymbolAt(active.Buffer().LineText(caret.y), caret.x));
    if (name.empty()) {
        ShowStatus(Text(IDS_NO_SYMBOL));
        return;
    }
    // This document first, then the others in the order they were opened.
    std::vector<CSampleDoc*> docs = app_.Documents();
    std::stable_partition(docs.begin(), docs.end(), [&](CSampleDoc* d) { return d == &active; });
    for (CSampleDoc* doc : docs) {
        z80::Outline& outline = doc->Z80().Outline();
        if (!outline.IsComplete()) {
            // At most about a second for the biggest texts; the answer is worth the wait.
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            outline.WaitUntilComplete();
            QGuiApplication::restoreOverrideCursor();
        }
        const int line = outline.FindDefinition(name, doc == &active ? caret.y : -1);
        if (line < 0)
            continue;
        const int column = NameColumn(doc->Buffer().LineText(line), name);
        JumpTo(*doc, {std::max(column, 0), line}, column >= 0 ? static_cast<int>(name.size()) : 0,
               true);
        return;
    }
    QApplication::beep();
    ShowStatus(FillIn(Text(IDS_NO_DEFINITION), {name}));
}

void Z80Workbench::GoToLine() {
    CSampleView* view = ActiveView();
    if (!view)
        return;
    CSampleDoc& doc = view->GetDocument();
    CGotoLineDialog dialog(doc.Buffer().LineCount(), view->GetCaretPos().y + 1);
    if (app_.Ui().RunDialog(dialog) != platform::IDOK)
        return;
    JumpTo(doc, {0, dialog.Line() - 1}, 0, true);
}

// ---- Panes and settings

void Z80Workbench::ToggleOutline() {
    if (outline_->isVisible()) {
        outline_->hide();
        if (CSampleView* view = ActiveView())
            view->SetFocus();
        return;
    }
    outline_->show();
    outline_->raise();
    ActiveChanged();
    outline_->FocusFilter();
}

void Z80Workbench::ToggleOutput() {
    output_->setVisible(!output_->isVisible());
    if (output_->isVisible())
        output_->raise();
}

void Z80Workbench::AssemblerSettings() {
    platform::Profile& profile = app_.Profile();
    const std::string fallback = DefaultAssemblerCommand();
    CAssemblerDialog dialog(AssemblerCommandLine(profile), fallback);
    if (app_.Ui().RunDialog(dialog) != platform::IDOK)
        return;
    // An empty command means the default, which follows what is installed.
    std::string command = dialog.Command();
    if (command.find_first_not_of(" \t") == std::string::npos)
        command.clear();
    profile.WriteProfileString(kAssemblerSection, kAssemblerCommandEntry, command);
}

} // namespace app
