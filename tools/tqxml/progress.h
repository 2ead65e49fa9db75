// Progress of the conversions and the way to stop them. The export's
// progress callback carries no user pointer, so each conversion thread names
// the job it works on with SetCurrentJob before it calls the export; the
// callback then counts records for that job and stops every run once a
// signal asked for it.
#pragma once

#include <tqxml/tqxml.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tqxml::tool {

// Written by the converting thread, read by the display.
struct JobProgress {
    std::atomic<uint64_t> records{0};
    std::atomic<int> percent{0};
    std::atomic<int> readingPercent{-1}; // of the journal read; -1 before and after
};

// Sets the job whose records the calling thread's callbacks count (null: none).
void SetCurrentJob(JobProgress* job);

// The export's progress callback: one call per record written; returns 0
// (stop) once an interrupt has been asked for.
unsigned char TQXML_CALL OnRecordWritten(int percent);
// The reading phase before it: how much of the journal has been read.
void OnJournalRead(uint64_t bytesRead, uint64_t journalBytes);

// Ctrl-C (SIGINT), SIGTERM or SIGHUP asks every running conversion to stop;
// a second one ends the process at once. The exit code of a run that was
// stopped is 128 + the signal, as a shell reports it.
void InstallInterruptHandler();
bool InterruptRequested();
int InterruptedExitCode();

// The progress line of a batch: records done, percent, rate.
class ProgressBoard {
public:
    // `label`: the job's name for one job; empty for a batch, which shows the
    // jobs finished instead.
    ProgressBoard(size_t jobs, std::string label);

    JobProgress& Job(size_t index) { return jobs_[index]; }
    void JobFinished() { finished_.fetch_add(1, std::memory_order_relaxed); }

    // The line as it stands now, at most `width` characters.
    std::string Render(size_t width) const;

private:
    size_t count_;
    std::unique_ptr<JobProgress[]> jobs_;
    std::atomic<size_t> finished_{0};
    std::string label_;
    std::chrono::steady_clock::time_point start_;
};

// Columns of the terminal on standard error (80 when unknown).
size_t TerminalWidth();

} // namespace tqxml::tool
