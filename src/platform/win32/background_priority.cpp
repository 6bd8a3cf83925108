#include "platform/background_priority.h"

#include <windows.h>

void RunAtBackgroundPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}
