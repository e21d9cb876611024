// What the Z80 workbench keeps for one document: the outline of its labels, equates and macros
// (scanned in the background for big texts, Pump() queued on the UI thread whenever the worker
// has finished a slice), and marks, positions that move with the text like a view's caret does,
// for Go Back and Go Forward to return to.
//
// The document owns it and destroys it before its buffer. A Z80Document lives on the UI thread.
#pragma once

#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "buffer/bufferview.h"
#include "buffer/types.h"
#include "z80/z80outline.h"

class CTextBuffer;

namespace app {

class CSampleDoc;

class Z80Document final : public QObject {
    Q_OBJECT
public:
    // Attaches the outline and the marks to `doc`'s buffer and starts the scan.
    Z80Document(CSampleDoc& doc, CTextBuffer& buffer, z80::OutlineTuning tuning = {});
    // Emits Closing, then detaches from the buffer (the outline's worker is joined first).
    ~Z80Document() override;

    CSampleDoc& Document() const { return doc_; }
    CTextBuffer& Buffer() const { return buffer_; }
    z80::Outline& Outline() const { return *outline_; }

    // A mark at `position`; its id.
    int AddMark(TextPosition position);
    // Where mark `id` stands now, clamped to the text; none once removed.
    std::optional<TextPosition> Mark(int id) const;
    void RemoveMark(int id);
    size_t MarkCount() const { return marks_.positions.size(); }

signals:
    // The outline is about to go: listeners drop their pointers to it.
    void Closing();

private:
    // Moves the marks through every change of the text.
    struct Marks final : public CBufferView {
        void OnBufferChanged(CBufferView* source, const PositionAdjuster* adjuster, uint32_t hints,
                             int line) override;
        std::map<int, TextPosition> positions;
    };

    CSampleDoc& doc_;
    CTextBuffer& buffer_;
    std::unique_ptr<z80::Outline> outline_;
    Marks marks_;
    int nextMark_ = 1;
};

} // namespace app
