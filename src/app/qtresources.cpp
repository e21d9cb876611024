#include "app/qtresources.h"

#include <QAction>
#include <QPixmap>

#include "app/resources/icons.h"
#include "app/resources/strings.h"
#include "platform/color.h"
#include "platform/keys.h"

namespace app {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QKeySequence KeySequenceFor(const platform::Accel& entry) {
    using namespace platform;
    int key = 0;
    const uint32_t vk = entry.key;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        key = static_cast<int>(vk);
    else if (vk >= VK_F1 && vk <= VK_F24)
        key = Qt::Key_F1 + static_cast<int>(vk - VK_F1);
    else {
        switch (vk) {
        case VK_BACK:
            key = Qt::Key_Backspace;
            break;
        case VK_TAB:
            key = Qt::Key_Tab;
            break;
        case VK_RETURN:
            key = Qt::Key_Return;
            break;
        case VK_ESCAPE:
            key = Qt::Key_Escape;
            break;
        case VK_SPACE:
            key = Qt::Key_Space;
            break;
        case VK_PRIOR:
            key = Qt::Key_PageUp;
            break;
        case VK_NEXT:
            key = Qt::Key_PageDown;
            break;
        case VK_END:
            key = Qt::Key_End;
            break;
        case VK_HOME:
            key = Qt::Key_Home;
            break;
        case VK_LEFT:
            key = Qt::Key_Left;
            break;
        case VK_UP:
            key = Qt::Key_Up;
            break;
        case VK_RIGHT:
            key = Qt::Key_Right;
            break;
        case VK_DOWN:
            key = Qt::Key_Down;
            break;
        case VK_INSERT:
            key = Qt::Key_Insert;
            break;
        case VK_DELETE:
            key = Qt::Key_Delete;
            break;
        default:
            return {};
        }
    }
    Qt::KeyboardModifiers mods;
    if (entry.fVirt & FSHIFT)
        mods |= Qt::ShiftModifier;
    if (entry.fVirt & FCONTROL)
        mods |= Qt::ControlModifier;
    if (entry.fVirt & FALT)
        mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

QImage ImageFromBitmap(const platform::BitmapData& bitmap) {
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    for (int32_t y = 0; y < bitmap.height; ++y) {
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const platform::ColorRef c = bitmap.At(x, y);
            image.setPixel(
                x, y,
                c == platform::CLR_NONE
                    ? qRgba(0, 0, 0, 0)
                    : qRgb(platform::GetRValue(c), platform::GetGValue(c), platform::GetBValue(c)));
        }
    }
    return image;
}

QIcon CommandIcon(uint32_t id) {
    const PixelIcon* art = FindToolBarImage(id);
    if (!art)
        return {};
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(ImageFromBitmap(RenderIcon(*art, 1))));
    QPixmap twice = QPixmap::fromImage(ImageFromBitmap(RenderIcon(*art, 2)));
    twice.setDevicePixelRatio(2.0);
    icon.addPixmap(twice);
    return icon;
}

QIcon ResourceIcon(int32_t id) {
    const PixelIcon* art = FindIcon(id);
    if (!art)
        return {};
    QIcon icon;
    for (const int32_t scale : kIconScales)
        icon.addPixmap(QPixmap::fromImage(ImageFromBitmap(RenderIcon(*art, scale))));
    return icon;
}

void FillMenu(QMenu& menu, std::span<const MenuItem> items) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItemKind::Separator:
            menu.addSeparator();
            break;
        case MenuItemKind::Popup: {
            QMenu* sub = menu.addMenu(ToQString(item.text));
            FillMenu(*sub, item.items);
            break;
        }
        case MenuItemKind::Command: {
            QAction* action = menu.addAction(ToQString(item.text));
            action->setProperty(kCommandProperty, static_cast<uint>(item.id));
            action->setStatusTip(ToQString(StatusPrompt(item.id)));
            break;
        }
        }
    }
}

uint32_t CommandOf(const QAction* action) {
    if (!action)
        return 0;
    const QVariant id = action->property(kCommandProperty);
    return id.isValid() ? id.toUInt() : 0;
}

} // namespace app
