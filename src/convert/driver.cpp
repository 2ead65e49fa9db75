#include "convert/driver.h"

#include "base/environment.h"
#include "convert/xml_fields.h"
#include "db/access.h"
#include "platform/file.h"
#include "records/all_records.h"
#include "xml/values.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tqxml {
namespace {

// The catalogue: for every record type, the writers of its fields from a
// record object and from its stored bytes (null where records of the type
// are written as "unknown", or are always read into an object first).
struct RecordWriters {
    void (*object)(StreamSink&, const dbRecord_Class&);
    void (*stored)(StreamSink&, const buffer_Class&, int32_t, const StoredRecordExtras&);
};

// Only chained records have an element of their own; measurements are
// written inside their observation, and the other categories never reach
// the chain as themselves.
template <class R> constexpr RecordWriters WritersFor() {
    if constexpr (R::kInfo.category != record_table::Plain || !HasDocumentForm<R>)
        return {nullptr, nullptr};
    else if constexpr (HasReadOwn<R>)
        return {&EmitMemberFields<R>, nullptr};
    else
        return {&EmitMemberFields<R>, &EmitStoredFields<R>};
}

constexpr RecordWriters kRecordWriters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags) WritersFor<className>(),
#include "records/record_types.def"
};

constexpr const char kRoot[] = "JOBFile";
constexpr int32_t kConverterVersion = 1220;
constexpr int32_t kConverterIncrement = 36;

// One `Note` per line: CR LF, LF CR and LF become CR, which then ends a line;
// a final break gives no empty line after it.
void EmitNoteLines(StreamSink& sink, std::string_view note) {
    if (note.empty()) return;
    static thread_local Str text; // kept between records: no allocation per note
    text.Truncate(0);
    text.Append(note.data(), static_cast<int32_t>(note.size()));
    text.ReplaceText("\r\n", "\r");
    text.ReplaceText("\n\r", "\r");
    text.ReplaceChar('\n', '\r');
    const std::string_view all = View(text);
    size_t start = 0;
    for (size_t end = all.find('\r'); end != std::string_view::npos; end = all.find('\r', start)) {
        sink.Leaf("Note", all.substr(start, end - start));
        start = end + 1;
    }
    if (start < all.size()) sink.Leaf("Note", all.substr(start));
}

// Begins a record's element, with `rec` where the type has a writer.
void BeginRecord(StreamSink& sink, db_DBIDValue id, uint32_t type, double timeStamp) {
    const bool written = HasRecordWriter(type);
    sink.Begin(written ? RecordTypeName(type) : "unknown", true);
    if (written) sink.Attribute("rec", RecordClassName(type));
    EmitRecordAttributes(sink, id, type, timeStamp);
}

// A chained record's element: straight from its stored bytes where it can
// be, else from the record read into an object.
void EmitChainedRecord(StreamSink& sink, const dbAccess& job, const dbModel_Node& node) {
    const RecordWriters& writers = kRecordWriters[node.Type];
    const dbModel_Changes* changes = job.Model().Changes(node);
    if (!writers.object || (writers.stored && (!changes || changes->List.empty()))) {
        BeginRecord(sink, node.RecordId, node.Type, job.TimeStampOf(node));
        if (writers.stored) {
            const buffer_Class bytes = job.RecordBytes(node.Entry);
            const StoredRecordParts parts = FindStoredParts(bytes, HasFeatureArray(node.Type));
            const bool withFeatures = parts.features >= 0;
            dbAccess::StoredPart descriptions, features;
            if (withFeatures) {
                descriptions = job.DescriptionsOf(node, parts);
                features = job.FeaturesOf(node, parts);
            }
            buffer_Class measurement;
            if (node.Measurement) measurement = job.RecordBytes(node.Measurement);
            const StoredRecordExtras extras{&descriptions.bytes, descriptions.at, &features.bytes,
                                            features.at,         features.count,
                                            node.Measurement ? &measurement : nullptr};
            writers.stored(sink, bytes, parts.fields, extras);
        }
        EmitNoteLines(sink, job.NoteOf(node));
        sink.End();
        return;
    }
    const std::unique_ptr<dbRecord_Class> record = job.ReadRecord(node);
    TQ_ASSERT_TEXT(record != nullptr, "dbRecord");
    if (!record) return;
    BeginRecord(sink, node.RecordId, node.Type, record->TimeStamp);
    writers.object(sink, *record);
    EmitNoteLines(sink, View(record->Note));
    sink.End();
}

} // namespace

