#include "base/environment.h"

#include <atomic>
#include <cstring>

namespace tqxml {
namespace {

Environment g_defaultEnvironment;
std::atomic<Environment*> g_processEnvironment{nullptr};
thread_local Environment* t_threadEnvironment = nullptr;

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

} // namespace

Environment* Environment::Get() {
    if (t_threadEnvironment) return t_threadEnvironment;
    Environment* env = g_processEnvironment.load(std::memory_order_acquire);
    return env ? env : &g_defaultEnvironment;
}

Environment* Environment::Set(Environment* env) {
    return g_processEnvironment.exchange(env, std::memory_order_acq_rel);
}

ScopedThreadEnvironment::ScopedThreadEnvironment(Environment* env)
    : previous_(t_threadEnvironment) {
    t_threadEnvironment = env;
}

ScopedThreadEnvironment::~ScopedThreadEnvironment() { t_threadEnvironment = previous_; }

void KeptReports::Keep(Report&& report) {
    report.mark = mark_;
    const std::lock_guard lock(mutex_);
    reports_.push_back(std::move(report));
    kept_.fetch_add(1, std::memory_order_release);
}

void KeptReports::LogMessage(const char* text) {
    Keep({0, Report::Log, text ? text : "", "", 0, 0});
}

void KeptReports::ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                                    const char* fileName) {
    Keep({0, Report::SystemError, fileName ? fileName : "", sourceFile ? sourceFile : "", line,
          errorCode});
}

void KeptReports::ReportAssertion(const char* expression, const char* sourceFile, int line) {
    Keep({0, Report::Assertion, expression ? expression : "", sourceFile ? sourceFile : "", line,
          0});
}

void KeptReports::ReportUpTo(uint64_t mark, Environment& to) {
    // Nothing new kept: the common case, without the lock.
    if (kept_.load(std::memory_order_acquire) == reported_) return;
    std::unique_lock lock(mutex_);
    while (!reports_.empty() && reports_.front().mark <= mark) {
        const Report report = std::move(reports_.front());
        reports_.pop_front();
        ++reported_;
        lock.unlock();
        switch (report.kind) {
        case Report::Assertion:
            to.ReportAssertion(report.text.c_str(), report.source.c_str(), report.line);
            break;
        case Report::Log:
            to.LogMessage(report.text.c_str());
            break;
        case Report::SystemError:
            to.ReportSystemError(report.source.c_str(), report.line, report.code,
                                 report.text.c_str());
            break;
        }
        lock.lock();
    }
}

void ReportAssertionAt(const char* expression, const char* sourceFile, int line) {
    Environment::Get()->ReportAssertion(expression, BaseName(sourceFile), line);
}

} // namespace tqxml
