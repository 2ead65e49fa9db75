#include "db/model.h"

#include "base/environment.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "records/road.h"

#include <algorithm>

namespace tqxml {

// ---- Index ----------------------------------------------------------------------

bool dbModel_Index::Insert(db_DBIDValue id, dbModel_Node* node) {
    if (Find(id)) return false;
    if (id >= dense_.size()) {
        // Grow the flat array only while it stays proportional to the number
        // of records held; anything further out goes to the hash map.
        const uint64_t limit = 2 * (uint64_t{count_} + 1) + 1024;
        if (id < limit) {
            // Half again at a time: the array's slack stays a third at most.
            const uint64_t grown = std::max<uint64_t>(
                uint64_t{dense_.size()} + dense_.size() / 2 + 1024, uint64_t{id} + 1);
            dense_.resize(static_cast<size_t>(std::min(grown, limit)), nullptr);
            // Identifiers now inside the array move over from the map.
            for (auto it = sparse_.begin(); it != sparse_.end();) {
                if (it->first < dense_.size()) {
                    dense_[it->first] = it->second;
                    it = sparse_.erase(it);
                } else {
                    ++it;
                }
            }
        }
    }
    if (id < dense_.size())
        dense_[id] = node;
    else
        sparse_.emplace(id, node);
    ++count_;
    return true;
}

void dbModel_Index::Erase(db_DBIDValue id) {
    if (id < dense_.size()) {
        if (!dense_[id]) return;
        dense_[id] = nullptr;
    } else if (sparse_.erase(id) == 0) {
        return;
    }
    --count_;
}

void dbModel_Index::Clear() {
    dense_.clear();
    sparse_.clear();
    count_ = 0;
}

// ---- Model ----------------------------------------------------------------------

namespace {

// The records whose features and descriptions the modifier records change.
dbRecordWithFeatures_Class* FeatureTarget(dbRecord_Class& record) {
    if (!HasRecordFlag(record.GetType(), record_table::FeatureTarget)) return nullptr;
    return dynamic_cast<dbRecordWithFeatures_Class*>(&record);
}

} // namespace

dbModel::dbModel(dbAccess_Statistics& statistics, dbJournal& journal)
    : statistics_(statistics), journal_(journal) {}

dbModel::~dbModel() {
    Clear();
}

dbModel_Node* dbModel::NewNode() {
    if (dbModel_Node* node = freeNodes_) {
        freeNodes_ = node->ChainForward;
        node->ChainForward = nullptr;
        return node;
    }
    if (nodesUsedInLastBlock_ == kNodesPerBlock) {
        nodeBlocks_.push_back(std::make_unique<dbModel_Node[]>(kNodesPerBlock));
        nodesUsedInLastBlock_ = 0;
    }
    return &nodeBlocks_.back()[nodesUsedInLastBlock_++];
}

void dbModel::FreeNode(dbModel_Node* node) {
    *node = dbModel_Node();
    node->ChainForward = freeNodes_;
    freeNodes_ = node;
}

void dbModel::Clear() {
    nodeBlocks_.clear();
    nodesUsedInLastBlock_ = kNodesPerBlock;
    freeNodes_ = nullptr;
    _FrontPointer = _BackPointer = nullptr;
    index_.Clear();
    deltaHolders_.clear();
    recordOneOrderKnown_ = true;
    for (TypeSlot& slot : types_)
        slot = TypeSlot();
    totalCount_ = 0;
    nextDBID_ = 1;
    failed_ = false;
}

void dbModel::ApplyTransaction(dbTransaction& transaction, bool repairMode) {
    for (dbAction& action : transaction.Actions) {
        if (failed_) break;
        ApplyEntry(action, repairMode);
    }
    ++statistics_.TransactionsApplied;
}

void dbModel::ApplyEntry(dbAction& action, bool repairMode) {
    if (action.Operation == ACTION_Foreign) {
        ++statistics_.ForeignEntriesSkipped;
        return;
    }
    if (!action.DBRecord) return; // the reader never hands one out
    dbRecord_Class& record = *action.DBRecord;

    if (repairMode && action.Operation != ACTION_Add && !index_.Find(action.Target)) {
        LogHexLine("Target record missing from Model.  Target ", action.Target);
        LogHexLine("-- Offending record ID ", record.RecordId);
        ++statistics_.MissingTargets;
        return;
    }

    if (action.Operation == ACTION_Replace || action.Operation == ACTION_Delete) {
        TQ_ASSERT_TEXT(record.RecordId == action.Target,
                       "action->DBRecord->RecordId == action->Target");
    } else {
        db_DBIDValue recId = nextDBID_++;
        if (repairMode && record.RecordId != recId) {
            LogHexLine("DBID discontinuity.  Expected ", recId);
            LogHexLine("-- Actual DBID read ", record.RecordId);
            ++statistics_.DbidDiscontinuities;
            recId = record.RecordId;
            nextDBID_ = recId + 1;
        }
        TQ_ASSERT_TEXT(record.RecordId == recId, "action->DBRecord->RecordId == recId");
    }
    ApplyRule(action, repairMode);
}

void dbModel::ApplyRule(dbAction& action, bool repairMode) {
    dbRecord_Class& record = *action.DBRecord;
    const uint16_t operation = action.Operation;
    const uint32_t type = record.GetType();

    switch (kRecordTypes[type].category) {
    case record_table::Measurement:
        AttachMeasurement(action, repairMode);
        return;
    case record_table::Modifier:
        ApplyModifier(action, repairMode);
        return;
    case record_table::Attached:
        ApplyTunnelPointDelta(action, repairMode);
        return;
    default:
        break;
    }
    if (type == DATABASE_NoteRecord && operation != ACTION_Add && operation != ACTION_Insert) {
        if (operation == ACTION_Replace || operation == ACTION_AttachNote) {
            // The text becomes the target's note; the note itself is not chained.
            if (dbModel_Node* target = FindTarget(action, repairMode, "target"))
                Materialize(*target).Note = record.Note;
            return;
        }
        TQ_FAIL("Bad action");
        ++statistics_.EntriesRejected;
        return;
    }
    ApplyChainRule(action, repairMode);
}

// The rules of records that take their own place in the chain.
void dbModel::ApplyChainRule(dbAction& action, bool repairMode) {
    dbRecord_Class& record = *action.DBRecord;
    const uint32_t type = record.GetType();
    switch (action.Operation) {
    case ACTION_Add:
        Chain(action, nullptr);
        return;
    case ACTION_Insert:
        if (dbModel_Node* target = FindTarget(action, repairMode, "target"))
            Chain(action, target);
        else
            ++statistics_.EntriesRejected;
        return;
    case ACTION_Replace:
        if (dbModel_Node* target = FindTarget(action, repairMode, "target")) {
            if (HasRecordFlag(type, record_table::ReplacedInPlace))
                CopyInto(target, record);
            else
                ReplaceRecord(target, std::move(action.DBRecord));
        }
        return;
    case ACTION_Delete:
        if (dbModel_Node* target = FindTarget(action, repairMode, "target")) {
            Unlink(target);
            FreeNode(target);
        }
        return;
    default:
        TQ_FAIL("Bad action");
        ++statistics_.EntriesRejected;
        return;
    }
}

// A target that is not in the model is skipped: logged when the journal has
// been repaired by hand, an assertion otherwise.
dbModel_Node* dbModel::FindTarget(const dbAction& action, bool repairMode, const char* assertion) {
    dbModel_Node* node = index_.Find(action.Target);
    if (node) return node;
    if (repairMode) {
        LogHexLine("Target record missing from Model.  Target ", action.Target);
        LogHexLine("-- Offending record ID ", action.DBRecord ? action.DBRecord->RecordId : 0);
    } else {
        TQ_FAIL(assertion);
    }
    ++statistics_.MissingTargets;
    return nullptr;
}

// Links the action's record in front of `before`, or at the back when null.
void dbModel::Chain(dbAction& action, dbModel_Node* before) {
    const db_DBIDValue id = action.DBRecord->GetRecordId();
    TQ_ASSERT_TEXT(id != NODBID, "record->GetRecordId() != NODBID");
    TQ_ASSERT_TEXT(!index_.Find(id), "!_Index.Find (record->GetRecordId())");
    if (id == NODBID || index_.Find(id)) {
        ++statistics_.EntriesRejected;
        return;
    }
    dbModel_Node* node = NewNode();
    const uint32_t type = action.DBRecord->GetType();
    node->EntryPosition = action.FilePosition;
    node->EntryLength = action.Length;
    node->RecordId = id;
    node->Type = static_cast<uint16_t>(type);
    node->BeforeRecordOne = before && (before->BeforeRecordOne || before->RecordId == 1);
    if (before) {
        node->ChainForward = before;
        node->ChainBack = before->ChainBack;
        if (before->ChainBack)
            before->ChainBack->ChainForward = node;
        else
            _FrontPointer = node;
        before->ChainBack = node;
    } else {
        node->ChainBack = _BackPointer;
        if (_BackPointer)
            _BackPointer->ChainForward = node;
        else
            _FrontPointer = node;
        _BackPointer = node;
    }
    if (id == 1 && node != _FrontPointer) recordOneOrderKnown_ = false;
    index_.Insert(id, node);
    Counted(type, id, before == nullptr);
}

// The new record takes the old one's place, identifier and time stamp.
void dbModel::ReplaceRecord(dbModel_Node* node, std::unique_ptr<dbRecord_Class> record) {
    dbRecord_Class& old = Materialize(*node);
    TQ_ASSERT_TEXT(old.GetType() == record->GetType(),
                   "oldRecord->DBRecord->GetType() == record->GetType()");
    record->RecordId = old.RecordId;
    record->TimeStamp = old.TimeStamp;
    if (old.GetType() != record->GetType()) {
        Uncounted(old.GetType());
        Counted(record->GetType(), record->RecordId, false);
    }
    node->Type = static_cast<uint16_t>(record->GetType());
    node->DBRecord = std::move(record);
}

// Observations, lines and arcs are replaced in place: the chained object
// takes the new content and keeps what it holds of its own.
void dbModel::CopyInto(dbModel_Node* node, const dbRecord_Class& record) {
    dbRecord_Class& kept = Materialize(*node);
    kept.CopyFrom(record);
    kept.RecordId = node->RecordId; // the index is keyed by it
}

void dbModel::Unlink(dbModel_Node* oldRecord) {
    dbModel_Node* recordBefore = oldRecord->ChainBack;
    dbModel_Node* recordAfter = oldRecord->ChainForward;
    if (recordBefore) {
        TQ_ASSERT(recordBefore->ChainForward == oldRecord);
        recordBefore->ChainForward = recordAfter;
    } else {
        TQ_ASSERT(_FrontPointer == oldRecord);
        _FrontPointer = recordAfter;
    }
    if (recordAfter) {
        TQ_ASSERT(recordAfter->ChainBack == oldRecord);
        recordAfter->ChainBack = recordBefore;
    } else {
        TQ_ASSERT(_BackPointer == oldRecord);
        _BackPointer = recordBefore;
    }
    oldRecord->ChainForward = oldRecord->ChainBack = nullptr;
    index_.Erase(oldRecord->RecordId);
    Uncounted(oldRecord->Type);
}

// The target of `action` as the class that `cast` accepts, or null: a
// target that is not there is FindTarget's to report; one of another class
// is the assertion `wrongClass`, and the entry is rejected.
template <class R, class Cast>
R* dbModel::TargetAs(const dbAction& action, bool repairMode, const char* missing,
                     const char* wrongClass, Cast cast) {
    dbModel_Node* node = FindTarget(action, repairMode, missing);
    if (!node) return nullptr;
    R* record = cast(Materialize(*node));
    if (!record) {
        TQ_FAIL(wrongClass);
        ++statistics_.EntriesRejected;
    }
    return record;
}

namespace {

template <class R> R* As(dbRecord_Class& record) {
    return dynamic_cast<R*>(&record);
}
dbRecord_Class* AnyRecord(dbRecord_Class& record) {
    return &record;
}

} // namespace

void dbModel::AttachMeasurement(dbAction& action, bool repairMode) {
    // An observation still in its entry keeps only where its latest
    // measurement is: taking one drops the one held before.
    dbModel_Node* node = index_.Find(action.Target);
    if (node && !node->DBRecord && node->Type == DATABASE_ObservationRecord) {
        node->MeasurementPosition = action.FilePosition;
        node->MeasurementLength = action.Length;
        return;
    }
    // The transaction's record is destroyed after use: the observation keeps
    // it rather than a copy of it.
    if (auto* point = TargetAs<db_Observation>(action, repairMode, "obs", "obs", As<db_Observation>))
        point->SetMeasurement(std::move(action.DBRecord));
}

void dbModel::ApplyModifier(dbAction& action, bool repairMode) {
    const dbRecord_Class& record = *action.DBRecord;
    switch (record.GetType()) {
    case DATABASE_BoolActionRecord:
        if (auto* target = TargetAs<dbRecord_Class>(action, repairMode, "target", "", AnyRecord))
            target->Receive(static_cast<const db_BoolAction&>(record));
        return;
    case DATABASE_DBIDRecord:
        if (auto* target =
                TargetAs<dbRecord_Class>(action, repairMode, "observation", "", AnyRecord))
            ApplyReference(*target, static_cast<const db_DBID&>(record));
        return;
    case DATABASE_StrRecord:
        if (auto* target = TargetAs<dbRecord_Class>(action, repairMode, "target", "", AnyRecord))
            target->Receive(static_cast<const db_Str&>(record));
        return;
    case DATABASE_FeaturesRecord:
        TQ_ASSERT_TEXT(action.Target != NODBID, "action->Target.value != NODBID");
        if (action.Target == NODBID) {
            ++statistics_.EntriesRejected;
            return;
        }
        if (auto* target = TargetAs<dbRecordWithFeatures_Class>(action, repairMode, "target",
                                                                "featureRecord", FeatureTarget)) {
            auto& update = static_cast<db_Features&>(*action.DBRecord);
            if (!(target->Features == update.Features)) target->Features = std::move(update.Features);
        }
        return;
    case DATABASE_DescriptionsRecord:
        if (auto* target = TargetAs<dbRecordWithFeatures_Class>(action, repairMode, "target",
                                                                "featureRecord", FeatureTarget))
            target->Descriptions = static_cast<const db_Descriptions&>(record).Descriptions;
        return;
    default:
        return;
    }
}

// A record reference goes to an observation's measurement or to an antenna;
// any other target ignores it.
void dbModel::ApplyReference(dbRecord_Class& target, const db_DBID& value) {
    if (target.GetType() == DATABASE_ObservationRecord) {
        auto* observation = dynamic_cast<db_Observation*>(&target);
        TQ_ASSERT_TEXT(observation, "observation");
        dbRecord_Class* measurement = observation ? observation->Measurement.get() : nullptr;
        TQ_ASSERT_TEXT(measurement, "measurement");
        if (measurement) measurement->Receive(value);
    } else if (target.GetType() == DATABASE_AntennaRecord) {
        target.Receive(value);
    }
}

// A replacing point delta is looked for from the record with identifier 1
// towards the back; any other action hands the delta to its cross-section.
void dbModel::ApplyTunnelPointDelta(dbAction& action, bool repairMode) {
    const auto& delta = static_cast<const db_TunnelPointDelta&>(*action.DBRecord);
    if (action.Operation == ACTION_Replace) {
        ReplaceTunnelPointDelta(action.Target, delta);
        return;
    }
    if (auto* crossSection = TargetAs<db_TunnelCrossSection>(action, repairMode, "target", "target",
                                                             As<db_TunnelCrossSection>)) {
        crossSection->AttachPointDelta(delta);
        deltaHolders_.emplace(delta.RecordId, index_.Find(action.Target));
    }
}

namespace {

db_TunnelCrossSection* HolderOf(const dbModel_Node* node, db_DBIDValue delta) {
    // A cross-section still in its entry has been handed no delta.
    if (!node->DBRecord || node->Type != DATABASE_TunnelCrossSectionRecord)
        return nullptr;
    auto& crossSection = static_cast<db_TunnelCrossSection&>(*node->DBRecord);
    return crossSection.HoldsPointDelta(delta) ? &crossSection : nullptr;
}

} // namespace

// The first cross-section, from record 1 towards the back, that holds a delta
// with identifier `target` takes `delta` in its place. The holders' index
// answers when one section behind record 1 holds the delta; when several do,
// or record 1 was chained behind others, the chain is searched.
void dbModel::ReplaceTunnelPointDelta(db_DBIDValue target, const db_TunnelPointDelta& delta) {
    dbModel_Node* const one = index_.Find(1);
    if (!one) return;
    dbModel_Node* holder = nullptr;
    bool search = !recordOneOrderKnown_;
    const auto [begin, end] = deltaHolders_.equal_range(target);
    for (auto it = begin; it != end && !search; ++it) {
        if (it->second->BeforeRecordOne || !HolderOf(it->second, target)) continue;
        if (holder && holder != it->second) search = true;
        holder = it->second;
    }
    if (search) {
        holder = nullptr;
        for (dbModel_Node* node = one; node && !holder; node = node->ChainForward)
            if (HolderOf(node, target)) holder = node;
    }
    if (!holder) return;
    HolderOf(holder, target)->ReplacePointDelta(target, delta);
    if (delta.RecordId != target) deltaHolders_.emplace(delta.RecordId, holder);
}

// ---- Walk -----------------------------------------------------------------------

db_DBIDValue dbModel::FirstRecordId() const {
    return _FrontPointer ? _FrontPointer->RecordId : NODBID;
}

db_DBIDValue dbModel::NextRecordId(db_DBIDValue id) const {
    const dbModel_Node* node = id == NODBID ? nullptr : index_.Find(id);
    return node && node->ChainForward ? node->ChainForward->RecordId : NODBID;
}

dbRecord_Class* dbModel::GetRecord(db_DBIDValue id) {
    dbModel_Node* node = id == NODBID ? nullptr : index_.Find(id);
    return node ? &Materialize(*node) : nullptr;
}

const dbRecord_Class* dbModel::LoadRecord(db_DBIDValue id,
                                          std::unique_ptr<dbRecord_Class>& transient) {
    const dbModel_Node* node = id == NODBID ? nullptr : index_.Find(id);
    if (!node) return nullptr;
    if (node->DBRecord) return node->DBRecord.get();
    transient = Decode(*node, true);
    return transient.get();
}

uint32_t dbModel::RecordType(db_DBIDValue id) const {
    const dbModel_Node* node = id == NODBID ? nullptr : index_.Find(id);
    return node ? node->Type : 0;
}

// ---- Records in their entries ---------------------------------------------------

namespace {

// Decoding a record again repeats nothing it reported the first time.
Environment gQuiet;

} // namespace

// The record as the replay made it: its entry's record, and the last
// measurement an observation was handed. An entry that no longer reads as
// it did (the file changed since) gives an empty record of the node's type.
std::unique_ptr<dbRecord_Class> dbModel::Decode(const dbModel_Node& node, bool readAhead) {
    std::unique_ptr<dbRecord_Class> record, measurement;
    {
        ScopedThreadEnvironment quiet(&gQuiet);
        record = journal_.ReadRecordAgain(node.EntryPosition, node.EntryLength, readAhead);
        if (node.MeasurementLength != 0)
            measurement =
                journal_.ReadRecordAgain(node.MeasurementPosition, node.MeasurementLength, readAhead);
    }
    if (!record || record->GetType() != node.Type || record->RecordId != node.RecordId ||
        (node.MeasurementLength != 0 && !measurement)) {
        LogHexLine("Journal: Entry no longer readable at filepos ", node.EntryPosition);
        record = CreateRecord(node.Type);
        if (!record) return nullptr;
        record->RecordId = node.RecordId;
        return record;
    }
    if (measurement) static_cast<db_Observation&>(*record).SetMeasurement(std::move(measurement));
    return record;
}

dbRecord_Class& dbModel::Materialize(dbModel_Node& node) {
    if (!node.DBRecord) {
        node.DBRecord = Decode(node, false);
        node.MeasurementLength = 0;
    }
    return *node.DBRecord;
}

// ---- Per-type counts ------------------------------------------------------------

// Additions at the back keep First/Last exact; any other change marks them
// to be found again by a walk when asked for.
void dbModel::Counted(uint32_t type, db_DBIDValue id, bool atBack) {
    ++totalCount_;
    if (type >= kTypeSlots) return;
    TypeSlot& slot = types_[type];
    if (++slot.Value.Count == 1) {
        slot.Value.First = slot.Value.Last = id;
        slot.Stale = false;
    } else if (atBack) {
        slot.Value.Last = id;
    } else {
        slot.Stale = true;
    }
}

void dbModel::Uncounted(uint32_t type) {
    if (totalCount_ > 0) --totalCount_;
    if (type >= kTypeSlots) return;
    TypeSlot& slot = types_[type];
    if (slot.Value.Count > 0) --slot.Value.Count;
    if (slot.Value.Count == 0) {
        slot = TypeSlot();
    } else {
        slot.Stale = true;
    }
}

dbModel_TypeCount dbModel::TypeCount(uint32_t type) const {
    if (type >= kTypeSlots) return {};
    TypeSlot& slot = types_[type];
    if (slot.Stale) {
        slot.Value.First = slot.Value.Last = NODBID;
        for (const dbModel_Node* node = _FrontPointer; node; node = node->ChainForward) {
            if (node->Type != type) continue;
            if (slot.Value.First == NODBID) slot.Value.First = node->RecordId;
            slot.Value.Last = node->RecordId;
        }
        slot.Stale = false;
    }
    return slot.Value;
}

} // namespace tqxml
