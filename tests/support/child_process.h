// A child process whose standard output comes back on a pipe, read to its
// end, and how the child ended.
#pragma once

#include <functional>
#include <string>

namespace tqxml {

struct ChildRun {
    int exitCode = -1; // 128 + the signal when the process was killed by one
    std::string out;
};

// Forks; the child sends its standard output to the pipe and runs `child`,
// which ends the process (exec or _exit); while the test runs threads of its
// own, `child` may make async-signal-safe calls only. With a `signal`, that
// signal goes to the child once the first bytes of its output have arrived.
ChildRun RunChild(const std::function<void()>& child, int signal = 0);

} // namespace tqxml
