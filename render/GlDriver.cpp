#include "render/GlDriver.h"

#ifdef VELMORA_SANITIZE
#include <dlfcn.h>
#endif

void keepGlDriverLoaded() {
#ifdef VELMORA_SANITIZE
    static const char* const drivers[] = {
        "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
        "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
        "swrast_dri.so",
    };
    for (const char* driver : drivers) {
        // The handle is kept on purpose: RTLD_NODELETE pins the library for the process lifetime.
        if (dlopen(driver, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) != nullptr) {
            return;
        }
    }
#endif
}
