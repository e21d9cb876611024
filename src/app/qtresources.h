// The application's resources made into Qt objects: menus with one action per command, key
// sequences of accelerator entries, and toolbar icons rendered from the pixel art.
#pragma once

#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/resources/menus.h"
#include "platform/accel.h"
#include "platform/surface.h"

namespace app {

// The property of a menu or toolbar action that holds its command id.
inline constexpr const char* kCommandProperty = "velmoraCommand";

QString ToQString(std::string_view text);

// The key sequence of an accelerator entry; empty for a key Qt has no code for.
QKeySequence KeySequenceFor(const platform::Accel& entry);

// A picture with CLR_NONE pixels transparent.
QImage ImageFromBitmap(const platform::BitmapData& bitmap);

// The icon of a command's toolbar button at 1x and 2x; a null icon when it has none.
QIcon CommandIcon(uint32_t id);

// The application icon (IDR_MAINFRAME) or the document icon (IDR_SOURCETYPE) at 16, 32, 48, 64,
// 128 and 256 pixels, each the pixel art scaled by a whole factor; a null icon for other ids.
QIcon ResourceIcon(int32_t id);

// Fills `menu` with `items`: a command becomes an action carrying its id (text as the resource
// gives it, the shortcut shown after the tab), a pop-up a sub-menu, a separator a separator.
void FillMenu(QMenu& menu, std::span<const MenuItem> items);

// The command id an action carries; 0 for none.
uint32_t CommandOf(const QAction* action);

} // namespace app
