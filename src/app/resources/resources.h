// All of the application's resources, and the module the engine's windows load them from.
#pragma once

#include "app/resources/accelerators.h"
#include "app/resources/bars.h"
#include "app/resources/dialogs.h"
#include "app/resources/icons.h"
#include "app/resources/menus.h"
#include "app/resources/resourceids.h"
#include "app/resources/strings.h"
#include "app/resources/versioninfo.h"
#include "platform/resources.h"

namespace app {

// Adds the frame's accelerator table and the toolbar's image strip at `scale` (both under
// IDR_MAINFRAME) to `module`. The view's key table (22901) and margin icons are the text view's
// own resources and are not added.
void AddToResourceModule(platform::ResourceModule& module, int32_t scale);

} // namespace app
