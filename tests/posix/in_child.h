#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

// Runs `body` in a child process and returns the text it returned. The
// child may lower its limits without touching the suite's, and it is killed
// after `seconds`: code that blocks fails its test instead of hanging it.
template <typename Body>
std::string InChild(const Body& body, unsigned seconds = 20) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        alarm(seconds);
        const std::string text = body();
        [[maybe_unused]] const ssize_t written = write(pipeEnds[1], text.data(), text.size());
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t count; (count = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
        return WTERMSIG(status) == SIGALRM ? "blocked" : "killed by signal";
    }
    return text;
}
