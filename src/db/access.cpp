#include "db/access.h"

#include "base/environment.h"
#include "db/rules.h"
#include "records/observation.h"
#include "records/road.h"

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

bool dbAccess::Open(const Str& path, bool writable, bool checkAhead) {
    TQ_ASSERT_TEXT(Environment::Get()->IsThreadSafe(), "Environment::Get()->IsThreadSafe ()");
    statistics_ = dbAccess_Statistics();
    // Salvage looks at the whole file at once: it is read before the replay.
    if (!journal_.Open(path, writable, checkAhead && !salvage_)) {
        openStatus_ = DBACCESS_CannotOpen;
        return false;
    }
    statistics_.Header = journal_.Header();
    statistics_.FileSize = journal_.ReportedFileSize();

    const filehdr_Header expected = filehdr_Header::JobJournal();
    if (journal_.Header().Type != expected.Type) return Fail(DBACCESS_NoJob);
    if (!journal_.Header().SameVersion(expected)) return Fail(DBACCESS_VersionDiffers);

    const bool clean = Replay();
    if (model_.FirstRecordId() == NODBID) return Fail(DBACCESS_NoJob);
    openStatus_ = clean ? DBACCESS_Opened : DBACCESS_Damaged;
    return true;
}

// Applies every complete transaction in file order. False when a damaged
// entry ended the replay.
bool dbAccess::Replay() {
    model_.Clear();
    if (!journal_.Rewind()) return false;

    dbRules rules(model_, journal_, statistics_);
    dbTransaction transaction;
    bool clean = true;
    uint32_t entriesAtGap = 0; // read when the replay went on after the last gap
    // Reported at every hundredth of the journal, and at its end.
    const uint64_t size = journal_.ReportedFileSize();
    const uint64_t step = std::max<uint64_t>(size / 100, 1);
    uint64_t nextReport = 0;
    for (;;) {
        if (readingProgress_ && journal_.ReadPosition() >= nextReport) {
            readingProgress_(journal_.ReadPosition(), size);
            nextReport = journal_.ReadPosition() + step;
        }
        const uint32_t entriesBefore = statistics_.EntriesRead;
        const dbJournal_TransactionStatus status = journal_.ReadTransaction(transaction);
        if (status == TRANSACTION_Complete) {
            rules.ApplyTransaction(transaction, journal_.InRepairMode());
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
            if (!statistics_.Gaps.empty())
                statistics_.Gaps.back().EntriesRecovered = statistics_.EntriesRead - entriesAtGap;
            if (status == TRANSACTION_Damaged && salvage_) {
                clean = false;
                entriesAtGap = statistics_.EntriesRead;
                if (journal_.Resynchronise()) continue;
            }
            statistics_.StopStatus = status == TRANSACTION_End ? ENTRY_End : ENTRY_Damaged;
            clean = clean && status == TRANSACTION_End;
            break;
        }
    }
    journal_.EndReplay();
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

// ---- Reading the records ----------------------------------------------------------

std::unique_ptr<dbRecord_Class> dbAccess::ReadEntryRecord(uint32_t entry) const {
    std::unique_ptr<dbRecord_Class> record = CreateRecord(journal_.RecordTypeAt(entry));
    if (!record) return nullptr;
    const buffer_Class bytes = RecordBytes(entry);
    int32_t offset = 0;
    record->Read(bytes, offset);
    return record;
}

double dbAccess::TimeStampOf(const dbModel_Node& node) const {
    const dbModel_Changes* changes = model_.Changes(node);
    const buffer_Class bytes =
        RecordBytes(changes && changes->StampEntry ? changes->StampEntry : node.Entry);
    int32_t offset = StoredRecordParts().timeStamp;
    return bytes.GetDouble(offset);
}

std::string_view dbAccess::NoteOf(const dbModel_Node& node) const {
    const dbModel_Changes* changes = model_.Changes(node);
    const buffer_Class bytes =
        RecordBytes(changes && changes->NoteEntry ? changes->NoteEntry : node.Entry);
    int32_t offset = StoredRecordParts().note;
    return bytes.GetStringView(offset);
}

// A part that another entry gave: its own header part when that entry is a
// record with features, the one field of a feature or description update.
dbAccess::StoredPart dbAccess::FeaturesOf(const dbModel_Node& node,
                                          const StoredRecordParts& own) const {
    const dbModel_Changes* changes = model_.Changes(node);
    if (!changes || !changes->FeaturesEntry)
        return {RecordBytes(node.Entry), own.features, own.featureCount};
    StoredPart part{RecordBytes(changes->FeaturesEntry)};
    const StoredRecordParts parts = FindStoredParts(
        part.bytes, HasFeatureArray(journal_.RecordTypeAt(changes->FeaturesEntry)));
    part.at = parts.features >= 0 ? parts.features : parts.fields;
    int32_t end = part.at;
    part.count = parts.features >= 0 ? parts.featureCount : SkipFeatureArray(part.bytes, end);
    return part;
}

dbAccess::StoredPart dbAccess::DescriptionsOf(const dbModel_Node& node,
                                              const StoredRecordParts& own) const {
    const dbModel_Changes* changes = model_.Changes(node);
    if (!changes || !changes->DescriptionsEntry) return {RecordBytes(node.Entry), own.descriptions};
    StoredPart part{RecordBytes(changes->DescriptionsEntry)};
    const StoredRecordParts parts = FindStoredParts(
        part.bytes, HasFeatureArray(journal_.RecordTypeAt(changes->DescriptionsEntry)));
    part.at = parts.descriptions >= 0 ? parts.descriptions : parts.fields;
    return part;
}

std::unique_ptr<dbRecord_Class> dbAccess::GetRecord(db_DBIDValue id) const {
    const uint32_t node = model_.Find(id);
    return node == kNoNode ? nullptr : ReadRecord(model_.Node(node));
}

// The record of the node's entry, then what other entries gave it, in the
// order the journal's rules met them.
std::unique_ptr<dbRecord_Class> dbAccess::ReadRecord(const dbModel_Node& node) const {
    std::unique_ptr<dbRecord_Class> record = ReadEntryRecord(node.Entry);
    if (!record) return nullptr;
    record->RecordId = node.RecordId;
    const dbModel_Changes* changes = model_.Changes(node);
    std::unique_ptr<dbRecord_Class> measurement;
    if (node.Measurement) measurement = ReadEntryRecord(node.Measurement);
    if (changes) {
        record->TimeStamp = TimeStampOf(node);
        record->Note = Str(NoteOf(node).data(), static_cast<int32_t>(NoteOf(node).size()));
        auto* withFeatures = dynamic_cast<dbRecordWithFeatures_Class*>(record.get());
        if (withFeatures && changes->FeaturesEntry) {
            StoredPart part = FeaturesOf(node, StoredRecordParts());
            ReadFeatureArray(part.bytes, part.at, withFeatures->Features);
        }
        if (withFeatures && changes->DescriptionsEntry) {
            StoredPart part = DescriptionsOf(node, StoredRecordParts());
            withFeatures->Descriptions.Description1 = part.bytes.GetString(part.at);
            withFeatures->Descriptions.Description2 = part.bytes.GetString(part.at);
        }
        for (const dbModel_Change& change : changes->List) {
            std::unique_ptr<dbRecord_Class> other = ReadEntryRecord(change.entry);
            if (!other) continue;
            switch (change.kind) {
            case dbModel_Change::Field:
                ReceiveModifier(*record, *other);
                break;
            case dbModel_Change::MeasurementField:
                if (measurement) ReceiveModifier(*measurement, *other);
                break;
            case dbModel_Change::Held:
                if (auto* section = dynamic_cast<db_TunnelCrossSection*>(record.get()))
                    section->PointDeltas.push_back(static_cast<db_TunnelPointDelta&>(*other));
                break;
            }
        }
    }
    if (auto* observation = dynamic_cast<db_Observation*>(record.get()))
        observation->SetMeasurement(std::move(measurement));
    return record;
}

} // namespace tqxml
