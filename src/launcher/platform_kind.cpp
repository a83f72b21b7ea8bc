#include "launcher/platform_kind.h"

#include <sys/utsname.h>

#include <cstdio>

namespace ov {

namespace {

struct PlatformInfo {
    PlatformKind kind = PlatformKind::Linux;
    int major = 0;
    int minor = 0;
};

PlatformInfo Detect() {
    PlatformInfo info;
    utsname name{};
    // The kind does not depend on it; only the version numbers stay 0 when uname fails.
    if (::uname(&name) == 0 && std::sscanf(name.release, "%d.%d", &info.major, &info.minor) != 2) {
        info.major = 0;
        info.minor = 0;
    }
    return info;
}

}  // namespace

PlatformKind GetPlatformKind(int* major, int* minor) {
    static const PlatformInfo info = Detect();  // initialised once, thread-safe
    if (major) {
        *major = info.major;
    }
    if (minor) {
        *minor = info.minor;
    }
    return info.kind;
}

}  // namespace ov
