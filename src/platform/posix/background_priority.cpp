#include "platform/background_priority.h"

#include <sys/resource.h>
#include <unistd.h>

void RunAtBackgroundPriority() {
    // On Linux a nice value belongs to the thread, and threads started by it
    // inherit it. Failing to lower it costs only speed.
    [[maybe_unused]] const int ignored = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}
