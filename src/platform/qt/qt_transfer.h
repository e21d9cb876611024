// Text between windows on Qt: the MIME data this application puts on the clipboards and in
// drags, reading the MIME data that arrives, the clipboards, and the drag loop.
//
// The application's text goes out as its exact bytes under kPrivateTextFormat, read back
// unchanged by this application (in this process without a copy through the toolkit), and as
// plain text that other applications get converted (TextForOtherApplications) only when they ask.
#pragma once

#include <QClipboard>
#include <QMimeData>
#include <QObject>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clipboard.h"
#include "platform/dragdrop.h"

class QWidget;

namespace platform::qt {

class TransferMimeData final : public QMimeData {
    Q_OBJECT
public:
    TransferMimeData(std::string bytes, CodePage page);

    const std::string& Bytes() const { return bytes_; }
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    std::string bytes_;
    CodePage page_;
};

// Whether `data` offers text the engine reads: the private format, or plain text.
bool MimeHasText(const QMimeData* data);
// The text of `data` as bytes of `page` with CR LF between lines (DataObject::GetText).
std::optional<std::string> MimeText(const QMimeData* data, CodePage page);

// The MIME data of a drag as the engine reads it. A drag of files (local file URLs) offers no
// text here, whatever text it carries besides, so that the files reach whoever opens files.
class QtDragData final : public DataObject {
public:
    QtDragData(const QMimeData* data, QObject* source) : data_(data), source_(source) {}
    bool HasText() const override;
    std::optional<std::string> GetText(CodePage page) const override;
    Wnd* SourceWindow() const override;

private:
    const QMimeData* data_;
    QObject* source_;
};

class QtClipboard final : public Clipboard {
public:
    explicit QtClipboard(QClipboard::Mode mode) : mode_(mode) {}
    bool HasText() const override;
    std::optional<std::string> GetText(CodePage page) const override;
    bool SetText(std::string bytes, CodePage page) override;

private:
    QClipboard::Mode mode_;
};

// DropEffect bits and Qt's drop actions.
Qt::DropActions ToQtActions(uint32_t effects);
uint32_t FromQtActions(Qt::DropActions actions);
// MouseFlag bits of the buttons and keys held: the flags of mouse messages and the key state of
// drags.
uint32_t KeyStateFromQt(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// Drags `bytes` out of `source` and returns the effect of the drop (WindowSystem::DoDragDrop).
uint32_t RunDrag(QWidget* source, std::string bytes, CodePage page, uint32_t allowed);

} // namespace platform::qt
