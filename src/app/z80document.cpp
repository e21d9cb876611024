#include "app/z80document.h"

#include <algorithm>

#include "buffer/textbuffer.h"

namespace app {

Z80Document::Z80Document(CSampleDoc& doc, CTextBuffer& buffer, z80::OutlineTuning tuning)
    : doc_(doc), buffer_(buffer) {
    // Called on the worker thread. The outline is destroyed (its worker joined) before this
    // object, and the events posted to an object are dropped when it goes, so the queued call
    // never reaches a destroyed outline.
    auto wake = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (outline_)
                    outline_->Pump();
            },
            Qt::QueuedConnection);
    };
    outline_ = std::make_unique<z80::Outline>(buffer_, wake, tuning);
    buffer_.AttachView(&marks_);
}

Z80Document::~Z80Document() {
    emit Closing();
    buffer_.DetachView(&marks_);
    outline_.reset();
}

int Z80Document::AddMark(TextPosition position) {
    const int id = nextMark_++;
    marks_.positions[id] = position;
    return id;
}

std::optional<TextPosition> Z80Document::Mark(int id) const {
    const auto it = marks_.positions.find(id);
    if (it == marks_.positions.end())
        return std::nullopt;
    // A reload moves nothing: clamp to the text as it is now.
    TextPosition position = it->second;
    position.y = std::clamp(position.y, 0, std::max(buffer_.LineCount() - 1, 0));
    position.x = std::clamp(
        position.x, 0,
        buffer_.LineCount() > 0 ? static_cast<int>(buffer_.LineText(position.y).size()) : 0);
    return position;
}

void Z80Document::RemoveMark(int id) {
    marks_.positions.erase(id);
}

void Z80Document::Marks::OnBufferChanged(CBufferView* /*source*/, const PositionAdjuster* adjuster,
                                         uint32_t /*hints*/, int /*line*/) {
    if (!adjuster)
        return;
    for (auto& [id, position] : positions)
        adjuster->AdjustPosition(position);
}

} // namespace app