bool HasRecordWriter(uint32_t type) {
    return type < DATABASE_AllRecords && kRecordWriters[type].object != nullptr;
}

void WriteRecord(StreamSink& sink, const dbRecord_Class& record) {
    const uint32_t type = record.GetType();
    BeginRecord(sink, record.RecordId, type, record.TimeStamp);
    if (HasRecordWriter(type)) kRecordWriters[type].object(sink, record);
    EmitNoteLines(sink, View(record.Note));
    sink.End();
}

namespace {

// The whole walk into `sink`: the document's start, each record, the end.
// After each record, `afterRecord(done)` says whether to go on; false stops
// the walk there, before the end is written.
template <class AfterRecord>
bool WalkDocument(StreamSink& sink, const Str& jobPath, const dbAccess& job,
                  AfterRecord&& afterRecord) {
    sink.BeginDocument(kRoot);
    char number[kValueTextSize];
    sink.Attribute("jobFilename", View(jobPath));
    sink.Attribute("version", {number, static_cast<size_t>(FormatInt(number, kConverterVersion) -
                                                           number)});
    sink.Attribute("increment",
                   {number, static_cast<size_t>(FormatInt(number, kConverterIncrement) - number)});
    const dbModel& model = job.Model();
    int64_t done = 0;
    for (uint32_t node = model.Front(); node != kNoNode; node = model.Node(node).Forward) {
        EmitChainedRecord(sink, job, model.Node(node));
        if (!afterRecord(++done)) return false;
    }
    sink.EndDocument();
    return true;
}

// What the calling thread does after each record: the progress report (the
// percentage in 64 bits: the same value for any job a 32-bit product could
// hold, and no overflow for larger ones) and the check of the output.
// TQXML_Done to go on.
unsigned AfterRecord(int64_t done, int64_t count, TQXMLProgressCallback progress,
                     const file_Class* output, bool stopOnWriteFailure) {
    if (progress && progress(static_cast<int>(done * 100 / count)) == 0) return TQXML_Stopped;
    if (stopOnWriteFailure && output && output->WriteError() != 0) return TQXML_OutputFailed;
    return TQXML_Done;
}

// The pieces of a document formatted ahead, from the formatting thread to
// the calling thread. Each piece is what the writer handed over at one of
// its flush points, tagged with the number of records complete before it;
// so the calling thread writes exactly the pieces that the walk on its own
// thread would have written by the end of each record. The calling thread
// sleeps until several pieces are ready, so that neither thread wakes the
// other for every record.
class AheadQueue final : public DocumentOutput {
public:
    struct Piece {
        Str text;
        int64_t before; // records complete when it was flushed
    };

    // Formatting thread: a flushed piece.
    void Take(Str& pending) override {
        std::unique_lock lock(mutex_);
        roomFreed_.wait(lock, [&] { return pieces_.size() < kMostPieces || stopped_; });
        Str piece;
        if (!spare_.empty()) {
            piece = std::move(spare_.back());
            spare_.pop_back();
        }
        std::swap(piece, pending);
        pieces_.push_back({std::move(piece), recordsDone_.load(std::memory_order_relaxed)});
        if (pieces_.size() >= kPiecesPerWake) ready_.notify_one();
    }
    // Formatting thread: `done` records are complete; false once the calling
    // thread has stopped.
    bool RecordsDone(int64_t done) {
        recordsDone_.store(done, std::memory_order_relaxed);
        return !stopped_.load(std::memory_order_relaxed);
    }
    // The walk ended: complete, stopped, or by what `failure` holds.
    void Finish(std::exception_ptr failure = nullptr) {
        const std::lock_guard lock(mutex_);
        finished_ = true;
        failure_ = failure;
        ready_.notify_one();
    }

