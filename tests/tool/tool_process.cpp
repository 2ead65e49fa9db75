#include "tool_process.h"

#include "support/journal_damage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tqxml {
namespace {

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

std::vector<std::string> ToolRun::ErrorLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string ToolPath() {
    const char* dir = std::getenv("TQXML_BUILD_DIR");
    return std::string(dir ? dir : "build") + "/tqxml";
}

namespace {

// Starts the command with standard input from /dev/null, standard error into
// a file and standard output into a file or onto `outputFd`.
pid_t Spawn(const std::vector<std::string>& args, const std::string& outPath, int outputFd,
            const std::string& errPath, const std::string& input = "/dev/null") {
    const std::string program = ToolPath();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv = Argv(program, args);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << "cannot start " << program;
    return spawned == 0 ? pid : -1;
}

} // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch,
                const std::string& input) {
    const std::string outPath = scratch + "/tool.out";
    const std::string errPath = scratch + "/tool.err";
    ToolRun run;
    const pid_t pid = Spawn(args, outPath, -1, errPath, input);
    if (pid < 0) return run;
    run.exitCode = WaitFor(pid);
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    return run;
}

ToolRun RunToolAndInterrupt(const std::vector<std::string>& args, const std::string& scratch) {
    const std::string errPath = scratch + "/tool.err";
    ToolRun run;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe";
        return run;
    }
    const pid_t pid = Spawn(args, {}, pipeEnds[1], errPath);
    ::close(pipeEnds[1]);
    if (pid < 0) {
        ::close(pipeEnds[0]);
        return run;
    }
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (run.out.empty()) ::kill(pid, SIGINT);
        run.out.append(chunk, static_cast<size_t>(got));
    }
    ::close(pipeEnds[0]);
    run.exitCode = WaitFor(pid);
    run.err = ReadText(errPath);
    return run;
}

} // namespace tqxml
