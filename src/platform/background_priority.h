#pragma once

// Lets work on this thread, and on the threads it starts from now on, give
// way to the program's window: it runs on the cores the window leaves idle.
void RunAtBackgroundPriority();
