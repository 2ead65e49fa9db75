// tqxml._core: the conversion and the job report, for the Python package
// around it (tqxml/__init__.py), which turns what these return into
// exceptions. The work runs with the interpreter's lock released, so that
// threads converting different jobs run at the same time; the lock is taken
// again only when the percentage done changes, to call the progress
// callback and to let a signal (Ctrl-C) stop the run.
#include "base/environment.h"
#include "convert/export.h"
#include "convert/job_report.h"
#include "convert/output_failure.h"
#include "convert/transcode.h"
#include "platform/file.h"
#include "text/unistr.h"

#include <pybind11/pybind11.h>

#include <atomic>
#include <cerrno>
#include <exception>
#include <optional>
#include <string>

namespace py = pybind11;

namespace tqxml::python {
namespace {

// Text for Python from the system's words, which need not be UTF-8.
py::str Text(const std::string& text) {
    PyObject* decoded =
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    if (decoded == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

// One conversion on its thread. The library's progress callback takes no
// pointer of the caller's, so the callback finds the run through the thread.
struct Run {
    py::object progress; // None: no callback
    int lastPercent = -1;
    bool cancelled = false;   // the callback answered false
    std::exception_ptr error; // raised by the callback or by a signal's handler

    // With the lock held: whether to go on.
    bool Report(int percent) {
        try {
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
            if (progress.is_none()) return true;
            const py::object answer = progress(percent);
            if (answer.is_none() || py::bool_(answer)) return true;
            cancelled = true;
        } catch (...) {
            error = std::current_exception();
        }
        return false;
    }
    bool SignalArrived() {
        py::gil_scoped_acquire lock;
        try {
            if (PyErr_CheckSignals() == 0) return false;
            throw py::error_already_set();
        } catch (...) {
            error = std::current_exception();
        }
        return true;
    }
};
thread_local Run* t_run = nullptr;

// Called after every record; Python hears of each new percentage once.
unsigned char TQXML_CALL OnRecordWritten(int percent) {
    Run* run = t_run;
    if (run == nullptr || percent == run->lastPercent) return 1;
    run->lastPercent = percent;
    py::gil_scoped_acquire lock;
    return run->Report(percent) ? 1 : 0;
}

// Counts the journal's diagnostics of the conversion on this thread: any
// means the job is damaged or incomplete, and the document holds less.
class JournalLines final : public Environment {
public:
    void LogMessage(const char*) override { lines_.fetch_add(1, std::memory_order_relaxed); }
    unsigned Count() const { return lines_.load(std::memory_order_relaxed); }

private:
    std::atomic<unsigned> lines_{0};
};

// The library's document at `from`, transcoded into `output`, which takes
// the place of an earlier file as the library's own output does.
unsigned Transcode(const std::string& from, const std::string& output, const std::string& encoding,
                   Run& run, ConversionReport& report) {
    file_Class document(HostToUtf8(output.c_str()));
    if (!document.Replace()) {
        report.outputError = document.LastError();
        return TQXML_OutputFailed;
    }
    return TranscodeIntoFile(
        from, document, encoding, [&run] { return run.SignalArrived(); }, report);
}

struct Outcome {
    unsigned status;
    ConversionReport report;
    unsigned journalLines;
};

// The conversion proper, without the interpreter's lock. With an encoding
// the library writes into `temporary`, which is then transcoded.
Outcome ConvertUnlocked(const std::string& job, const std::string& output,
                        const std::string& encoding, const std::string& temporary, bool salvage,
                        Run& run) {
    JournalLines lines;
    const ScopedThreadEnvironment scope(&lines);
    Run* const outer = t_run; // a conversion started by another's callback
    t_run = &run;
    ConversionOptions choices;
    choices.stopOnWriteFailure = true;
    choices.salvage = salvage;
    Outcome outcome{};
    const std::string& destination = encoding.empty() ? output : temporary;
    outcome.status = ConvertJobFile(job.c_str(), destination.c_str(), &OnRecordWritten, choices,
                                    &outcome.report);
    t_run = outer;
    if (!encoding.empty() && (outcome.status == TQXML_Done || outcome.status == TQXML_Stopped) &&
        !outcome.report.writeFailed) {
        const unsigned finished = Transcode(temporary, output, encoding, run, outcome.report);
        if (finished != TQXML_Done) outcome.status = finished;
    }
    outcome.journalLines = lines.Count();
    return outcome;
}

// None when the document was written completely from an undamaged job;
// else (kind, reason), which the package raises or warns of. An exception
// of the callback (or of a signal's handler) is raised here.
py::object Convert(const std::string& job, const std::string& output, py::object progress,
                   const std::string& encoding, const std::string& temporary, bool salvage) {
    Run run;
    run.progress = std::move(progress);
    Outcome outcome;
    {
        py::gil_scoped_release unlocked;
        outcome = ConvertUnlocked(job, output, encoding, temporary, salvage, run);
    }
    if (run.error) std::rethrow_exception(run.error);
    const auto result = [](const char* kind, const std::string& reason) {
        return py::make_tuple(kind, Text(reason));
    };
    if (outcome.report.writeFailed && outcome.status != TQXML_Stopped) {
        std::string reason;
        {
            py::gil_scoped_release unlocked;
            reason = DiscardIncompleteDocument(output, outcome.report.outputError);
        }
        return result("write_failed", reason);
    }
    switch (outcome.status) {
    case TQXML_Done:
        if (!outcome.report.gaps.empty()) {
            std::string gaps;
            for (const dbJournal_Gap& gap : outcome.report.gaps)
                gaps += (gaps.empty() ? "salvaged: " : "; salvaged: ") +
                        GapText(gap, outcome.report.jobSize);
            return result("damaged", gaps);
        }
        if (outcome.journalLines == 0) return py::none();
        return result("damaged", "the journal is damaged or incomplete; the document holds what "
                                 "could be read (tqxml.info tells more)");
    case TQXML_Stopped:
        return result("cancelled", "stopped by the progress callback");
    case TQXML_JobMissing:
        return result("job_missing", "no such job file");
    case TQXML_JobUnreadable: {
        std::string reason;
        {
            py::gil_scoped_release unlocked;
            reason = DescribeOpenFailure(job);
        }
        return result("job_unreadable", reason);
    }
    case TQXML_OutputFailed:
        return result("output_failed", DescribeOutputFailure(output, outcome.report.outputError));
    default:
        return result("error", "conversion failed with status " + std::to_string(outcome.status));
    }
}

// The report of --info as a dict; None when there is no such file.
py::object Info(const std::string& path, bool salvage) {
    bool exists;
    JobReport report;
    std::string problem;
    {
        py::gil_scoped_release unlocked;
        exists = file_Class(Str(path.c_str())).Exists();
        if (exists) report = ReadJobReport(Str(path.c_str()), false, salvage);
        if (exists && !report.Opened()) problem = DescribeOpenFailure(path);
    }
    if (!exists) return py::none();
    const dbAccess_Statistics& stats = report.statistics;
    py::dict info;
    info["size"] = stats.FileSize;
    info["header"] = py::none();
    info["journal"] = py::none();
    info["records_chained"] = py::none();
    py::list records;
    if (report.HeaderRead()) {
        const filehdr_Header& header = stats.Header;
        py::dict fields;
        const std::string_view identification = header.Identification.View();
        fields["identification"] = py::reinterpret_steal<py::str>(PyUnicode_DecodeLatin1(
            identification.data(), static_cast<Py_ssize_t>(identification.size()), nullptr));
        fields["file_type"] = header.Type;
        fields["file_type_text"] = FileTypeText(header.Type);
        fields["version"] = VersionText(header);
        info["header"] = fields;
    }
    if (report.JournalRead()) {
        static constexpr const char* kDropKeys[DROP_ReasonCount] = {
            "discarded", "broken", "interrupted", "unfinished_at_end", "cut_by_damage"};
        static_assert(int(dbJournal_Damage::Corruption) == 5, "a key for each damage");
        static constexpr const char* kDamageKeys[] = {
            nullptr,      "length_short_read", "length_unbelievable",
            "short_read", "checksum",          "corruption"};
        py::dict dropped;
        for (int reason = 0; reason < DROP_ReasonCount; ++reason)
            dropped[kDropKeys[reason]] = stats.TransactionsDropped[reason];
        const bool damaged = stats.StopStatus == ENTRY_Damaged;
        py::dict replay;
        replay["stopped_at_damage"] = damaged;
        replay["position"] = stats.StopPosition;
        replay["damage"] =
            damaged ? py::object(py::str(kDamageKeys[int(stats.Damage)])) : py::none();
        replay["damage_text"] =
            damaged ? py::object(py::str(DamageText(stats.Damage))) : py::none();
        replay["committed_position"] = stats.CommittedPosition;
        py::dict journal;
        journal["entries_read"] = stats.EntriesRead;
        journal["entries_removed_by_hand"] = stats.ManualRepairs;
        journal["entries_foreign"] = stats.ForeignEntriesSkipped;
        journal["transactions_applied"] = stats.TransactionsApplied;
        journal["transactions_dropped"] = stats.TransactionsDroppedTotal();
        journal["dropped_by_reason"] = dropped;
        journal["replay"] = replay;
        journal["missing_targets"] = stats.MissingTargets;
        journal["identifier_gaps"] = stats.DbidDiscontinuities;
        journal["entries_with_bytes_left"] = stats.EntriesWithBytesLeft;
        journal["entries_rejected"] = stats.EntriesRejected;
        py::list gaps;
        for (const dbJournal_Gap& gap : stats.Gaps)
            gaps.append(py::dict(
                py::arg("position") = gap.Position,
                py::arg("damage") = kDamageKeys[int(gap.Damage)]
                                        ? py::object(py::str(kDamageKeys[int(gap.Damage)]))
                                        : py::object(py::none()),
                py::arg("resumed_at") =
                    gap.ResumedAt ? py::object(py::int_(gap.ResumedAt)) : py::object(py::none()),
                py::arg("bytes_skipped") = gap.BytesSkipped(stats.FileSize),
                py::arg("entries_read_after") = gap.EntriesRecovered,
                py::arg("text") = GapText(gap, stats.FileSize)));
        journal["salvage_gaps"] = gaps;
        info["journal"] = journal;
    }
    if (report.Opened()) {
        info["records_chained"] = stats.RecordsChained;
        for (const auto& [type, name, count] : report.records)
            records.append(
                py::dict(py::arg("type") = type,
                         py::arg("name") = *name ? py::object(py::str(name)) : py::none(),
                         py::arg("count") = count));
    }
    info["records"] = records;
    info["open_status"] = static_cast<int>(report.status);
    info["open_status_text"] = OpenStatusText(report.status);
    info["opened"] = report.Opened();
    info["problem"] = report.Opened() ? py::object(py::none()) : py::object(Text(problem));
    return info;
}

} // namespace
} // namespace tqxml::python

PYBIND11_MODULE(_core, module) {
    using namespace tqxml::python;
    module.doc() = "The converter behind the tqxml package; use the package's functions.";
    module.def("convert", &Convert, py::arg("job"), py::arg("output"), py::arg("progress"),
               py::arg("encoding"), py::arg("temporary"), py::arg("salvage"));
    module.def("info", &Info, py::arg("job"), py::arg("salvage"));
    module.def("is_known_text_encoding", &tqxml::IsKnownTextEncoding, py::arg("name"));
}
