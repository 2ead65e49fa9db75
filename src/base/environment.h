// The process-wide service object that receives every assertion, log line and
// failed system call of the library. The default one does nothing with them;
// a host (or a test, or the command-line tool) may install one that records
// or prints what it receives.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace tqxml {

class Environment {
public:
    virtual ~Environment() = default;

    // The operations, in the order of the service's table.
    virtual bool IsThreadSafe() { return true; }
    virtual void LogMessage(const char* text) { (void)text; }
    virtual void ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                                   const char* fileName) {
        (void)sourceFile, (void)line, (void)errorCode, (void)fileName;
    }
    virtual void ReportAssertion(const char* expression, const char* sourceFile, int line) {
        (void)expression, (void)sourceFile, (void)line;
    }

    // The object in force for the calling thread: the one installed for this
    // thread with ScopedThreadEnvironment, else the process-wide one, else the
    // default that ignores everything.
    static Environment* Get();

    // Installs `env` process-wide (null restores the default); returns the
    // previous one. Not for use while conversions run on other threads.
    static Environment* Set(Environment* env);
};

// Installs an Environment for the calling thread only, for as long as the
// object lives. Lets parallel conversions each report to their own sink.
class ScopedThreadEnvironment {
public:
    explicit ScopedThreadEnvironment(Environment* env);
    ~ScopedThreadEnvironment();
    ScopedThreadEnvironment(const ScopedThreadEnvironment&) = delete;
    ScopedThreadEnvironment& operator=(const ScopedThreadEnvironment&) = delete;

private:
    Environment* previous_;
};

// Keeps what is reported to it, each report with the mark that was set
// when it came, to report it again later, elsewhere: for work done on a
// second thread whose reports must reach the first thread's Environment in
// the order one thread would have made them.
class KeptReports final : public Environment {
public:
    // The mark of what is reported from now on.
    void Mark(uint64_t mark) { mark_ = mark; }
    // Reports everything kept with a mark up to `mark` to `to`, in order, and
    // forgets it. Safe while reports are still being kept on another thread.
    void ReportUpTo(uint64_t mark, Environment& to);

    void LogMessage(const char* text) override;
    void ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                           const char* fileName) override;
    void ReportAssertion(const char* expression, const char* sourceFile, int line) override;

private:
    struct Report {
        uint64_t mark;
        enum Kind { Assertion, Log, SystemError } kind;
        std::string text;   // expression or log line
        std::string source; // source file, or the failed file's name
        int line;
        uint32_t code;
    };
    void Keep(Report&& report);

    uint64_t mark_ = 0;
    std::mutex mutex_;
    std::deque<Report> reports_;
    std::atomic<uint64_t> kept_{0};
    uint64_t reported_ = 0;
};

// Reports an assertion with the source file's base name.
void ReportAssertionAt(const char* expression, const char* sourceFile, int line);

} // namespace tqxml

// TQ_ASSERT(cond): when cond is false, reports "cond" as written, the source
// file and the line; the caller goes on either way and must itself keep every
// access in bounds. TQ_ASSERT_TEXT reports a given expression text instead.
#define TQ_ASSERT(cond)                                                                            \
    ((cond) ? (void)0 : ::tqxml::ReportAssertionAt(#cond, __FILE__, __LINE__))
#define TQ_ASSERT_TEXT(cond, text)                                                                 \
    ((cond) ? (void)0 : ::tqxml::ReportAssertionAt(text, __FILE__, __LINE__))
#define TQ_FAIL(text) ::tqxml::ReportAssertionAt(text, __FILE__, __LINE__)
