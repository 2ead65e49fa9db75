#include "db/access.h"

#include "base/environment.h"

#include <algorithm>

namespace tqxml {

dbAccess::~dbAccess() {
    Close();
}

bool dbAccess::Fail(dbAccess_OpenStatus status) {
    openStatus_ = status;
    Close();
    return false;
}

bool dbAccess::Open(const Str& path, bool writable) {
    TQ_ASSERT_TEXT(Environment::Get()->IsThreadSafe(), "Environment::Get()->IsThreadSafe ()");
    statistics_ = dbAccess_Statistics();
    if (!journal_.Open(path, writable)) {
        openStatus_ = DBACCESS_CannotOpen;
        return false;
    }
    statistics_.Header = journal_.Header();
    statistics_.FileSize = journal_.ReportedFileSize();

    const filehdr_Header expected = filehdr_Header::JobJournal();
    if (journal_.Header().Type != expected.Type) return Fail(DBACCESS_NoJob);
    if (!journal_.Header().SameVersion(expected)) return Fail(DBACCESS_VersionDiffers);

    const bool clean = Replay();
    if (model_.IsFailed()) return Fail(DBACCESS_ModelFailed);
    if (model_.FirstRecordId() == NODBID) return Fail(DBACCESS_NoJob);
    openStatus_ = clean ? DBACCESS_Opened : DBACCESS_Damaged;
    return true;
}

// Applies every complete transaction in file order. False when a damaged
// entry ended the replay.
bool dbAccess::Replay() {
    model_.Clear();
    if (!journal_.Rewind()) return false;

    dbTransaction transaction;
    bool clean = true;
    // Reported at every hundredth of the journal, and at its end.
    const uint64_t size = journal_.ReportedFileSize();
    const uint64_t step = std::max<uint64_t>(size / 100, 1);
    uint64_t nextReport = 0;
    while (!model_.IsFailed()) {
        if (readingProgress_ && journal_.ReadPosition() >= nextReport) {
            readingProgress_(journal_.ReadPosition(), size);
            nextReport = journal_.ReadPosition() + step;
        }
        const uint32_t entriesBefore = statistics_.EntriesRead;
        const dbJournal_TransactionStatus status = journal_.ReadTransaction(transaction);
        if (status == TRANSACTION_Complete) {
            model_.ApplyTransaction(transaction, journal_.InRepairMode());
            journal_.Commit();
        } else if (status == TRANSACTION_Discarded || status == TRANSACTION_Broken) {
            ++statistics_.TransactionsDropped[status == TRANSACTION_Discarded ? DROP_Discarded
                                                                              : DROP_Broken];
            journal_.Commit();
        } else {
            // A transaction that was collecting entries when the journal
            // ended, or when damage was met, is lost with it.
            if (statistics_.EntriesRead > entriesBefore)
                ++statistics_.TransactionsDropped[status == TRANSACTION_End ? DROP_UnfinishedAtEnd
                                                                            : DROP_CutByDamage];
            statistics_.StopStatus = status == TRANSACTION_End ? ENTRY_End : ENTRY_Damaged;
            clean = status == TRANSACTION_End;
            break;
        }
        transaction.Clear();
    }
    transaction.Clear();
    journal_.EndRepairMode();
    if (readingProgress_) readingProgress_(journal_.ReadPosition(), size);

    if (statistics_.StopStatus != ENTRY_Damaged) statistics_.StopPosition = journal_.ReadPosition();
    statistics_.RecordsChained = model_.TotalCount();
    statistics_.NextDBID = model_.NextDBID();
    return clean;
}

void dbAccess::Close() {
    model_.Clear();
    journal_.Close();
}

} // namespace tqxml
