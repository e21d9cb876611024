#include "app/resources/resources.h"

namespace app {

void AddToResourceModule(platform::ResourceModule& module, int32_t scale) {
    if (const platform::AccelTable* table = FindAccelTable(IDR_MAINFRAME))
        module.AddAccelerators(IDR_MAINFRAME, *table);
    if (const ToolBarResource* toolbar = FindToolBar(IDR_MAINFRAME))
        module.AddBitmap(IDR_MAINFRAME, ToolBarStrip(*toolbar, scale));
}

} // namespace app
