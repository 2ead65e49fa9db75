// The document written with its records formatted on two threads: the chain
// is cut into batches of records, which a second thread and the calling
// thread format into pieces of text, noting where each element and each
// record ends. The calling thread takes the pieces in order and decides the
// flushes as the one-thread walk does (at the first element end past the
// threshold since the last flush), so the bytes, the writes, the progress
// calls (its own, after each record) and what a stop leaves are the same.
// What formatting a record reports is kept with its batch and reported on
// the calling thread just before that record's progress call, in order.
#include "base/environment.h"
#include "convert/walk.h"
#include "platform/file.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tqxml {
namespace {

class TwoThreadWalk {
public:
    TwoThreadWalk(const Str& jobPath, const dbAccess& job, int64_t count)
        : jobPath_(jobPath), job_(job), model_(job.Model()), count_(count),
          batches_((count + kRecordsPerBatch - 1) / kRecordsPerBatch), cursor_(model_.Front()) {
        for (Batch& slot : slots_)
            slot.text.Reserve(kRecordsPerBatch * 1024);
    }

    // The second thread: formats the batches it claims until none is left.
    void Format() {
        try {
            while (FormatOne(true)) {
            }
        } catch (...) { // memory ran out: the calling thread takes it over
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            stopped_ = true;
            changed_.notify_all();
        }
    }

    // The calling thread: writes the document, formatting a batch itself
    // whenever the next one is not ready and there is one to take.
    unsigned Write(file_Class* output, TQXMLProgressCallback progress, bool stopOnWriteFailure) {
        Str carry; // written text's tail not yet flushed, from earlier batches
        carry.Reserve(2 * kFlushThreshold);
        int64_t done = 0;
        for (int64_t index = 0; index < batches_; ++index) {
            Batch& batch = Ready(index);
            // Positions in the batch: `from`, where its unwritten text begins.
            uint32_t from = 0;
            size_t record = 0;
            for (const uint32_t end : batch.elementEnds) {
                if (carry.Length() + (end - from) > static_cast<uint32_t>(kFlushThreshold)) {
                    Put(output, carry, batch.text.CStr() + from, end - from);
                    from = end;
                }
                if (record < batch.recordEnds.size() && batch.recordEnds[record] == end) {
                    batch.kept.ReportUpTo(record, *Environment::Get());
                    ++record;
                    const unsigned status =
                        AfterRecord(++done, count_, progress, output, stopOnWriteFailure);
                    if (status != TQXML_Done) return status;
                }
            }
            carry.Append(batch.text.CStr() + from, static_cast<int32_t>(batch.text.Length() - from));
            Release(index);
        }
        carry.Append(kJobDocumentEnd);
        Put(output, carry, nullptr, 0);
        return TQXML_Done;
    }

    void Stop() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

private:
    static constexpr int64_t kRecordsPerBatch = 256;
    static constexpr int64_t kSlots = 16; // batches formatted ahead at most

    struct Batch {
        Str text;
        std::vector<uint32_t> elementEnds; // in text, where an element ended
        std::vector<uint32_t> recordEnds;  // in text, where each record ended
        KeptReports kept; // what formatting each record reported, marked with its number
        bool ready = false;
    };

    // One write of `carry` and `count` bytes of `more`, as one flush.
    static void Put(file_Class* output, Str& carry, const char* more, uint32_t count) {
        const char* bytes = more;
        uint32_t length = count;
        if (carry.Length() > 0) {
            carry.Append(more, static_cast<int32_t>(count));
            bytes = carry.CStr();
            length = static_cast<uint32_t>(carry.Length());
        }
        if (output && length > 0) (void)output->Write(bytes, length);
        carry.Truncate(0);
    }

    // Claims the next batch and formats it; false when none is left to
    // claim (or the walk stopped). `wait`: the second thread waits for a
    // free slot; the calling thread does not claim without one.
    bool FormatOne(bool wait) {
        int64_t index;
        uint32_t first;
        {
            std::unique_lock lock(mutex_);
            if (wait)
                changed_.wait(lock, [&] {
                    return stopped_ || claimed_ >= batches_ || claimed_ - released_ < kSlots;
                });
            if (stopped_ || claimed_ >= batches_ || claimed_ - released_ >= kSlots) return false;
            index = claimed_++;
            first = cursor_;
            for (int64_t n = 0; n < kRecordsPerBatch && cursor_ != kNoNode; ++n)
                cursor_ = model_.Node(cursor_).Forward;
        }
        Batch& batch = slots_[index % kSlots];
        batch.text.Truncate(0);
        batch.elementEnds.clear();
        batch.recordEnds.clear();
        StreamSink sink(batch.text, nullptr);
        sink.NoteElementEnds(&batch.elementEnds);
        const ScopedThreadEnvironment reportsKept(&batch.kept);
        if (index == 0) BeginJobDocument(sink, jobPath_, job_);
        uint32_t node = first;
        for (int64_t n = 0; n < kRecordsPerBatch && node != kNoNode; ++n) {
            batch.kept.Mark(static_cast<uint64_t>(n));
            EmitChainedRecord(sink, job_, model_.Node(node));
            batch.recordEnds.push_back(static_cast<uint32_t>(batch.text.Length()));
            node = model_.Node(node).Forward;
        }
        const std::lock_guard lock(mutex_);
        batch.ready = true;
        changed_.notify_all();
        return true;
    }

    // The batch `index`, formatted: by the calling thread itself when it can
    // take a batch, else by waiting for the second thread.
    Batch& Ready(int64_t index) {
        Batch& batch = slots_[index % kSlots];
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                if (failure_) std::rethrow_exception(failure_);
                if (batch.ready) return batch;
                const bool canClaim = claimed_ < batches_ && claimed_ - released_ < kSlots;
                if (!canClaim) {
                    changed_.wait(lock, [&] { return batch.ready || failure_; });
                    continue;
                }
            }
            FormatOne(false);
        }
    }

    void Release(int64_t index) {
        const std::lock_guard lock(mutex_);
        slots_[index % kSlots].ready = false;
        released_ = index + 1;
        changed_.notify_all();
    }

    const Str& jobPath_;
    const dbAccess& job_;
    const dbModel& model_;
    const int64_t count_;
    const int64_t batches_;

    std::mutex mutex_;
    std::condition_variable changed_;
    Batch slots_[kSlots];
    uint32_t cursor_;       // the first record of the next batch to claim
    int64_t claimed_ = 0;   // batches taken to be formatted
    int64_t released_ = 0;  // batches written, their slots free again
    bool stopped_ = false;
    std::exception_ptr failure_;
};

} // namespace

unsigned WriteJobXmlOnTwoThreads(const Str& jobPath, const dbAccess& job, file_Class* output,
                                 int64_t count, TQXMLProgressCallback progress,
                                 bool stopOnWriteFailure) {
    TwoThreadWalk walk(jobPath, job, count);
    Environment* const environment = Environment::Get();
    std::thread second([&] {
        const ScopedThreadEnvironment sameReports(environment);
        walk.Format();
    });
    unsigned status;
    try {
        status = walk.Write(output, progress, stopOnWriteFailure);
    } catch (...) {
        walk.Stop();
        second.join();
        throw;
    }
    walk.Stop();
    second.join();
    return status;
}

} // namespace tqxml
