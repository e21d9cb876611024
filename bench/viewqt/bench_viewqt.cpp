// Text view figures on the Qt raster backend (offscreen platform), on the generated 100 MB Z80
// source (VELMORA_BENCH_MB to change) in a view of 200 x 60 cells that colours with the Z80
// parser:
//
//   BM_QtRepaint/paint:0      OnDraw through a QtSurface over a QPainter on a QImage the size of
//                             the view: what the engine and the Qt surface cost (target: 2 ms)
//   BM_QtRepaint/paint:1      QWidget::render of the view's widget into that image: the same
//                             plus Qt's widget painting
//   BM_QtRepaint/paint:2      QWidget::repaint: into the backing store, flushed to the window
//   BM_QtTypeOnFirstLine      one character inserted on line 0, then the OnDraw (target: 2 ms)
//   BM_QtLineBreakOnFirstLine a line break inserted on line 0, then the OnDraw (target: 5 ms)
//   BM_QtAutoScrollTick       one tick of the auto-scroll timer extending a mouse selection below
//                             the window near the end of the text: the pixels scroll three lines
//                             and what the tick made invalid is painted (target: 2 ms)
//   BM_QtPasteAtTop           10 MB (400,000 lines) pasted at line 0 through the Qt clipboard
//                             in an edit view, then the repaint (paste_ms), then its undo and the
//                             repaint (undo_ms) (target: 150 ms each)
//
// The edits run with the view at the top of the text (end:0) and at its end (end:1), where the
// lines on screen depend on the parser states of every line above them. Undoing an edit and the
// paint after it are not timed. The file is generated once per run into a RAM disk folder
// (/dev/shm, else TMPDIR) and removed at exit.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "buffer/textbuffer.h"
#include "common/benchdoc.h"
#include "common/benchview.h"
#include "common/qtbenchmain.h"
#include "edit/editcommandids.h"
#include "edit/editview.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_window.h"
#include "view/textview.h"

namespace {

using platform::qt::QtSurface;
using platform::qt::QtSystem;
using platform::qt::QtWindow;
using platform::qt::QtWndHost;

using bench::kColumns;
using bench::kRows;
using bench::LoadedBuffer;
using Z80BenchView = bench::Z80Colored<CTextView>;
using Z80BenchEditView = bench::Z80Colored<CTextEditView>;

// The view in a shown QtWindow whose client area holds exactly 200 x 60 cells.
template <typename View = Z80BenchView> class Scene {
public:
    Scene() {
        auto made = std::make_unique<View>();
        view_ = made.get();
        window_ = std::make_unique<QtWindow>(std::move(made));
        window_->resize(800, 600);
        window_->show();
        QApplication::processEvents();
        view_->ConnectBuffer(&LoadedBuffer());
        const QSize client(view_->GetMarginPixels() + kColumns * view_->GetCellWidth(),
                           kRows * view_->GetRowHeight());
        window_->resize(window_->size() + client - Host()->size());
        QApplication::processEvents();
        if (Host()->size() != client) {
            std::fprintf(stderr, "the view is %dx%d, not %dx%d\n", Host()->width(),
                         Host()->height(), client.width(), client.height());
            std::exit(1);
        }
        image_ = QImage(client, QImage::Format_RGB32);
        Draw();
    }
    View& GetView() { return *view_; }
    QtWndHost* Host() const { return window_->Host(); }
    int32_t LastTop() const { return LoadedBuffer().LineCount() - kRows; }

    // What a paint event of the whole client area runs.
    void Draw() {
        QPainter painter(&image_);
        QtSurface surface(&painter, 1.0, QtSystem::Instance().DefaultFont());
        view_->OnDraw(surface);
    }
    void Render() { Host()->render(&image_); }
    void Repaint() { Host()->repaint(); }

private:
    View* view_ = nullptr;
    std::unique_ptr<QtWindow> window_;
    QImage image_;
};

void BM_QtRepaint(benchmark::State& state) {
    Scene<> scene;
    scene.GetView().ScrollToTopLine(LoadedBuffer().LineCount() / 2, true);
    scene.Draw();
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            scene.Draw();
            break;
        case 1:
            scene.Render();
            break;
        default:
            scene.Repaint();
            break;
        }
    }
}
BENCHMARK(BM_QtRepaint)->ArgName("paint")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// An edit on line 0 and the OnDraw, with the view at the top or at the end of the text.
void InsertAndDraw(benchmark::State& state, std::string_view text) {
    Scene<> scene;
    if (state.range(0) != 0)
        scene.GetView().ScrollToTopLine(scene.LastTop(), true);
    scene.Draw();
    bench::InsertAtTopAndPaint(state, text, [&] { scene.Draw(); });
}

void BM_QtTypeOnFirstLine(benchmark::State& state) {
    InsertAndDraw(state, "x");
}
BENCHMARK(BM_QtTypeOnFirstLine)
    ->ArgName("end")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_QtLineBreakOnFirstLine(benchmark::State& state) {
    InsertAndDraw(state, "\r\n");
}
BENCHMARK(BM_QtLineBreakOnFirstLine)
    ->ArgName("end")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_QtAutoScrollTick(benchmark::State& state) {
    Scene<> scene;
    Z80BenchView& view = scene.GetView();
    const int32_t last = LoadedBuffer().LineCount() - 1;
    const QPoint below(400, scene.Host()->height() + 40);
    const auto startSelection = [&] {
        view.OnLButtonUp(0, {below.x(), below.y()});
        view.CollapseCaretTo({0, last - 3000});
        view.ScrollToTopLine(last - 3000, true);
        view.OnLButtonDown(platform::MK_LBUTTON, {100, 100});
        QCursor::setPos(scene.Host()->mapToGlobal(below));
        view.OnMouseMove(platform::MK_LBUTTON, {below.x(), below.y()});
        scene.Repaint();
    };
    startSelection();
    for (auto _ : state) {
        if (view.GetTopLine() >= last - 3)
            startSelection();
        const int32_t top = view.GetTopLine();
        const auto start = bench::Clock::now();
        view.OnTimer(CTextView::AutoScrollTimerId);
        scene.Host()->UpdateWindow();
        state.SetIterationTime(bench::Seconds(start));
        if (view.GetTopLine() != top + 3) {
            state.SkipWithError("the tick did not scroll three lines");
            break;
        }
    }
    view.OnLButtonUp(0, {below.x(), below.y()});
}
BENCHMARK(BM_QtAutoScrollTick)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_QtPasteAtTop(benchmark::State& state) {
    constexpr int32_t kLines = 400000;
    Scene<Z80BenchEditView> scene;
    Z80BenchEditView& view = scene.GetView();
    view.CollapseCaretTo({0, 0});
    view.SelectRange({0, 0}, {0, kLines});
    view.CopySelection();
    const int before = LoadedBuffer().LineCount();
    const auto run = [&](uint32_t command, int lines) {
        view.OnCommand(command);
        scene.Repaint();
        return LoadedBuffer().LineCount() == lines;
    };
    bench::TimeTwoSteps(
        state, "paste_ms", "undo_ms",
        [&] {
            view.CollapseCaretTo({0, 0});
            scene.Repaint();
        },
        [&] { return run(edit::ID_EDIT_PASTE, before + kLines); },
        [&] { return run(edit::ID_EDIT_UNDO, before); }, "the undo left lines behind");
}
BENCHMARK(BM_QtPasteAtTop)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunQtBenchmarks(argc, argv);
}
