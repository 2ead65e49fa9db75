#include "diagnostics.h"

#include <cstring>
#include <utility>

namespace tqxml::tool {
namespace {

constexpr const char kLargeFileCheck[] = "size < 0x7FFFFFFF";

} // namespace

JobDiagnostics::JobDiagnostics(Console& console, std::string jobName, bool print)
    : console_(console), jobName_(std::move(jobName)), print_(print) {}

void JobDiagnostics::Print(const std::string& text) {
    if (print_) console_.Line(jobName_ + ": " + text);
}

void JobDiagnostics::LogMessage(const char* text) {
    ++reports_;
    ++logLines_;
    Print(text ? text : "");
}

void JobDiagnostics::ReportSystemError(const char* sourceFile, int line, uint32_t errorCode,
                                       const char* fileName) {
    ++reports_;
    if (!print_) return;
    Print(std::string("system error on ") + (fileName ? fileName : "?") + ": " +
          std::strerror(static_cast<int>(errorCode)) + " (" + (sourceFile ? sourceFile : "?") +
          ":" + std::to_string(line) + ")");
}

void JobDiagnostics::ReportAssertion(const char* expression, const char* sourceFile, int line) {
    ++reports_;
    if (!print_) return;
    // The file layer checks that a file it opens is below 2 GiB, the most the
    // field software writes; the library reads a larger job (to 4 GiB) all
    // the same, so that check is told as what it means, not as a fault.
    if (expression && std::strcmp(expression, kLargeFileCheck) == 0) {
        Print("note: the job file is 2 GiB or larger, more than the field software writes; it "
              "is read all the same");
        return;
    }
    Print(std::string("internal check failed: ") + (expression ? expression : "?") + " (" +
          (sourceFile ? sourceFile : "?") + ":" + std::to_string(line) + ")");
}

} // namespace tqxml::tool
