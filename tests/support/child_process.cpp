#include "support/child_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tqxml {

ChildRun RunChild(const std::function<void()>& child, int signal) {
    ChildRun run;
    int pipeEnds[2];
    const pid_t pid = ::pipe2(pipeEnds, O_CLOEXEC) == 0 ? ::fork() : -1;
    if (pid < 0) {
        ADD_FAILURE() << "cannot start a child process";
        return run;
    }
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        child();
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char chunk[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], chunk, sizeof chunk)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        if (signal && run.out.empty()) ::kill(pid, signal);
        run.out.append(chunk, static_cast<size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

} // namespace tqxml
