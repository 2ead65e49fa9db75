#include "console.h"

#include <cstdio>

namespace tqxml::tool {

void Console::ClearStatusLocked() {
    if (!statusShown_) return;
    std::fputs("\r\033[K", stderr);
    statusShown_ = false;
}

void Console::Line(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    line.append(text).push_back('\n');
    const std::lock_guard lock(mutex_);
    ClearStatusLocked();
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void Console::Error(std::string_view file, std::string_view reason) {
    std::string line = "tqxml: ";
    line.append(file).append(": ").append(reason);
    Line(line);
}

void Console::Status(std::string_view text) {
    if (!showsProgress_) return;
    std::string line = "\r";
    line.append(text).append("\033[K");
    const std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    statusShown_ = true;
}

void Console::ClearStatus() {
    const std::lock_guard lock(mutex_);
    ClearStatusLocked();
    std::fflush(stderr);
}

} // namespace tqxml::tool
