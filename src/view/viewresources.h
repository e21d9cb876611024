// The resources a text view loads: its accelerator table and the strip of margin icons, looked
// up by their resource ids in a resource module. The view's own module holds the built-in data
// below; an application may hand the view another module (CTextView::SetResourceModule).
#pragma once

#include <cstdint>

#include "platform/accel.h"
#include "platform/surface.h"

namespace view {

inline constexpr int32_t IDC_MARGIN_CURSOR = 22900;
inline constexpr int32_t IDR_VIEW_ACCELERATORS = 22901;
inline constexpr int32_t IDB_MARGIN_ICONS = 22902;

// Size of one margin icon; the strip holds kMarginIconImages of them side by side.
inline constexpr int32_t kMarginIconSize = 16;
inline constexpr int32_t kMarginIconImages = 14;
// Drawn as transparent in the strip.
inline constexpr platform::ColorRef kMarginIconMask = 0xFFFFFF;

class ResourceModule {
public:
    virtual ~ResourceModule() = default;
    // Null when the module has no such resource.
    virtual const platform::AccelTable* FindAccelerators(int32_t id) const = 0;
    virtual const platform::BitmapData* FindBitmap(int32_t id) const = 0;
};

// The module with the view's built-in resources.
const ResourceModule& BuiltInResources();

// The keys of the text view (resource IDR_VIEW_ACCELERATORS).
const platform::AccelTable& ViewAcceleratorTable();

// The margin icons (resource IDB_MARGIN_ICONS), in the order of the view's icon table: three
// margin marks (a green dot, a red dot, a yellow arrow), the numbered bookmark flags 1 to 9 and 0,
// and the plain bookmark flag.
const platform::BitmapData& MarginIconStrip();

} // namespace view
