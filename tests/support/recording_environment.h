// RecordingEnvironment: an Environment for tests that keeps what the library
// reports. It installs itself for the calling thread while it lives.
#pragma once

#include "base/environment.h"

#include <string>
#include <vector>

namespace tqxml {

class RecordingEnvironment : public Environment {
public:
    RecordingEnvironment();
    ~RecordingEnvironment() override;
    RecordingEnvironment(const RecordingEnvironment&) = delete;
    RecordingEnvironment& operator=(const RecordingEnvironment&) = delete;

    // Assertion expression texts, exactly as reported.
    std::vector<std::string> assertions;
    // Log lines, exactly as reported.
    std::vector<std::string> logs;
    // One line per failed system call: "<file name>: error <code> (<source>:<line>)".
    std::vector<std::string> systemErrors;

    bool HasAssertion(const std::string& text) const;

    void LogMessage(const char* text) override;
    void ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                           const char* fileName) override;
    void ReportAssertion(const char* expression, const char* sourceFile, int line) override;

private:
    ScopedThreadEnvironment scope_;
};

} // namespace tqxml
