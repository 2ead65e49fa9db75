// Runs the built tqxml command as a child process, the way a shell or a
// script does, and keeps what it wrote and how it ended.
#pragma once

#include "support/child_process.h"

#include <string>
#include <vector>

namespace tqxml {

struct ToolRun : ChildRun {
    std::string err;
    std::vector<std::string> errorLines; // err, line by line
};

// Runs TQXML_BUILD_DIR/tqxml with `args`, standard input from `input`,
// standard output on a pipe read to its end and standard error into a file in
// `scratch` (an empty `input`: standard input closed). With a `signal`, that
// signal goes to the command once the first bytes of its output have
// arrived: the conversion is under way then and cannot have finished, as the
// pipe is not yet drained.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch,
                const std::string& input = "/dev/null", int signal = 0);

} // namespace tqxml
