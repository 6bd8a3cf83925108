#include "bench/screen_reader_session.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

ScreenReaderSession::ScreenReaderSession(const std::string& display) {
    int in[2];
    int out[2];
    if (pipe(in) != 0) {
        return;
    }
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string script = VORPANE_SOURCE_DIR "/bench/screen-reader";
    std::string python = "/usr/bin/python3";
    std::string name = display;
    char* argv[] = {python.data(), script.data(), name.data(), nullptr};
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    // One line, the address, once Orca speaks; a minute at most.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::string line;
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd ready = {out[0], POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0) {
            continue;
        }
        char c = 0;
        if (read(out[0], &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            address_ = line;
            break;
        }
        line.push_back(c);
    }
    close(out[0]);
}

ScreenReaderSession::~ScreenReaderSession() {
    if (input_ >= 0) {
        close(input_);  // the helper ends Orca and the buses
    }
    if (pid_ > 0) {
        if (address_.empty()) {
            kill(pid_, SIGTERM);
        }
        waitpid(pid_, nullptr, 0);
    }
}
