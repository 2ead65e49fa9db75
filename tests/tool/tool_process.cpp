#include "tool_process.h"

#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace tqxml {

ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch,
                const std::string& input, bool interrupt) {
    const char* buildDir = std::getenv("TQXML_BUILD_DIR");
    const std::string program = std::string(buildDir ? buildDir : "build") + "/tqxml";
    const std::string errPath = scratch + "/tool.err";
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    ToolRun run;
    int pipeEnds[2];
    const pid_t pid = ::pipe2(pipeEnds, O_CLOEXEC) == 0 ? ::fork() : -1;
    if (pid < 0) {
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    if (pid == 0) { // the child: async-signal-safe calls only, as a test may run threads
        ::dup2(::open(input.c_str(), O_RDONLY | O_CLOEXEC), 0);
        ::dup2(pipeEnds[1], 1);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
        ::execv(program.c_str(), argv.data());
        ::_exit(127); // not started, as a shell says it
    }
    ::close(pipeEnds[1]);
    char chunk[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], chunk, sizeof chunk)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        if (interrupt && run.out.empty()) ::kill(pid, SIGINT);
        run.out.append(chunk, static_cast<size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = ReadText(errPath);
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        run.errorLines.push_back(line);
    return run;
}

} // namespace tqxml
