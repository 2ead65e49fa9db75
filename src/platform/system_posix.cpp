// The system services of system.h over POSIX.
#include "platform/system.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace tqxml {

LocalDateTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    LocalDateTime result;
    if (localtime_r(&now, &local) == nullptr) return result;
    result.year = local.tm_year + 1900;
    result.month = local.tm_mon + 1;
    result.day = local.tm_mday;
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec;
    return result;
}

uint32_t MillisecondTicks() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    // Only the low 32 bits count, as with a wrapping tick counter.
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

Str CurrentDirectory() {
    char path[4096];
    return ::getcwd(path, sizeof path) ? Str(path) : Str();
}

Str TemporaryDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    return Str(tmp && *tmp ? tmp : "/tmp");
}

} // namespace tqxml
