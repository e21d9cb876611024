// The application's settings store, reachable from every window as the classic framework's
// application object offers it: the application sets it once at start-up. Until then (and in
// tests that set none) readers take their defaults and writes go nowhere.
#pragma once

#include "platform/profile.h"

namespace platform {

Profile* AppProfile();
// Not owned; the caller keeps it alive while it is set.
void SetAppProfile(Profile* profile);

} // namespace platform
