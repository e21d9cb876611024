// Batches of one-line replacements: applying, reverting and recording them as one step.
//
// A batch is applied line by line: each changed line is rebuilt once from its pieces (in place
// when the replacement is as long as what it replaces), and the views are told once at the end.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "buffer/textbuffer.h"

bool CTextBuffer::BatchFits(const ReplaceBatch& batch, bool undo) const {
    const std::vector<TextPosition>& positions = batch.positions;
    if (positions.empty() || batch.replacedLength < 0 ||
        batch.replacement.find_first_of("\r\n") != std::string::npos)
        return false;
    // What stands at each position in the text the batch is applied to, and the least distance
    // from one position to the next on a line.
    const int64_t length =
        undo ? static_cast<int64_t>(batch.replacement.size()) : batch.replacedLength;
    const int64_t gap = std::max<int64_t>(batch.replacedLength, 1);
    const int64_t delta = undo ? batch.Delta() : 0;
    int64_t onLine = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        const TextPosition p = positions[i];
        if (p.y < 0 || p.y >= LineCount() || p.x < 0)
            return false;
        if (i > 0) {
            const TextPosition prev = positions[i - 1];
            if (p.y < prev.y || (p.y == prev.y && p.x < static_cast<int64_t>(prev.x) + gap))
                return false;
            onLine = p.y == prev.y ? onLine + 1 : 0;
        }
        if (p.x + onLine * delta + length > LineLength(p.y))
            return false;
    }
    return true;
}

TextPosition CTextBuffer::BatchCaret(const ReplaceBatch& batch, bool undo) {
    const std::vector<TextPosition>& positions = batch.positions;
    if (undo)
        return {positions.front().x + batch.replacedLength, positions.front().y};
    // The end of the last replacement, moved by those before it on its line.
    size_t first = positions.size() - 1;
    while (first > 0 && positions[first - 1].y == positions.back().y)
        --first;
    const int64_t x = positions.back().x +
                      static_cast<int64_t>(positions.size() - 1 - first) * batch.Delta() +
                      static_cast<int64_t>(batch.replacement.size());
    return {static_cast<int32_t>(x), positions.back().y};
}

bool CTextBuffer::ApplyReplaceBatch(CBufferView* source, const ReplaceBatch& batch, bool undo) {
    if (readOnly_ ||
        batch.replaced.size() !=
            batch.positions.size() * static_cast<size_t>(std::max(batch.replacedLength, 0)) ||
        !BatchFits(batch, undo))
        return false;
    ApplyFittingBatch(source, batch, undo);
    return true;
}

void CTextBuffer::ApplyFittingBatch(CBufferView* source, const ReplaceBatch& batch, bool undo) {
    const size_t count = batch.positions.size();
    const std::string_view replacement = batch.replacement;
    const auto replacedLength = static_cast<size_t>(batch.replacedLength);
    // What stands in the text now at each position, and what goes there instead.
    const size_t nowLength = undo ? replacement.size() : replacedLength;
    const int64_t delta = undo ? batch.Delta() : 0;
    // Whatever allocates comes before the first change, so that a lack of memory
    // (std::bad_alloc) leaves the text as it was: the views' description of the change, the room
    // each growing line needs, and the scratch for the longest line rebuilt.
    const BatchChange change(batch, undo);
    std::string scratch;
    if (replacement.size() != replacedLength) {
        const int64_t growth = undo ? -batch.Delta() : batch.Delta();
        size_t longest = 0;
        for (size_t k = 0; k < count;) {
            const int32_t y = batch.positions[k].y;
            size_t end = k;
            while (end < count && batch.positions[end].y == y)
                ++end;
            const int64_t length = LineLength(y) + static_cast<int64_t>(end - k) * growth;
            if (length > LineStore::kMaxLength)
                throw std::bad_alloc();
            lines_.Reserve(y, length);
            longest = std::max(longest, static_cast<size_t>(length));
            k = end;
        }
        scratch.reserve(longest);
    }
    size_t i = 0;
    while (i < count) {
        const int32_t y = batch.positions[i].y;
        size_t end = i;
        while (end < count && batch.positions[end].y == y)
            ++end;
        LineRecord& line = lines_.At(y);
        if (replacement.size() == replacedLength) {
            for (size_t j = i; j < end; ++j) {
                const std::string_view put = undo ? batch.Replaced(j) : replacement;
                if (!put.empty())
                    std::memcpy(line.bytes + batch.positions[j].x, put.data(), put.size());
            }
        } else {
            const std::string_view old = line.Text();
            scratch.clear();
            size_t from = 0;
            for (size_t j = i; j < end; ++j) {
                const auto at =
                    static_cast<size_t>(batch.positions[j].x + static_cast<int64_t>(j - i) * delta);
                scratch.append(old.substr(from, at - from));
                scratch.append(undo ? batch.Replaced(j) : replacement);
                from = at + nowLength;
            }
            scratch.append(old.substr(from));
            lines_.Truncate(y, 0);
            lines_.Append(y, scratch);
        }
        i = end;
    }
    // A view may detach itself while being told; walk a snapshot of the list.
    const std::vector<CBufferView*> views = views_;
    for (CBufferView* view : views)
        view->OnBufferBatchChanged(source, change);
    if (!modified_)
        MarkModified(true);
}

bool CTextBuffer::ReplaceBatchRecorded(CBufferView* source, std::vector<TextPosition> positions,
                                       int32_t replacedLength, std::string_view replacement,
                                       EditAction action) try {
    auto batch = std::make_shared<ReplaceBatch>();
    batch->replacement.assign(replacement);
    batch->replacedLength = replacedLength;
    batch->positions = std::move(positions);
    if (readOnly_ || !BatchFits(*batch, false))
        return false;
    batch->replaced.reserve(batch->positions.size() * static_cast<size_t>(replacedLength));
    for (const TextPosition p : batch->positions)
        batch->replaced.append(
            LineText(p.y).substr(static_cast<size_t>(p.x), static_cast<size_t>(replacedLength)));
    EditRecord rec;
    rec.kind = EditRecord::RecordReplaceBatch;
    rec.start = batch->positions.front();
    rec.end = BatchCaret(*batch, false);
    rec.action = action;
    rec.text = batch->replacement;
    rec.batch = batch;
    ApplyFittingBatch(source, *batch, false);
    return RecordMade(source, std::move(rec));
} catch (const std::bad_alloc&) {
    // Before anything changed: the batch, its replaced bytes or the room for the new lines.
    return Refuse(ENOMEM);
}