    // Calling thread: waits for several pieces (or the end of the walk),
    // takes them over and gives the number of records complete; `finished`
    // when the walk is over and every piece taken.
    int64_t Wait(std::deque<Piece>& taken, bool& finished) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return pieces_.size() >= kPiecesPerWake || finished_; });
        if (failure_) std::rethrow_exception(failure_);
        finished = finished_;
        const int64_t done = recordsDone_.load(std::memory_order_relaxed);
        for (Piece& piece : pieces_)
            taken.push_back(std::move(piece));
        pieces_.clear();
        roomFreed_.notify_one();
        return done;
    }
    void GiveBack(Str&& piece) {
        piece.Truncate(0);
        const std::lock_guard lock(mutex_);
        spare_.push_back(std::move(piece));
    }
    void Stop() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        roomFreed_.notify_one();
    }

private:
    static constexpr size_t kPiecesPerWake = 8;
    static constexpr size_t kMostPieces = 32; // two megabytes ahead at most

    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable roomFreed_;
    std::deque<Piece> pieces_;
    std::vector<Str> spare_;
    std::atomic<int64_t> recordsDone_{0};
    bool finished_ = false;
    std::exception_ptr failure_;
    std::atomic<bool> stopped_{false};
};

// The walk on a thread of its own, its pieces written and its progress
// reported on this one.
unsigned WriteAhead(const Str& jobPath, const dbAccess& job, file_Class* output, int64_t count,
                    TQXMLProgressCallback progress, bool stopOnWriteFailure) {
    AheadQueue queue;
    Environment* const environment = Environment::Get();
    std::thread formatter([&] {
        const ScopedThreadEnvironment sameReports(environment);
        try {
            Str pending;
            pending.Reserve(2 * kFlushThreshold);
            StreamSink sink(pending, &queue);
            WalkDocument(sink, jobPath, job, [&](int64_t done) { return queue.RecordsDone(done); });
            queue.Finish();
        } catch (...) { // memory ran out: the calling thread takes it over
            queue.Finish(std::current_exception());
        }
    });
    // Writes the pieces flushed before record `done` was complete.
    std::deque<AheadQueue::Piece> pieces;
    auto writeBefore = [&](int64_t done) {
        while (!pieces.empty() && pieces.front().before < done) {
            Str& text = pieces.front().text;
            if (output) (void)output->Write(text.CStr(), static_cast<uint32_t>(text.Length()));
            queue.GiveBack(std::move(text));
            pieces.pop_front();
        }
    };
    unsigned status = TQXML_Done;
    try {
        int64_t done = 0;
        bool finished = false;
        while (status == TQXML_Done && !finished) {
            const int64_t available = queue.Wait(pieces, finished);
            while (done < available && status == TQXML_Done) {
                writeBefore(++done);
                status = AfterRecord(done, count, progress, output, stopOnWriteFailure);
            }
        }
        if (status == TQXML_Done) writeBefore(count + 1); // the document's end
    } catch (...) {
        queue.Stop();
        formatter.join();
        throw;
    }
    queue.Stop();
    formatter.join();
    return status;
}

} // namespace

unsigned WriteJobXml(const Str& jobPath, const dbAccess& job, file_Class* output,
                     TQXMLProgressCallback progress, bool stopOnWriteFailure, bool formatAhead) {
    // The model keeps the count of its chain, which a counting walk would
    // give: no second pass over every record.
    const int64_t count = std::max<int64_t>(job.RecordCount(), 1);
    if (formatAhead) return WriteAhead(jobPath, job, output, count, progress, stopOnWriteFailure);
    Str pending;
    pending.Reserve(2 * kFlushThreshold);
    FileOutput file(output);
    StreamSink sink(pending, output ? &file : nullptr);
    unsigned status = TQXML_Done;
    WalkDocument(sink, jobPath, job, [&](int64_t done) {
        status = AfterRecord(done, count, progress, output, stopOnWriteFailure);
        return status == TQXML_Done;
    });
    return status;
}

} // namespace tqxml
