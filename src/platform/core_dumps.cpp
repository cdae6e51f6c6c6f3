#include "platform/core_dumps.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#endif
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace qk::platform {

bool disableCoreDumps()
{
    bool done = true;
#if defined(__unix__) || defined(__APPLE__)
    const rlimit none{0, 0};
    done = setrlimit(RLIMIT_CORE, &none) == 0;
#endif
#if defined(__linux__)
    done = prctl(PR_SET_DUMPABLE, 0L, 0L, 0L, 0L) == 0 && done;
#endif
    return done;
}

}  // namespace qk::platform
