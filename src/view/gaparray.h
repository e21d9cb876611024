// An array of plain values with a gap at the place of the last insertion or removal, so that a run
// of edits at one place (typing, line breaks near one line) costs O(1) each instead of moving every
// entry behind it. Moving the gap to a new place costs the distance moved, once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace gap_detail {

// Leaves new entries default-initialized, which for plain values means not written at all: a
// large array that is only sized is not touched until its entries are written.
template <class T> struct UninitializedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = UninitializedAllocator<U>; };
    UninitializedAllocator() = default;
    template <class U> UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

} // namespace gap_detail

template <class T> class GapArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    size_t Size() const { return data_.size() - gapLength_; }
    bool Empty() const { return Size() == 0; }

    T operator[](size_t i) const { return data_[Physical(i)]; }
    T& operator[](size_t i) { return data_[Physical(i)]; }

    // `count` copies of `value`, with no gap.
    void Assign(size_t count, T value) {
        data_.assign(count, value);
        gapStart_ = count;
        gapLength_ = 0;
    }
    // `count` entries with no gap and no value: each must be written before it is read. The
    // memory is not touched here.
    void AssignUnwritten(size_t count) {
        Clear();
        data_.resize(count);
        gapStart_ = count;
        gapLength_ = 0;
    }
    // `count` entries with no gap, entry i being `valueOf(i)`, written in one sequential pass.
    template <class ValueOf> void AssignGenerated(size_t count, ValueOf valueOf) {
        AssignUnwritten(count);
        T* out = data_.data();
        for (size_t i = 0; i < count; ++i)
            out[i] = valueOf(i);
    }
    void Clear() {
        data_.clear();
        data_.shrink_to_fit();
        gapStart_ = 0;
        gapLength_ = 0;
    }

    // Inserts `count` copies of `value` before index `at` (at <= Size()).
    void Insert(size_t at, size_t count, T value) {
        InsertGenerated(at, count, [value](size_t) { return value; });
    }

    // Inserts `count` entries before index `at` (at <= Size()), entry i of them being
    // `valueOf(i)`, written in one sequential pass.
    template <class ValueOf> void InsertGenerated(size_t at, size_t count, ValueOf valueOf) {
        if (count == 0)
            return;
        if (gapLength_ < count)
            Regrow(at, count);
        else
            MoveGap(at);
        T* out = data_.data() + gapStart_;
        for (size_t i = 0; i < count; ++i)
            out[i] = valueOf(i);
        gapStart_ += count;
        gapLength_ -= count;
    }

    // Removes the `count` entries from index `at` on (at + count <= Size()).
    void Erase(size_t at, size_t count) {
        if (count == 0)
            return;
        MoveGap(at);
        gapLength_ += count;
    }

    // Grows or shrinks at the end; new entries hold `value`.
    void Resize(size_t count, T value) {
        const size_t size = Size();
        if (count > size)
            Insert(size, count - size, value);
        else
            Erase(count, size - count);
    }

private:
    size_t Physical(size_t i) const { return i < gapStart_ ? i : i + gapLength_; }

    void MoveGap(size_t at) {
        T* base = data_.data();
        if (at < gapStart_) {
            std::memmove(base + at + gapLength_, base + at, (gapStart_ - at) * sizeof(T));
        } else if (at > gapStart_) {
            std::memmove(base + gapStart_, base + gapStart_ + gapLength_,
                         (at - gapStart_) * sizeof(T));
        }
        gapStart_ = at;
    }

    // Makes room for at least `count` more entries with the gap at `at`; the new gap is an eighth
    // of the contents (at least 1024 entries) larger than needed.
    void Regrow(size_t at, size_t count) {
        const size_t size = Size();
        const size_t gap = count + std::max<size_t>(1024, size / 8);
        Storage next(size + gap);
        CopyOut(0, at, next.data());
        CopyOut(at, size, next.data() + at + gap);
        data_.swap(next);
        gapStart_ = at;
        gapLength_ = gap;
    }

    // Copies the entries [from, to) to `out`.
    void CopyOut(size_t from, size_t to, T* out) const {
        const T* base = data_.data();
        const size_t split = std::clamp(gapStart_, from, to);
        // Byte copies: entries that were never written may be among them.
        if (split > from)
            std::memcpy(out, base + from, (split - from) * sizeof(T));
        if (to > split)
            std::memcpy(out + (split - from), base + split + gapLength_, (to - split) * sizeof(T));
    }

    using Storage = std::vector<T, gap_detail::UninitializedAllocator<T>>;

    Storage data_;
    size_t gapStart_ = 0;
    size_t gapLength_ = 0;
};
