// A module's resources as plain data: accelerator tables and bitmaps by numeric id. The
// application fills one; windows load from it (a view asks for its accelerator table and its
// margin icon strip by id).
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "platform/accel.h"
#include "platform/surface.h"

namespace platform {

class ResourceModule {
public:
    void AddAccelerators(int32_t id, AccelTable table) { accelerators_[id] = std::move(table); }
    void AddBitmap(int32_t id, BitmapData bitmap) { bitmaps_[id] = std::move(bitmap); }

    // Null when the module has no resource of that id. The pointers stay valid until the entry
    // is replaced.
    const AccelTable* LoadAccelerators(int32_t id) const {
        auto it = accelerators_.find(id);
        return it == accelerators_.end() ? nullptr : &it->second;
    }
    const BitmapData* LoadBitmap(int32_t id) const {
        auto it = bitmaps_.find(id);
        return it == bitmaps_.end() ? nullptr : &it->second;
    }

private:
    std::map<int32_t, AccelTable> accelerators_;
    std::map<int32_t, BitmapData> bitmaps_;
};

} // namespace platform
