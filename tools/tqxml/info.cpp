#include "info.h"

#include "convert/job_report.h"
#include "diagnostics.h"
#include "platform/file.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>
#include <unistd.h>

namespace tqxml::tool {
namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

std::string Printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

void Print(std::FILE* out, const char* heading, const std::string& text) {
    std::fprintf(out, "%-14s%s\n", heading, text.c_str());
}

void WriteReport(std::FILE* out, const std::string& path, const JobReport& report) {
    const dbAccess_Statistics& stats = report.statistics;
    const dbAccess_OpenStatus status = report.status;
    Print(out, "job", path + " (" + std::to_string(stats.FileSize) + " bytes)");
    if (report.HeaderRead()) {
        const filehdr_Header& header = stats.Header;
        const std::string text = header.Identification.IsEmpty()
                                     ? "no identification text (old form)"
                                     : "\"" + Printable(header.Identification.View()) + "\"";
        Print(out, "header",
              text + ", type " + std::to_string(header.Type) + " (" + FileTypeText(header.Type) +
                  "), version " + VersionText(header));
    }
    if (report.JournalRead()) {
        std::string entries = std::to_string(stats.EntriesRead) + " read";
        if (stats.ManualRepairs)
            entries += ", " + std::to_string(stats.ManualRepairs) + " removed by hand (skipped)";
        if (stats.ForeignEntriesSkipped)
            entries += ", " + std::to_string(stats.ForeignEntriesSkipped) + " foreign (skipped)";
        Print(out, "entries", entries);
        Print(out, "transactions",
              std::to_string(stats.TransactionsApplied) + " applied, " +
                  std::to_string(stats.TransactionsDroppedTotal()) + " dropped");
        for (int reason = 0; reason < DROP_ReasonCount; ++reason)
            if (stats.TransactionsDropped[reason])
                Print(out, "",
                      std::to_string(stats.TransactionsDropped[reason]) + " " +
                          DropReasonText(reason));
        for (size_t i = 0; i < stats.Gaps.size(); ++i)
            Print(out, i == 0 ? "salvage" : "", GapText(stats.Gaps[i], stats.FileSize));
        if (stats.StopStatus == ENTRY_Damaged)
            Print(out, "replay",
                  "stopped at the damaged entry at " + Hex(stats.StopPosition) + ": " +
                      DamageText(stats.Damage));
        else
            Print(out, "replay", "read to the end of the journal at " + Hex(stats.StopPosition));
        Print(out, "", "last complete transaction ends at " + Hex(stats.CommittedPosition));
        if (stats.MissingTargets)
            Print(out, "",
                  std::to_string(stats.MissingTargets) +
                      " entries for records no longer there (skipped)");
        if (stats.DbidDiscontinuities)
            Print(out, "",
                  std::to_string(stats.DbidDiscontinuities) + " gaps in the record identifiers");
        if (stats.EntriesWithBytesLeft)
            Print(out, "",
                  std::to_string(stats.EntriesWithBytesLeft) +
                      " entries with bytes after their record (ignored)");
        if (stats.EntriesRejected)
            Print(out, "",
                  std::to_string(stats.EntriesRejected) +
                      " entries with an action their record does not take");
    }
    if (report.Opened()) {
        Print(out, "records", std::to_string(stats.RecordsChained) + " in the chain");
        for (const auto& [type, name, count] : report.records) {
            char line[128];
            std::snprintf(line, sizeof line, "%8u  %s", count,
                          *name ? name : ("type " + std::to_string(type)).c_str());
            Print(out, "", line);
        }
    }
    Print(out, "open status", std::to_string(status) + ", " + OpenStatusText(status));
}

} // namespace

int RunInfo(const Options& options, Console& console) {
    int exitCode = EXIT_Done;
    bool first = true;
    for (const std::string& path : options.jobs) {
        int code = EXIT_Done;
        const std::string& source = SourceOf(options, path);
        JobDiagnostics diagnostics(console, path, options.verbose);
        const ScopedThreadEnvironment scope(&diagnostics);
        if (!file_Class(Str(source.c_str())).Exists()) {
            console.Error(path, "no such job file");
            code = EXIT_JobMissing;
        } else {
            // One job at a time: a second core, where there is one, checks the
            // journal ahead of its replay.
            const JobReport report =
                ReadJobReport(Str(source.c_str()), std::thread::hardware_concurrency() >= 2,
                              options.salvage);
            if (!first) std::fputc('\n', stdout);
            first = false;
            WriteReport(stdout, path, report);
            std::fflush(stdout);
            if (!report.Opened()) {
                console.Error(path, DescribeOpenFailure(source));
                code = EXIT_JobUnreadable;
            }
        }
        if (exitCode == EXIT_Done) exitCode = code;
    }
    return exitCode;
}

} // namespace tqxml::tool
