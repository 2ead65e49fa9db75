#include "diagnostics.h"

#include <cstring>
#include <utility>

namespace tqxml::tool {

JobDiagnostics::JobDiagnostics(Console& console, std::string jobName, bool print)
    : _Console(console), _JobName(std::move(jobName)), _Print(print) {}

void JobDiagnostics::Print(const std::string& text) {
    if (_Print) _Console.Line(_JobName + ": " + text);
}

void JobDiagnostics::LogMessage(const char* text) {
    ++_Reports;
    ++_LogLines;
    Print(text ? text : "");
}

void JobDiagnostics::ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                                       const char* fileName) {
    ++_Reports;
    if (!_Print) return;
    Print(std::string("system error on ") + (fileName ? fileName : "?") + ": " +
          std::strerror(static_cast<int>(errorCode)) + " (" + (sourceFile ? sourceFile : "?") +
          ":" + std::to_string(line) + ")");
}

void JobDiagnostics::ReportAssertion(const char* expression, const char* sourceFile, int line) {
    ++_Reports;
    if (!_Print) return;
    Print(std::string("internal check failed: ") + (expression ? expression : "?") + " (" +
          (sourceFile ? sourceFile : "?") + ":" + std::to_string(line) + ")");
}

} // namespace tqxml::tool
