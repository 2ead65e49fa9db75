#include "db/journal.h"

#include "base/environment.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <new>
#include <string>
#include <thread>

namespace tqxml {

namespace {

// The file is read in pieces of this size: large enough for few system
// calls, small enough that no single call asks for gigabytes and that
// checking can start early.
constexpr uint32_t kReadPiece = 4u << 20;

} // namespace

void LogHexLine(const char* text, uint32_t value) {
    char line[160];
    std::snprintf(line, sizeof line, "%s 0x%x", text, value);
    Environment::Get()->LogMessage(line);
}

// ---- Checking ahead ----------------------------------------------------------------

// The thread that reads the file and examines its entries ahead of the
// replay, handing their facts over through a ring of slots: each side moves
// its own count forward and sleeps only when the ring is empty (the replay)
// or full (the checker). What examining an entry reports is kept, marked
// with the entry's number, and reported on the replaying thread when the
// entry is read there.
class dbJournal::Checker {
public:
    explicit Checker(dbJournal& journal)
        : journal_(journal), ring_(kRingSize), thread_([this] { Run(); }) {}
    ~Checker() {
        stop_.store(true, std::memory_order_seq_cst);
        Wake(roomFreed_, checkerWaiting_);
        thread_.join();
    }

    // Replaying thread: the facts of the next entry. (The counts are stored
    // and read in one order for both threads, so that a side about to sleep
    // sees the other's last count, or the other sees it sleeping.)
    dbEntryFacts Next() {
        if (taken_ == known_) {
            known_ = examined_.load(std::memory_order_acquire);
            if (taken_ == known_) {
                std::unique_lock lock(mutex_);
                replayWaiting_.store(true, std::memory_order_seq_cst);
                ready_.wait(lock, [&] {
                    known_ = examined_.load(std::memory_order_seq_cst);
                    return taken_ != known_;
                });
                replayWaiting_.store(false, std::memory_order_relaxed);
            }
        }
        const dbEntryFacts facts = ring_[taken_ % kRingSize];
        kept_.ReportUpTo(taken_, *Environment::Get());
        ++taken_;
        if (taken_ % kBatch == 0) {
            replayed_.store(taken_, std::memory_order_seq_cst);
            Wake(roomFreed_, checkerWaiting_);
        }
        return facts;
    }

private:
    static constexpr uint64_t kRingSize = 16384; // entries ahead at most
    static constexpr uint64_t kBatch = 256;      // each side tells the other this often

    void Wake(std::condition_variable& sleeper, std::atomic<bool>& sleeping) {
        if (sleeping.load(std::memory_order_seq_cst)) {
            const std::lock_guard lock(mutex_);
            sleeper.notify_one();
        }
    }

    void Run() {
        const ScopedThreadEnvironment reportsKept(&kept_);
        uint32_t position = JOURNAL_JournalStart;
        for (bool last = false; !last; ++entry_) {
            if (entry_ - replayed_.load(std::memory_order_acquire) >= kRingSize) {
                // Full: on again once half the ring is free, not slot by slot.
                std::unique_lock lock(mutex_);
                checkerWaiting_.store(true, std::memory_order_seq_cst);
                roomFreed_.wait(lock, [&] {
                    return entry_ - replayed_.load(std::memory_order_seq_cst) <= kRingSize / 2 ||
                           stop_.load(std::memory_order_relaxed);
                });
                checkerWaiting_.store(false, std::memory_order_relaxed);
            }
            if (stop_.load(std::memory_order_relaxed)) return;
            kept_.Mark(entry_);
            // An entry is examined once its bytes are read, or the file ends.
            journal_.ReadMore(position + JOURNAL_LengthFieldSize);
            if (journal_.size_ >= position + JOURNAL_LengthFieldSize) {
                const uint32_t length = EntryLoad32(journal_.block_.get() + position);
                if (IsBelievableEntryLength(length))
                    journal_.ReadMore(position + JOURNAL_LengthFieldSize + length);
            }
            dbEntryFacts& facts = ring_[entry_ % kRingSize];
            facts = journal_.Examine(position, journal_.size_);
            last = facts.kind != dbEntryFacts::Read && facts.kind != dbEntryFacts::ManualRepair;
            position = facts.next;
            if ((entry_ + 1) % kBatch == 0 || last) {
                examined_.store(entry_ + 1, std::memory_order_seq_cst);
                Wake(ready_, replayWaiting_);
            }
        }
    }

