// What the page's worker calls in the WebAssembly module: the conversion of
// one job held in the module's in-memory files, the report that --info
// prints (as JSON, for the page to lay out), the reason a job cannot be
// opened, and the transcoding of a document's texts.
//
// Cancel: the worker runs the conversion as one call, so it sees the page's
// messages only when that call lets it. Every tenth of a second the progress
// callback pauses the conversion (Asyncify unwinds it to the worker's event
// loop and winds it back), hands on the progress, and the answer says
// whether Cancel was pressed meanwhile; a cancelled run stops through the
// callback like any other, so it leaves the export's own prefix.
#include "base/environment.h"
#include "convert/export.h"
#include "convert/job_report.h"
#include "convert/transcode.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tqxml;

// How often, at most, the conversion lets the worker's event loop run.
constexpr double kPauseEveryMs = 100;

// The callback has no pointer of its own: one conversion at a time.
struct Run {
    uint32_t recordsWritten = 0;
    uint32_t journalReports = 0;
    bool writeFailed = false;
    double lastPause = 0;
    std::string gaps; // JSON: what salvage skipped, in words
} g_run;

// Counts what the journal reports while it is read (damage, repairs).
class JournalReports final : public Environment {
public:
    void LogMessage(const char*) override { ++g_run.journalReports; }
};

// Resolves to 1 when the page asked to cancel while the conversion paused.
EM_ASYNC_JS(int, PauseConversion, (double recordsWritten, int percent),
            { return await Module["pauseConversion"](recordsWritten, percent); });

unsigned char OnRecordWritten(int percent) {
    ++g_run.recordsWritten;
    if (g_run.recordsWritten % 64 != 0) return 1; // the clock is read now and then
    if (emscripten_get_now() - g_run.lastPause < kPauseEveryMs) return 1;
    const bool cancel = PauseConversion(g_run.recordsWritten, percent) != 0;
    g_run.lastPause = emscripten_get_now();
    return cancel ? 0 : 1;
}

// A small JSON writer for the report; the library's texts are ASCII.
class Json {
public:
    Json& Key(const char* key) {
        Separate();
        Quote(key);
        text_ += ':';
        afterKey_ = true;
        return *this;
    }
    Json& Number(double value) {
        Separate();
        char number[32];
        std::snprintf(number, sizeof number, "%.17g", value);
        text_ += number;
        return *this;
    }
    Json& Bool(bool value) {
        Separate();
        text_ += value ? "true" : "false";
        return *this;
    }
    Json& String(std::string_view value) {
        Separate();
        Quote(value);
        return *this;
    }
    Json& Raw(std::string_view json) {
        Separate();
        text_ += json;
        return *this;
    }
    Json& Open(char bracket) {
        Separate();
        text_ += bracket;
        first_ = true;
        return *this;
    }
    Json& Close(char bracket) {
        text_ += bracket;
        first_ = false;
        return *this;
    }
    const std::string& Text() const { return text_; }

private:
    void Separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (!first_) text_ += ',';
        first_ = false;
    }
    void Quote(std::string_view value) {
        text_ += '"';
        for (const unsigned char c : value) {
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += static_cast<char>(c);
            } else if (c < 0x20 || c >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                text_ += escaped;
            } else {
                text_ += static_cast<char>(c);
            }
        }
        text_ += '"';
    }

    std::string text_;
    bool first_ = true;
    bool afterKey_ = false;
};

// The gaps that salvage skipped, each in one line, as a JSON array.
std::string GapsJson(const std::vector<dbJournal_Gap>& gaps, uint32_t fileSize) {
    Json json;
    json.Open('[');
    for (const dbJournal_Gap& gap : gaps)
        json.String(GapText(gap, fileSize));
    json.Close(']');
    return json.Text();
}

