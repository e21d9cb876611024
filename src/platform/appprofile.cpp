#include "platform/appprofile.h"

namespace platform {
namespace {

Profile* g_profile = nullptr;

} // namespace

Profile* AppProfile() {
    return g_profile;
}

void SetAppProfile(Profile* profile) {
    g_profile = profile;
}

} // namespace platform
