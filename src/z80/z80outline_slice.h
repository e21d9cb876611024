// The outline's background scan: a slice of copied lines and the worker thread that scans
// slices. Private to the outline's implementation.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "z80/z80outline.h"

namespace z80 {

// Ownership passes with the slice: the UI thread fills the input fields and submits it; from then
// on only the worker touches the input and result fields until it hands the slice back, and the
// UI thread reads the results only after that (the worker's mutex orders the two).
struct Outline::Slice {
    // UI thread only: where the slice's lines are now (edits above move them) and how many.
    int firstLine = 0;
    int lineCount = 0;

    // Input: the lines' bytes one after the other, and the end of each line in `text`.
    std::string text;
    std::vector<uint32_t> ends;
    // The state the first line starts in, or, when `previous` is set, the state the worker found
    // at the end of that earlier slice (it scans slices in order).
    uint32_t startState = 0;
    std::shared_ptr<Slice> previous;

    // Set by the UI thread at any time: the results are not wanted.
    std::atomic<bool> cancelled{false};

    // Results, lines relative to the slice.
    uint32_t usedStartState = 0;
    uint32_t endState = 0;
    std::vector<std::pair<int, SymbolValue>> symbols;
    std::vector<std::pair<int, uint8_t>> states;

    // The scan itself (worker thread).
    void Scan();
};

class Outline::Worker {
public:
    explicit Worker(std::function<void()> wake);
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void Submit(std::shared_ptr<Slice> slice);
    // The slices scanned (or skipped, when cancelled) since the last call, in submission order.
    std::vector<std::shared_ptr<Slice>> TakeDone();
    // Blocks until some slice is done, or nothing is queued or running.
    void WaitForDone();

private:
    void Run();

    std::function<void()> wake_;
    std::mutex mutex_;
    std::condition_variable jobsChanged_;
    std::condition_variable doneChanged_;
    std::deque<std::shared_ptr<Slice>> jobs_;
    std::vector<std::shared_ptr<Slice>> done_;
    bool running_ = false;
    bool stop_ = false;
    std::thread thread_; // last: starts after the fields above exist
};

} // namespace z80
