#include "progress.h"

#include "temporary_file.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tqxml::tool {
namespace {

// The signal that asked to stop (0: none yet).
std::atomic<int> g_interruptSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

thread_local JobProgress* t_currentJob = nullptr;

// The first signal asks every conversion to stop, and the run ends in
// order; a second one ends the process at once, as the signal does, with the
// temporary files removed first.
void OnInterrupt(int number) {
    int none = 0;
    if (g_interruptSignal.compare_exchange_strong(none, number)) return;
    RemoveTemporaryFilesNow();
    ::signal(number, SIG_DFL);
    ::raise(number);
}

} // namespace

void SetCurrentJob(JobProgress* job) {
    t_currentJob = job;
}

unsigned char TQXML_CALL OnRecordWritten(int percent) {
    if (InterruptRequested()) return 0;
    if (JobProgress* job = t_currentJob) {
        // Only this thread writes the job's counters; the display just reads.
        job->records.store(job->records.load(std::memory_order_relaxed) + 1,
                           std::memory_order_relaxed);
        job->percent.store(percent, std::memory_order_relaxed);
        job->readingPercent.store(-1, std::memory_order_relaxed);
    }
    return 1;
}

void OnJournalRead(uint64_t bytesRead, uint64_t journalBytes) {
    if (JobProgress* job = t_currentJob) {
        const uint64_t percent = journalBytes ? std::min<uint64_t>(bytesRead * 100 / journalBytes, 100) : 100;
        job->readingPercent.store(static_cast<int>(percent), std::memory_order_relaxed);
    }
}

void InstallInterruptHandler() {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigfillset(&action.sa_mask); // one handler at a time
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool InterruptRequested() {
    return g_interruptSignal.load(std::memory_order_relaxed) != 0;
}

int InterruptedExitCode() {
    const int signal = g_interruptSignal.load(std::memory_order_relaxed);
    return 128 + (signal ? signal : SIGINT);
}

ProgressBoard::ProgressBoard(size_t jobs, std::string label)
    : count_(jobs), jobs_(new JobProgress[jobs]), label_(std::move(label)),
      start_(std::chrono::steady_clock::now()) {}

std::string ProgressBoard::Render(size_t width) const {
    uint64_t records = 0;
    long percentSum = 0;
    int reading = -1; // one job's reading phase, shown while it writes nothing yet
    size_t readingJobs = 0;
    for (size_t i = 0; i < count_; ++i) {
        records += jobs_[i].records.load(std::memory_order_relaxed);
        percentSum += jobs_[i].percent.load(std::memory_order_relaxed);
        const int read = jobs_[i].readingPercent.load(std::memory_order_relaxed);
        if (read >= 0) reading = read, ++readingJobs;
    }
    const bool showReading = count_ == 1 && reading >= 0;
    const int percent = showReading ? reading
                        : count_    ? static_cast<int>(percentSum / static_cast<long>(count_))
                                    : 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(records) / seconds : 0;

    constexpr int kBarWidth = 20;
    char bar[kBarWidth + 1];
    const int filled = percent * kBarWidth / 100;
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';

    std::string prefix = label_;
    if (prefix.empty())
        prefix = std::to_string(finished_.load(std::memory_order_relaxed)) + "/" +
                 std::to_string(count_) + " jobs";
    char numbers[160];
    int used = std::snprintf(numbers, sizeof numbers, " [%s] %3d%%", bar, percent);
    const auto rest = [&] { return sizeof numbers - static_cast<size_t>(used); };
    if (showReading) {
        std::snprintf(numbers + used, rest(), "  reading the journal");
    } else {
        used += std::snprintf(numbers + used, rest(), "  %llu records  %.0f records/s",
                              static_cast<unsigned long long>(records), rate);
        if (readingJobs > 0) std::snprintf(numbers + used, rest(), "  (%zu reading)", readingJobs);
    }
    // A long job name gives way to the numbers: its start is cut off.
    const std::string_view tail = numbers;
    const size_t room = width > 1 ? width - 1 : std::string::npos;
    if (prefix.size() + tail.size() > room) {
        const size_t keep = room > tail.size() + 3 ? room - tail.size() - 3 : 0;
        prefix = keep ? "..." + prefix.substr(prefix.size() - keep) : std::string();
    }
    std::string line = prefix;
    line.append(tail);
    if (line.size() > room) line.resize(room);
    return line;
}

size_t TerminalWidth() {
    struct winsize size = {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

} // namespace tqxml::tool
