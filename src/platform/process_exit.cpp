#include "platform/process_exit.h"

#include <cstdlib>

void RuntimeProcessExit::Exit(int code) {
    std::exit(code);
}
