// The outline's background scan: copying slices of lines on the UI thread, scanning them on a
// worker thread, merging the results on the UI thread in line order.
#include <algorithm>

#include "buffer/textbuffer.h"
#include "z80/z80outline.h"
#include "z80/z80outline_slice.h"

namespace z80 {

// ---- Slice

void Outline::Slice::Scan() {
    uint32_t state = previous ? previous->endState : startState;
    previous.reset();
    usedStartState = state;
    const auto lineAt = [&](int i) {
        const size_t begin = i == 0 ? 0 : ends[static_cast<size_t>(i) - 1];
        return std::string_view(text).substr(begin, ends[static_cast<size_t>(i)] - begin);
    };
    endState = ScanLines(
        lineCount, state, lineAt,
        [&](int i, const LineSymbol& s) {
            symbols.emplace_back(i, SymbolValue{std::string(s.name), s.kind});
        },
        [&](int i, uint32_t s) { states.emplace_back(i, static_cast<uint8_t>(s)); });
    // The copy stays with the slice: the UI thread hands its memory to a later slice.
}

// ---- Worker

Outline::Worker::Worker(std::function<void()> wake)
    : wake_(std::move(wake)), thread_([this] { Run(); }) {}

Outline::Worker::~Worker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    jobsChanged_.notify_all();
    thread_.join();
}

void Outline::Worker::Submit(std::shared_ptr<Slice> slice) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(slice));
    }
    jobsChanged_.notify_one();
}

std::vector<std::shared_ptr<Outline::Slice>> Outline::Worker::TakeDone() {
    std::lock_guard lock(mutex_);
    return std::exchange(done_, {});
}

void Outline::Worker::WaitForDone() {
    std::unique_lock lock(mutex_);
    doneChanged_.wait(lock, [&] { return !done_.empty() || (jobs_.empty() && !running_); });
}

void Outline::Worker::Run() {
    for (;;) {
        std::shared_ptr<Slice> slice;
        {
            std::unique_lock lock(mutex_);
            jobsChanged_.wait(lock, [&] { return stop_ || !jobs_.empty(); });
            if (stop_)
                return;
            slice = std::move(jobs_.front());
            jobs_.pop_front();
            running_ = true;
        }
        // A cancelled slice is handed back unscanned; no later slice depends on it, since
        // cancelling always drops every slice behind it too.
        if (!slice->cancelled.load(std::memory_order_relaxed))
            slice->Scan();
        {
            std::lock_guard lock(mutex_);
            done_.push_back(std::move(slice));
            running_ = false;
        }
        doneChanged_.notify_all();
        if (wake_)
            wake_();
    }
}

// ---- The outline's side

bool Outline::IsComplete() const {
    return scannedEnd_ >= buffer_.LineCount();
}

void Outline::Pump() {
    if (!worker_)
        return;
    for (const std::shared_ptr<Slice>& slice : worker_->TakeDone()) {
        Recycle(*slice);
        if (slice->cancelled.load(std::memory_order_relaxed) || slices_.empty() ||
            slices_.front() != slice)
            continue;
        slices_.pop_front();
        MergeSlice(*slice);
    }
    IssueSlices();
    if (IsComplete() && slices_.empty())
        StopWorker();
}

void Outline::WaitUntilComplete() {
    while (!IsComplete()) {
        IssueSlices();
        if (slices_.empty()) {
            // No worker to wait for (the outline was made without one): scan here.
            ScanNow(buffer_.LineCount());
            break;
        }
        worker_->WaitForDone();
        Pump();
    }
}

void Outline::MergeSlice(Slice& slice) {
    if (slice.firstLine != scannedEnd_ || slice.usedStartState != pendingState_) {
        // Cannot happen while edits cancel what they invalidate; start the rest over if it does.
        CancelSlicesFrom(0);
        return;
    }
    OutlineChange change;
    change.first = symbols_.Size();
    change.inserted = static_cast<int>(slice.symbols.size());
    const int base = slice.firstLine;
    if (base > 0 && pendingState_ != StateAt(base - 1))
        states_.Append(base, static_cast<uint8_t>(pendingState_));
    for (auto& [line, state] : slice.states)
        states_.Append(base + line, state);
    for (auto& [line, value] : slice.symbols)
        symbols_.Append(base + line, std::move(value));
    scannedEnd_ += slice.lineCount;
    pendingState_ = slice.endState;
    ++revision_;
    Notify(change);
}

void Outline::CancelSlicesFrom(size_t index) {
    if (index >= slices_.size())
        return;
    issuedEnd_ =
        index == 0 ? scannedEnd_ : slices_[index - 1]->firstLine + slices_[index - 1]->lineCount;
    for (size_t i = index; i < slices_.size(); ++i)
        slices_[i]->cancelled.store(true, std::memory_order_relaxed);
    slices_.erase(slices_.begin() + static_cast<std::ptrdiff_t>(index), slices_.end());
}

void Outline::IssueSlices() {
    if (!wake_ && !worker_)
        return;
    if (slices_.empty())
        issuedEnd_ = scannedEnd_;
    const int count = buffer_.LineCount();
    while (slices_.size() < 2 && issuedEnd_ < count) {
        auto slice = std::make_shared<Slice>();
        if (!spareTexts_.empty()) {
            slice->text = std::move(spareTexts_.back());
            spareTexts_.pop_back();
        }
        if (!spareEnds_.empty()) {
            slice->ends = std::move(spareEnds_.back());
            spareEnds_.pop_back();
        }
        slice->firstLine = issuedEnd_;
        int line = issuedEnd_;
        while (line < count && line - issuedEnd_ < tuning_.sliceLines &&
               slice->text.size() < tuning_.sliceBytes) {
            slice->text.append(buffer_.LineText(line));
            slice->ends.push_back(static_cast<uint32_t>(slice->text.size()));
            ++line;
        }
        slice->lineCount = line - issuedEnd_;
        if (slices_.empty())
            slice->startState = pendingState_;
        else
            slice->previous = slices_.back();
        issuedEnd_ = line;
        slices_.push_back(slice);
        if (!worker_)
            worker_ = std::make_unique<Worker>(wake_);
        worker_->Submit(std::move(slice));
    }
}

void Outline::Recycle(Slice& slice) {
    // Two slices are in flight at most, so two spares serve every one that is issued.
    constexpr size_t kSpares = 2;
    if (spareTexts_.size() < kSpares) {
        slice.text.clear();
        spareTexts_.push_back(std::move(slice.text));
    }
    if (spareEnds_.size() < kSpares) {
        slice.ends.clear();
        spareEnds_.push_back(std::move(slice.ends));
    }
}

void Outline::StopWorker() {
    CancelSlicesFrom(0);
    worker_.reset();
    std::vector<std::string>().swap(spareTexts_);
    std::vector<std::vector<uint32_t>>().swap(spareEnds_);
}

} // namespace z80
