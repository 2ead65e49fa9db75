#include "info.h"

#include "db/access.h"
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

const char* FileTypeName(uint8_t type) {
    switch (type) {
    case FILEHDR_JobJournal:
        return "job journal";
    case FILEHDR_Antenna:
        return "antenna file";
    case FILEHDR_Style:
        return "style file";
    default:
        return "unknown";
    }
}

std::string VersionText(const filehdr_Header& header) {
    return std::to_string(header.Version[0]) + "." + std::to_string(header.Version[1]) + "." +
           std::to_string(header.Version[2]);
}

const char* DamageText(dbJournal_Damage damage) {
    switch (damage) {
    case dbJournal_Damage::None:
        return "no damage";
    case dbJournal_Damage::LengthShortRead:
        return "the file ends inside its length field";
    case dbJournal_Damage::LengthUnbelievable:
        return "its length is outside 12 to 524288 bytes";
    case dbJournal_Damage::ShortRead:
        return "the file ends inside it";
    case dbJournal_Damage::Checksum:
        return "its checksum does not match";
    case dbJournal_Damage::Corruption:
        return "it holds an unknown action or record type";
    }
    return "unknown damage";
}

const char* DropReasonText(int reason) {
    switch (reason) {
    case DROP_Discarded:
        return "discarded when written";
    case DROP_Broken:
        return "begun without a start flag";
    case DROP_Interrupted:
        return "cut off by a new transaction";
    case DROP_UnfinishedAtEnd:
        return "unfinished at the end of the journal";
    case DROP_CutByDamage:
        return "cut by the damaged entry";
    default:
        return "other";
    }
}

const char* OpenStatusText(dbAccess_OpenStatus status) {
    switch (status) {
    case DBACCESS_Opened:
        return "opened, every transaction read cleanly";
    case DBACCESS_Damaged:
        return "opened up to a damaged entry; the records before it are there";
    case DBACCESS_CannotOpen:
        return "cannot open: no file, or no whole header";
    case DBACCESS_VersionDiffers:
        return "cannot open: another format version";
    case DBACCESS_NoJob:
        return "cannot open: not a job, or a job without records";
    }
    return "unknown";
}

void Print(std::FILE* out, const char* heading, const std::string& text) {
    std::fprintf(out, "%-14s%s\n", heading, text.c_str());
}

// The records of the chain by type, as the model counts them.
std::map<uint32_t, uint32_t> RecordsByType(const dbAccess& job) {
    std::map<uint32_t, uint32_t> counts;
    for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
        if (const uint32_t count = job.Model().CountOfType(type)) counts[type] = count;
    return counts;
}

void WriteReport(std::FILE* out, const std::string& path, const dbAccess& job, bool opened) {
    const dbAccess_Statistics& stats = job.Statistics();
    const dbAccess_OpenStatus status = job.GetOpenStatus();
    Print(out, "job", path + " (" + std::to_string(stats.FileSize) + " bytes)");
    if (status != DBACCESS_CannotOpen) {
        const filehdr_Header& header = stats.Header;
        const std::string text = header.Identification.IsEmpty()
                                     ? "no identification text (old form)"
                                     : "\"" + Printable(header.Identification.View()) + "\"";
        Print(out, "header",
              text + ", type " + std::to_string(header.Type) + " (" + FileTypeName(header.Type) +
                  "), version " + VersionText(header));
    }
    if (status == DBACCESS_Opened || status == DBACCESS_Damaged || status == DBACCESS_NoJob) {
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
    if (opened) {
        Print(out, "records", std::to_string(stats.RecordsChained) + " in the chain");
        for (const auto& [type, count] : RecordsByType(job)) {
            const char* name = RecordTypeName(type);
            char line[128];
            std::snprintf(line, sizeof line, "%8u  %s", count,
                          *name ? name : ("type " + std::to_string(type)).c_str());
            Print(out, "", line);
        }
    }
    Print(out, "open status", std::to_string(status) + ", " + OpenStatusText(status));
}

} // namespace

std::string DescribeOpenFailure(const std::string& path) {
    Environment silent;
    const ScopedThreadEnvironment scope(&silent);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return "is a directory, not a job file";
    if (!std::filesystem::is_regular_file(path, ec) && std::filesystem::exists(path, ec))
        return "is a device, not a job file";
    if (::access(path.c_str(), R_OK) != 0)
        return std::string("cannot read the job file: ") + std::strerror(errno);

    dbAccess job;
    job.Open(Str(path.c_str()), false);
    const filehdr_Header& header = job.Statistics().Header;
    switch (job.GetOpenStatus()) {
    case DBACCESS_CannotOpen:
        return "too short for a job file's 48-byte header";
    case DBACCESS_VersionDiffers:
        return "a job of format version " + VersionText(header) + "; this one reads " +
               VersionText(filehdr_Header::JobJournal());
    case DBACCESS_NoJob:
        if (header.Type != FILEHDR_JobJournal)
            return std::string("not a job file (file type ") + std::to_string(header.Type) + ", " +
                   FileTypeName(header.Type) + ")";
        return "the job holds no record";
    case DBACCESS_Opened:
    case DBACCESS_Damaged:
        break;
    }
    return "the job cannot be opened";
}

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
            dbAccess job;
            // One job at a time: a second core, where there is one, checks the
            // journal ahead of its replay.
            const bool opened =
                job.Open(Str(source.c_str()), false, std::thread::hardware_concurrency() >= 2);
            if (!first) std::fputc('\n', stdout);
            first = false;
            WriteReport(stdout, path, job, opened);
            std::fflush(stdout);
            if (!opened) {
                console.Error(path, DescribeOpenFailure(source));
                code = EXIT_JobUnreadable;
            }
        }
        if (exitCode == EXIT_Done) exitCode = code;
    }
    return exitCode;
}

} // namespace tqxml::tool
