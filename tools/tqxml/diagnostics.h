// What the library reports while it works on one job (the journal's
// diagnostics, internal checks, failed system calls), kept for that job: with
// --verbose each report becomes a line on standard error prefixed by the job
// name. Installed for the converting thread (and its formatting thread)
// only, so parallel conversions report separately.
#pragma once

#include "base/environment.h"
#include "console.h"

#include <atomic>
#include <string>

namespace tqxml::tool {

class JobDiagnostics : public Environment {
public:
    JobDiagnostics(Console& console, std::string jobName, bool print);

    // Reports received, and among them the log lines (journal diagnostics).
    unsigned Reports() const { return reports_; }
    unsigned LogLines() const { return logLines_; }

    void LogMessage(const char* text) override;
    void ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                           const char* fileName) override;
    void ReportAssertion(const char* expression, const char* sourceFile, int line) override;

private:
    void Print(const std::string& text);

    Console& console_;
    std::string jobName_;
    bool print_;
    // A conversion that formats ahead reports from two threads.
    std::atomic<unsigned> reports_{0};
    std::atomic<unsigned> logLines_{0};
};

} // namespace tqxml::tool
