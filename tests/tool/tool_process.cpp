#include "tool_process.h"

#include "support/journal_damage.h"

#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace tqxml {

ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch,
                const std::string& input, int signal) {
    const char* buildDir = std::getenv("TQXML_BUILD_DIR");
    const std::string program = std::string(buildDir ? buildDir : "build") + "/tqxml";
    const std::string errPath = scratch + "/tool.err";
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const auto redirectAndStart = [&] {
        if (input.empty()) ::close(0);
        else ::dup2(::open(input.c_str(), O_RDONLY | O_CLOEXEC), 0);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
        ::execv(program.c_str(), argv.data()); // on failure, 127 as from a shell
    };
    const ChildRun child = RunChild(redirectAndStart, signal);
    ToolRun run{child, ReadText(errPath), {}};
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        run.errorLines.push_back(line);
    return run;
}

} // namespace tqxml
