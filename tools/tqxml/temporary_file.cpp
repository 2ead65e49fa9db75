#include "temporary_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tqxml::tool {
namespace {

// Names a signal handler may remove: a fixed table, each slot claimed by one
// file (free, being filled, ready). A file beyond the table is still removed
// by its object, just not by the handler.
enum SlotState : int { kFree, kFilling, kReady };
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
constexpr int kSlots = 64;
Slot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

int Claim(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state.store(kReady);
        return i;
    }
    return -1;
}

} // namespace

int TemporaryFile::Create(const char* kind, const char* suffix, std::string& error) {
    Remove();
    const char* variable = std::getenv("TMPDIR");
    const std::string directory = variable && *variable ? variable : "/tmp";
    std::string pattern = directory + "/tqxml-" + kind + "-XXXXXX" + suffix;
    const int fd = ::mkostemps(pattern.data(), static_cast<int>(std::strlen(suffix)), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot make a temporary file in " + directory + ": " + std::strerror(errno);
        return -1;
    }
    path_ = pattern;
    slot_ = Claim(path_);
    return fd;
}

void TemporaryFile::Remove() {
    if (slot_ >= 0) g_slots[slot_].state.store(kFree);
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
    slot_ = -1;
}

void RemoveTemporaryFilesNow() {
    for (Slot& slot : g_slots)
        if (slot.state.load() == kReady) ::unlink(slot.path);
}

} // namespace tqxml::tool