std::string ReportJson(const char* path, bool salvage) {
    const JobReport report = ReadJobReport(Str(path), false, salvage);
    const dbAccess_Statistics& stats = report.statistics;
    Json json;
    json.Open('{');
    json.Key("status").Number(report.status);
    json.Key("statusText").String(OpenStatusText(report.status));
    json.Key("fileSize").Number(stats.FileSize);
    json.Key("headerRead").Bool(report.HeaderRead());
    json.Key("journalRead").Bool(report.JournalRead());
    json.Key("opened").Bool(report.Opened());
    if (report.HeaderRead()) {
        const filehdr_Header& header = stats.Header;
        // The identification's bytes, for the page to show as --info does.
        json.Key("identification").Open('[');
        for (const unsigned char c : header.Identification.View())
            json.Number(c);
        json.Close(']');
        json.Key("fileType").Number(header.Type);
        json.Key("fileTypeText").String(FileTypeText(header.Type));
        json.Key("version").String(VersionText(header));
    }
    if (report.JournalRead()) {
        json.Key("entriesRead").Number(stats.EntriesRead);
        json.Key("manualRepairs").Number(stats.ManualRepairs);
        json.Key("foreignEntriesSkipped").Number(stats.ForeignEntriesSkipped);
        json.Key("transactionsApplied").Number(stats.TransactionsApplied);
        json.Key("transactionsDropped").Number(stats.TransactionsDroppedTotal());
        json.Key("drops").Open('[');
        for (int reason = 0; reason < DROP_ReasonCount; ++reason) {
            if (!stats.TransactionsDropped[reason]) continue;
            json.Open('{');
            json.Key("count").Number(stats.TransactionsDropped[reason]);
            json.Key("reason").String(DropReasonText(reason));
            json.Close('}');
        }
        json.Close(']');
        json.Key("gaps").Raw(GapsJson(stats.Gaps, stats.FileSize));
        json.Key("stoppedAtDamage").Bool(stats.StopStatus == ENTRY_Damaged);
        json.Key("damageText").String(DamageText(stats.Damage));
        json.Key("stopPosition").Number(stats.StopPosition);
        json.Key("committedPosition").Number(stats.CommittedPosition);
        json.Key("missingTargets").Number(stats.MissingTargets);
        json.Key("dbidDiscontinuities").Number(stats.DbidDiscontinuities);
        json.Key("entriesWithBytesLeft").Number(stats.EntriesWithBytesLeft);
        json.Key("entriesRejected").Number(stats.EntriesRejected);
    }
    if (report.Opened()) {
        json.Key("recordsChained").Number(stats.RecordsChained);
        json.Key("records").Open('[');
        for (const auto& [type, name, count] : report.records) {
            json.Open('{');
            json.Key("type").Number(type);
            json.Key("name").String(name);
            json.Key("count").Number(count);
            json.Close('}');
        }
        json.Close(']');
    } else {
        json.Key("failure").String(DescribeOpenFailure(path));
    }
    json.Close('}');
    return json.Text();
}

} // namespace

extern "C" {

// The report of the job at `path` as JSON, read past damaged entries when
// `salvage` is set; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* tqxml_job_report(const char* path, int salvage) {
    static std::string json;
    json = ReportJson(path, salvage != 0);
    return json.c_str();
}

// Converts the job at `jobPath` into `xmlPath`, naming it `jobName` in the
// document and going on past damaged entries when `salvage` is set; the
// export's status. Called through Asyncify (it pauses).
EMSCRIPTEN_KEEPALIVE unsigned tqxml_convert(const char* jobPath, const char* xmlPath,
                                            const char* jobName, int salvage) {
    g_run = Run();
    g_run.lastPause = emscripten_get_now();
    JournalReports reports;
    const ScopedThreadEnvironment scope(&reports);
    ConversionOptions options;
    options.documentJobName = jobName;
    options.stopOnWriteFailure = true;
    options.salvage = salvage != 0;
    ConversionReport report;
    const unsigned status = ConvertJobFile(jobPath, xmlPath, &OnRecordWritten, options, &report);
    g_run.writeFailed = report.writeFailed;
    g_run.gaps = GapsJson(report.gaps, report.jobSize);
    return status;
}

// What the last conversion did besides its status.
EMSCRIPTEN_KEEPALIVE uint32_t tqxml_records_written() {
    return g_run.recordsWritten;
}
EMSCRIPTEN_KEEPALIVE uint32_t tqxml_journal_reports() {
    return g_run.journalReports;
}
EMSCRIPTEN_KEEPALIVE int tqxml_write_failed() {
    return g_run.writeFailed ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const char* tqxml_salvage_gaps() {
    return g_run.gaps.c_str();
}

// The document at `from` with its texts transcoded from `encoding`, written
// to `to`; 0, or the system's code of the failure.
EMSCRIPTEN_KEEPALIVE int tqxml_transcode(const char* from, const char* to, const char* encoding) {
    std::FILE* out = std::fopen(to, "wb");
    if (!out) return errno;
    int error = TranscodeDocument(
        from,
        [out](std::string_view bytes) {
            return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() ? 0 : EIO;
        },
        encoding);
    if (std::fclose(out) != 0 && error == 0) error = errno;
    return error;
}

} // extern "C"