    dbJournal& journal_;
    std::vector<dbEntryFacts> ring_;
    std::mutex mutex_;
    std::condition_variable ready_;     // the replay sleeps on it
    std::condition_variable roomFreed_; // the checker sleeps on it
    std::atomic<bool> replayWaiting_{false};
    std::atomic<bool> checkerWaiting_{false};
    std::atomic<uint64_t> examined_{0}; // entries in the ring, as the replay may see them
    std::atomic<uint64_t> replayed_{0}; // slots the checker may use again
    std::atomic<bool> stop_{false};
    uint64_t taken_ = 0; // the replay's own
    uint64_t known_ = 0;
    KeptReports kept_; // what examining each entry reported, marked with its number
    uint64_t entry_ = 0; // the entry being examined; the checker's own
    std::thread thread_;
};

// ---- Opening and reading ---------------------------------------------------------

dbJournal::dbJournal(dbAccess_Statistics& statistics) : statistics_(statistics) {}

dbJournal::~dbJournal() {
    Close();
}

bool dbJournal::Open(const Str& path, bool writable, bool checkAhead) {
    TQ_ASSERT_TEXT(!file_.IsOpen(), "!_File.IsOpen()");
    if (file_.IsOpen()) return false;
    writable_ = writable;
    repairMode_ = false;
    checkAhead_ = checkAhead;
    file_.SetName(path);
    if (!file_.Open(writable ? file_Class::ModeReadWrite : file_Class::ModeRead)) {
        writable_ = false;
        return false;
    }
    reportedFileSize_ = file_.RecordedSize();
    // Where the address space cannot hold the job (a large job on a 32-bit
    // host), it cannot be opened.
    block_.reset(new (std::nothrow) uint8_t[reportedFileSize_ > 0 ? reportedFileSize_ : 1]);
    size_ = 0;
    ended_ = false;
    // A header cut short by the end of the file is treated as unreadable.
    if (!block_ || (ReadMore(checkAhead ? FILEHDR_SizeOnDisk : reportedFileSize_),
                    size_ < static_cast<uint32_t>(FILEHDR_SizeOnDisk))) {
        Close();
        return false;
    }
    header_.Decode(buffer_Class::View(block_.get(), FILEHDR_SizeOnDisk, true));
    if (writable_ && file_.IsReadOnly()) {
        Str line("Journal Open : Job file is read-only: ");
        line.Append(file_.FullName());
        Environment::Get()->LogMessage(line.CStr());
        writable_ = false;
    }
    readPosition_ = JOURNAL_JournalStart;
    statistics_.LastGoodAppendPosition = readPosition_;
    statistics_.CommittedPosition = readPosition_;
    return true;
}

// Up to the size recorded when the file was opened; a file that another
// program cuts meanwhile gives what was still there, one that grows gives
// no more.
void dbJournal::ReadPieces(uint32_t wanted) {
    wanted = std::min(wanted, reportedFileSize_);
    while (!ended_ && size_ < wanted) {
        const uint32_t piece = std::min(reportedFileSize_ - size_, std::max(kReadPiece, wanted - size_));
        uint32_t got = 0;
        if (!file_.ReadAt(size_, block_.get() + size_, piece, &got) || got == 0) {
            ended_ = true;
            break;
        }
        size_ += got;
        if (size_ == reportedFileSize_) ended_ = true;
    }
}

void dbJournal::EndReplay() {
    checker_.reset();
}

void dbJournal::Close() {
    checker_.reset();
    file_.Close();
    block_.reset();
    size_ = 0;
    ended_ = false;
    writable_ = false;
    repairMode_ = false;
}

bool dbJournal::Rewind() {
    if (!file_.IsOpen()) return false;
    readPosition_ = JOURNAL_JournalStart;
    checker_.reset();
    if (checkAhead_) checker_ = std::make_unique<Checker>(*this);
    return true;
}

void dbJournal::LogDamage(dbJournal_Damage damage, const char* text, uint32_t position) {
    LogHexLine(text, position);
    LogHexLine("-- Reported file size ", reportedFileSize_);
    if (damage != dbJournal_Damage::None) {
        statistics_.Damage = damage;
        statistics_.StopPosition = position;
    }
}

dbJournal_EntryStatus dbJournal::Damaged(dbJournal_Damage damage, const char* text,
                                         uint32_t position) {
    LogDamage(damage, text, position);
    return ENTRY_Damaged;
}

buffer_Class dbJournal::RecordAt(uint32_t position) const {
    const uint8_t* body = block_.get() + position + JOURNAL_LengthFieldSize;
    const uint32_t length = EntryLoad32(block_.get() + position);
    return buffer_Class::View(body + ENTRY_RecordAt,
                              static_cast<int32_t>(length - ENTRY_RecordAt - JOURNAL_ChecksumSize),
                              false);
}

uint16_t dbJournal::RecordTypeAt(uint32_t position) const {
    return EntryLoad16(block_.get() + position + JOURNAL_LengthFieldSize + ENTRY_RecordAt);
}

dbEntryFacts dbJournal::Examine(uint32_t position, uint32_t end) const {
    dbEntryFacts facts;
    dbAction& action = facts.action;
    action.FilePosition = position;
    facts.next = position;
    if (position >= end) return facts; // End
    if (end - position < JOURNAL_LengthFieldSize) {
        facts.next = end;
        facts.kind = dbEntryFacts::LengthShortRead;
        return facts;
    }
    const uint32_t length = EntryLoad32(block_.get() + position);
    action.Length = length;
    facts.next = position + JOURNAL_LengthFieldSize;
    if (!IsBelievableEntryLength(length)) {
        facts.kind = dbEntryFacts::LengthUnbelievable;
        return facts;
    }
    if (end - facts.next < length) {
        facts.next = end;
        facts.kind = dbEntryFacts::ShortRead;
        return facts;
    }
    const uint8_t* body = block_.get() + facts.next;
    facts.next += length;
    if (body[ENTRY_FlagsAt] == JOURNAL_ManualRepair) {
        facts.kind = dbEntryFacts::ManualRepair;
        return facts;
    }
    if (!EntryChecksumMatches(body, length)) {
        facts.kind = dbEntryFacts::Checksum;
        return facts;
    }
    facts.kind = dbEntryFacts::Corruption;
    action.Flags = body[ENTRY_FlagsAt];
    action.Operation = EntryLoad16(body + ENTRY_ActionAt);
    if (!IsKnownAction(action.Operation) || action.Operation == ACTION_Marker) return facts;
    action.Target = EntryLoad32(body + ENTRY_TargetAt);
    // A believable length leaves at least three bytes for the record.
    const uint8_t* record = body + ENTRY_RecordAt;
    const auto recordLength = static_cast<int32_t>(length - ENTRY_RecordAt - JOURNAL_ChecksumSize);
    action.RecordType = EntryLoad16(record);
    if (!IsValidRecordType(action.RecordType)) return facts;
    action.RecordId = recordLength >= 6 ? EntryLoad32(record + 2) : NODBID;
    int32_t recordEnd = 0;
    CheckStoredRecord(action.RecordType, buffer_Class::View(record, recordLength, true), recordEnd);
    facts.bytesLeft = recordEnd < recordLength;
    facts.kind = dbEntryFacts::Read;
    return facts;
}

// ---- Salvage ----------------------------------------------------------------------

namespace {

// Counts what examining a candidate would report, and reports none of it.
class CountingEnvironment : public Environment {
public:
    void LogMessage(const char*) override { ++reports; }
    void ReportSystemError(const char*, int, uint32_t, const char*) override { ++reports; }
    void ReportAssertion(const char*, const char*, int) override { ++reports; }
    uint32_t reports = 0;
};

} // namespace

bool dbJournal::IsTrustworthyEntry(uint32_t position, uint32_t& next, bool removedByHand) const {
    CountingEnvironment counting;
    const ScopedThreadEnvironment silent(&counting);
    const dbEntryFacts facts = Examine(position, size_);
    next = facts.next;
    if (removedByHand) return facts.kind == dbEntryFacts::ManualRepair;
    if (facts.kind != dbEntryFacts::Read || facts.bytesLeft || counting.reports != 0) return false;
    const dbAction& action = facts.action;
    if (action.Flags & ~(JOURNAL_FirstEntry | JOURNAL_LastEntry | JOURNAL_Discard)) return false;
    if (action.RecordId == NODBID) return false;
    if ((action.Operation == ACTION_Replace || action.Operation == ACTION_Delete) &&
        action.RecordId != action.Target)
        return false;
    const buffer_Class record = RecordAt(position);
    int32_t at = StoredRecordParts().timeStamp;
    const double stamp = record.GetDouble(at);
    return stamp == stamp && stamp - stamp == 0; // a number, and finite
}

bool dbJournal::SalvagePointAt(uint32_t position) const {
    // Most places fail at the length: tested first, before any call.
    if (size_ - position < JOURNAL_LengthFieldSize + JOURNAL_MinEntryLength ||
        !IsBelievableEntryLength(EntryLoad32(block_.get() + position)))
        return false;
    uint32_t next = 0, after = 0;
    if (!IsTrustworthyEntry(position, next)) return false;
    // An entry removed by hand carries no checksum: as the next entry it
    // confirms the framing, no more.
    return next == size_ || IsTrustworthyEntry(next, after) ||
           IsTrustworthyEntry(next, after, /*removedByHand=*/true);
}

bool dbJournal::Resynchronise() {
    dbJournal_Gap gap;
    gap.Position = statistics_.StopPosition;
    gap.Damage = statistics_.Damage;
    for (uint32_t at = gap.Position + 1; at + JOURNAL_LengthFieldSize <= size_; ++at) {
        if (!SalvagePointAt(at)) continue;
        gap.ResumedAt = at;
        break;
    }
    statistics_.Gaps.push_back(gap);
    if (!gap.ResumedAt) return false;
    LogHexLine("Journal: Salvage resumes reading at ", gap.ResumedAt);
    LogHexLine("-- Bytes skipped ", gap.ResumedAt - gap.Position);
    readPosition_ = gap.ResumedAt;
    // Entries from before the gap are gone: later ones may name records
    // that are not there and skip identifiers.
    repairMode_ = true;
    statistics_.Damage = dbJournal_Damage::None;
    return true;
}

// ---- Reading entries ---------------------------------------------------------------

dbJournal_EntryStatus dbJournal::ReadEntry(dbAction& action) {
    action = dbAction();
    if (!file_.IsOpen()) return ENTRY_End;
    for (;;) {
        const uint32_t position = readPosition_;
        const dbEntryFacts facts = checker_ ? checker_->Next() : Examine(position, size_);
        readPosition_ = facts.next;
        action = facts.action;
        switch (facts.kind) {
        case dbEntryFacts::End:
            return ENTRY_End;
        case dbEntryFacts::LengthShortRead:
            return Damaged(dbJournal_Damage::LengthShortRead,
                           "Journal record length short read failure at filepos ", position);
        case dbEntryFacts::LengthUnbelievable:
            return Damaged(dbJournal_Damage::LengthUnbelievable,
                           "Journal record length is unbelieveable at ", position);
        case dbEntryFacts::ShortRead:
            return Damaged(dbJournal_Damage::ShortRead,
                           "Journal record short read failure at filepos ", position);
        case dbEntryFacts::ManualRepair:
            repairMode_ = true;
            ++statistics_.ManualRepairs;
            LogHexLine("Journal: Manual repair detected at ", position);
            LogHexLine("-- Hammered record size ", action.Length);
            continue;
        case dbEntryFacts::Checksum:
            return Damaged(dbJournal_Damage::Checksum, "Journal: CRC error at ", position);
        case dbEntryFacts::Corruption:
            return Damaged(dbJournal_Damage::Corruption, "Journal: Record corruption at filepos ",
                           position);
        case dbEntryFacts::Read:
            break;
        }
        if (facts.bytesLeft) {
            LogHexLine("Journal: Bytes left after the record at filepos ", position);
            ++statistics_.EntriesWithBytesLeft;
        }
        statistics_.LastGoodAppendPosition = readPosition_;
        ++statistics_.EntriesRead;
        return ENTRY_Read;
    }
}

dbJournal_TransactionStatus dbJournal::ReadTransaction(dbTransaction& transaction) {
    transaction.Clear();
    dbAction entry;
    dbJournal_EntryStatus entryStatus = ReadEntry(entry);
    if (entryStatus != ENTRY_Read) {
        if (entryStatus == ENTRY_Damaged) writable_ = false;
        return static_cast<dbJournal_TransactionStatus>(entryStatus);
    }

    dbJournal_TransactionStatus status = TRANSACTION_Complete;
    if (!(entry.Flags & JOURNAL_FirstEntry)) {
        LogDamage(dbJournal_Damage::None, "Journal: Transaction start flag missing near filepos ",
                  readPosition_);
        status = TRANSACTION_Broken;
    }
    transaction.Actions.push_back(entry);

    bool discard = false;
    for (;;) {
        const uint8_t flags = transaction.Actions.back().Flags;
        if (flags & JOURNAL_Discard) discard = true;
        if (flags & JOURNAL_LastEntry) break;

        entryStatus = ReadEntry(entry);
        if (entryStatus != ENTRY_Read) {
            LogDamage(dbJournal_Damage::None, "Journal: Partial last transaction near filepos ",
                      readPosition_);
            transaction.Clear();
            if (entryStatus == ENTRY_Damaged) writable_ = false;
            return static_cast<dbJournal_TransactionStatus>(entryStatus);
        }
        if (entry.Flags & JOURNAL_FirstEntry) {
            LogDamage(dbJournal_Damage::None, "Journal: Partial transaction near filepos ",
                      readPosition_);
            ++statistics_.TransactionsDropped[DROP_Interrupted];
            transaction.Clear();
            status = TRANSACTION_Broken;
        }
        transaction.Actions.push_back(entry);
    }
    if (discard && status == TRANSACTION_Complete) status = TRANSACTION_Discarded;
    return status;
}

} // namespace tqxml
