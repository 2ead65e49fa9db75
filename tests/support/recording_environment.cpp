#include "support/recording_environment.h"

#include <algorithm>

namespace tqxml {

RecordingEnvironment::RecordingEnvironment() : scope_(this) {}

RecordingEnvironment::~RecordingEnvironment() = default;

bool RecordingEnvironment::HasAssertion(const std::string& text) const {
    return std::find(assertions.begin(), assertions.end(), text) != assertions.end();
}

void RecordingEnvironment::LogMessage(const char* text) {
    logs.emplace_back(text ? text : "");
}

void RecordingEnvironment::ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                                             const char* fileName) {
    systemErrors.push_back(std::string(fileName ? fileName : "") + ": error " +
                           std::to_string(errorCode) + " (" + (sourceFile ? sourceFile : "") + ":" +
                           std::to_string(line) + ")");
}

void RecordingEnvironment::ReportAssertion(const char* expression, const char* sourceFile,
                                           int line) {
    (void)sourceFile, (void)line;
    assertions.emplace_back(expression ? expression : "");
}

} // namespace tqxml
