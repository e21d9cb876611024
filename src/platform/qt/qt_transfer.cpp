#include "platform/qt/qt_transfer.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "platform/qt/qt_window.h"

namespace platform::qt {
namespace {

QString PrivateFormat() {
    return QString::fromLatin1(kPrivateTextFormat.data(),
                               static_cast<qsizetype>(kPrivateTextFormat.size()));
}

bool IsPlainTextFormat(const QString& mimeType) {
    return mimeType == QLatin1String("text/plain") ||
           mimeType.startsWith(QLatin1String("text/plain;"));
}

bool HasLocalFiles(const QMimeData* data) {
    if (!data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

// ---- TransferMimeData

TransferMimeData::TransferMimeData(std::string bytes, CodePage page)
    : bytes_(std::move(bytes)), page_(page) {}

QStringList TransferMimeData::formats() const {
    return {PrivateFormat(), QStringLiteral("text/plain")};
}

bool TransferMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == PrivateFormat() || IsPlainTextFormat(mimeType);
}

QVariant TransferMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    (void)type;
    if (mimeType == PrivateFormat())
        return QByteArray(bytes_.data(), static_cast<qsizetype>(bytes_.size()));
    if (IsPlainTextFormat(mimeType)) {
        const std::string utf8 = TextForOtherApplications(bytes_, page_);
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    return {};
}

// ---- Reading MIME data

bool MimeHasText(const QMimeData* data) {
    return data && (dynamic_cast<const TransferMimeData*>(data) ||
                    data->hasFormat(PrivateFormat()) || data->hasText());
}

std::optional<std::string> MimeText(const QMimeData* data, CodePage page) {
    if (!data)
        return std::nullopt;
    // This process's own text, read where it lies.
    if (const auto* own = dynamic_cast<const TransferMimeData*>(data))
        return own->Bytes();
    // Another instance of the application: its bytes exactly.
    if (data->hasFormat(PrivateFormat())) {
        const QByteArray bytes = data->data(PrivateFormat());
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    if (data->hasText())
        return TextFromOtherApplications(data->text().toStdU32String(), page);
    return std::nullopt;
}

bool QtDragData::HasText() const {
    if (!data_)
        return false;
    if (dynamic_cast<const TransferMimeData*>(data_) || data_->hasFormat(PrivateFormat()))
        return true;
    return data_->hasText() && !HasLocalFiles(data_);
}

std::optional<std::string> QtDragData::GetText(CodePage page) const {
    return HasText() ? MimeText(data_, page) : std::nullopt;
}

Wnd* QtDragData::SourceWindow() const {
    auto* host = qobject_cast<QtWndHost*>(source_);
    return host && host->IsCreated() ? &host->GetWnd() : nullptr;
}

// ---- Clipboards

bool QtClipboard::HasText() const {
    return MimeHasText(QGuiApplication::clipboard()->mimeData(mode_));
}

std::optional<std::string> QtClipboard::GetText(CodePage page) const {
    return MimeText(QGuiApplication::clipboard()->mimeData(mode_), page);
}

bool QtClipboard::SetText(std::string bytes, CodePage page) {
    QGuiApplication::clipboard()->setMimeData(new TransferMimeData(std::move(bytes), page), mode_);
    return true;
}

// ---- Drop effects and key state

Qt::DropActions ToQtActions(uint32_t effects) {
    Qt::DropActions actions;
    if (effects & DROPEFFECT_COPY)
        actions |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE)
        actions |= Qt::MoveAction;
    return actions;
}

uint32_t FromQtActions(Qt::DropActions actions) {
    uint32_t effects = DROPEFFECT_NONE;
    if (actions & Qt::CopyAction)
        effects |= DROPEFFECT_COPY;
    // A target that takes the data over moves it all the same, seen from the source.
    if (actions & (Qt::MoveAction | Qt::TargetMoveAction))
        effects |= DROPEFFECT_MOVE;
    return effects;
}

uint32_t KeyStateFromQt(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    uint32_t flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

// ---- The drag loop

uint32_t RunDrag(QWidget* source, std::string bytes, CodePage page, uint32_t allowed) {
    if (!source || !(allowed & (DROPEFFECT_COPY | DROPEFFECT_MOVE)))
        return DROPEFFECT_NONE;
    // Qt deletes the drag object once the drag is over.
    auto* drag = new QDrag(source);
    drag->setMimeData(new TransferMimeData(std::move(bytes), page));
    const Qt::DropAction preferred = (allowed & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction;
    const Qt::DropAction done = drag->exec(ToQtActions(allowed), preferred);
    // Exactly one effect, and one the source allowed.
    const uint32_t effect = FromQtActions(done) & allowed;
    return (effect & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : effect;
}

// ---- QtWndHost: drags over the window

bool QtWndHost::RegisterDropTarget(DropTarget* target) {
    drops_.Register(*wnd_, target);
    setAcceptDrops(target != nullptr);
    UpdateDragTicks();
    return true;
}

void QtWndHost::UpdateDragTicks() {
    if (created_ && drops_.WantsTicks()) {
        if (!dragTick_.isActive())
            dragTick_.start(static_cast<int>(DropSite::kScrollIntervalMs), this);
    } else {
        dragTick_.stop();
    }
}

void QtWndHost::DragTick() {
    if (created_)
        drops_.Tick(*wnd_);
    UpdateDragTicks();
}

void QtWndHost::TrackDrag(QDragMoveEvent& event, bool entering) {
    if (!created_ || !drops_.IsRegistered()) {
        event.ignore();
        return;
    }
    const QtDragData dragged(event.mimeData(), event.source());
    const uint32_t allowed = FromQtActions(event.possibleActions());
    const uint32_t keys = KeyStateFromQt(event.buttons(), event.modifiers());
    const Point point{event.position().toPoint().x(), event.position().toPoint().y()};
    const uint32_t effect = entering ? drops_.Enter(*wnd_, dragged, allowed, keys, point)
                                     : drops_.Over(*wnd_, dragged, allowed, keys, point);
    if (effect == DROPEFFECT_NONE) {
        event.ignore();
        // Refused on entering, the drag goes on to the windows around this one, and this one
        // hears nothing more of it.
        if (entering)
            drops_.Leave(*wnd_);
    } else {
        event.setDropAction((effect & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction);
        event.accept();
    }
    UpdateDragTicks();
}

void QtWndHost::dragEnterEvent(QDragEnterEvent* event) {
    TrackDrag(*event, true);
}

void QtWndHost::dragMoveEvent(QDragMoveEvent* event) {
    TrackDrag(*event, false);
}

void QtWndHost::dragLeaveEvent(QDragLeaveEvent* event) {
    if (created_)
        drops_.Leave(*wnd_);
    UpdateDragTicks();
    event->accept();
}

void QtWndHost::dropEvent(QDropEvent* event) {
    if (!created_ || !drops_.IsRegistered()) {
        event->ignore();
        return;
    }
    const QtDragData dragged(event->mimeData(), event->source());
    const Point point{event->position().toPoint().x(), event->position().toPoint().y()};
    const uint32_t effect =
        drops_.Drop(*wnd_, dragged, FromQtActions(event->possibleActions()),
                    KeyStateFromQt(event->buttons(), event->modifiers()), point);
    UpdateDragTicks();
    if (effect == DROPEFFECT_NONE) {
        event->ignore();
        return;
    }
    event->setDropAction((effect & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

} // namespace platform::qt
