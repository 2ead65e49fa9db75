#include "db/access.h"

#include "base/environment.h"

namespace tqxml {

dbAccess::~dbAccess() {
    Close();
}

bool dbAccess::Fail(dbAccess_OpenStatus status) {
    _OpenStatus = status;
    Close();
    return false;
}

bool dbAccess::Open(const Str& path, bool writable) {
    TQ_ASSERT_TEXT(Environment::Get()->IsThreadSafe(), "Environment::Get()->IsThreadSafe ()");
    _Statistics = dbAccess_Statistics();
    if (!_Journal.Open(path, writable)) {
        _OpenStatus = DBACCESS_CannotOpen;
        return false;
    }
    _Statistics.Header = _Journal.Header();
    _Statistics.FileSize = _Journal.ReportedFileSize();
    if (!_Journal.IsOpen()) return Fail(DBACCESS_NoJob);

    const filehdr_Header& expected = _Journal.ExpectedHeader();
    if (_Journal.Header().Type != expected.Type) return Fail(DBACCESS_NoJob);
    if (!_Journal.Header().SameVersion(expected)) return Fail(DBACCESS_VersionDiffers);

    bool clean;
    {
        // The texts of the records read go to the job's own arena.
        ScopedStrArena texts(&_Texts);
        clean = Replay();
    }
    if (_Model.IsFailed()) return Fail(DBACCESS_ModelFailed);
    if (_Model.FirstRecordId() == NODBID) return Fail(DBACCESS_NoJob);
    _OpenStatus = clean ? DBACCESS_Opened : DBACCESS_Damaged;
    return true;
}

// Applies every complete transaction in file order. False when a damaged
// entry ended the replay.
bool dbAccess::Replay() {
    _Model.Clear();
    if (!_Journal.Rewind()) return false;

    dbTransaction transaction;
    bool clean = true;
    while (!_Model.IsFailed()) {
        const dbJournal_Counters before = _Journal.Counters();
        const dbJournal_TransactionStatus status = _Journal.ReadTransaction(transaction);
        const dbJournal_Counters& after = _Journal.Counters();
        _Statistics.TransactionsDropped[DROP_Interrupted] += after.Interrupted - before.Interrupted;

        if (status == TRANSACTION_Complete) {
            _Model.ApplyTransaction(transaction, _Journal.InRepairMode());
            TQ_ASSERT_TEXT(_Journal._LastGoodAppendPosition != 0,
                           "_Journal._LastGoodAppendPosition != 0");
            _Journal._CommittedPosition = _Journal._LastGoodAppendPosition;
            ++_Statistics.TransactionsApplied;
        } else if (status == TRANSACTION_Discarded || status == TRANSACTION_Broken) {
            ++_Statistics.TransactionsDropped[status == TRANSACTION_Discarded ? DROP_Discarded
                                                                              : DROP_Broken];
            _Journal._CommittedPosition = _Journal._LastGoodAppendPosition;
        } else {
            // A transaction that was collecting entries when the journal
            // ended, or when damage was met, is lost with it.
            const bool cutShort = after.EntriesRead > before.EntriesRead;
            if (cutShort)
                ++_Statistics.TransactionsDropped[status == TRANSACTION_End ? DROP_UnfinishedAtEnd
                                                                            : DROP_CutByDamage];
            _Statistics.StopStatus = status == TRANSACTION_End ? ENTRY_End : ENTRY_Damaged;
            clean = status == TRANSACTION_End;
            break;
        }
        transaction.Clear();
    }
    transaction.Clear();
    _Journal.EndRepairMode();

    const dbJournal_Counters& counters = _Journal.Counters();
    _Statistics.EntriesRead = counters.EntriesRead;
    _Statistics.ManualRepairs = counters.ManualRepairs;
    _Statistics.Damage = counters.Damage;
    _Statistics.StopPosition =
        _Statistics.StopStatus == ENTRY_Damaged ? counters.DamagePosition : _Journal.ReadPosition();
    _Statistics.LastGoodAppendPosition = _Journal._LastGoodAppendPosition;
    _Statistics.CommittedPosition = _Journal._CommittedPosition;

    const dbModel_Counters& model = _Model.Counters();
    _Statistics.RecordsChained = _Model.TotalCount();
    _Statistics.ForeignEntriesSkipped = model.ForeignSkipped;
    _Statistics.MissingTargets = model.MissingTargets;
    _Statistics.DbidDiscontinuities = model.DbidDiscontinuities;
    _Statistics.EntriesRejected = model.Rejected;
    _Statistics.NextDBID = _Model.NextDBID();
    return clean;
}

void dbAccess::Close() {
    _Journal.Close();
    _Model.Clear();
    _Texts.Clear(); // after the records whose texts it holds
}

} // namespace tqxml
