#include "db/rules.h"

#include "base/environment.h"

#include <cstdio>
#include <cstring>

namespace tqxml {

void dbRules::ApplyTransaction(const dbTransaction& transaction, bool repairMode) {
    for (const dbAction& action : transaction.Actions)
        ApplyEntry(action, repairMode);
    ++statistics_.TransactionsApplied;
}

void dbRules::Reject(const char* assertion) {
    TQ_FAIL(assertion);
    ++statistics_.EntriesRejected;
}

void dbRules::ApplyEntry(const dbAction& action, bool repairMode) {
    if (action.Operation == ACTION_Foreign) {
        ++statistics_.ForeignEntriesSkipped;
        return;
    }
    if (repairMode && action.Operation != ACTION_Add && model_.Find(action.Target) == kNoNode) {
        LogHexLine("Target record missing from Model.  Target ", action.Target);
        LogHexLine("-- Offending record ID ", action.RecordId);
        ++statistics_.MissingTargets;
        return;
    }

    if (action.Operation == ACTION_Replace || action.Operation == ACTION_Delete) {
        TQ_ASSERT_TEXT(action.RecordId == action.Target,
                       "action->DBRecord->RecordId == action->Target");
    } else {
        db_DBIDValue recId = model_.NextDBID();
        model_.SetNextDBID(recId + 1);
        if (repairMode && action.RecordId != recId) {
            LogHexLine("DBID discontinuity.  Expected ", recId);
            LogHexLine("-- Actual DBID read ", action.RecordId);
            ++statistics_.DbidDiscontinuities;
            recId = action.RecordId;
            model_.SetNextDBID(recId + 1);
        }
        TQ_ASSERT_TEXT(action.RecordId == recId, "action->DBRecord->RecordId == recId");
    }

    switch (kRecordTypes[action.RecordType].category) {
    case record_table::Measurement:
        return AttachMeasurement(action, repairMode);
    case record_table::Modifier:
        return ApplyModifier(action, repairMode);
    case record_table::Attached:
        return ApplyPointDelta(action, repairMode);
    default:
        break;
    }
    if (action.RecordType == DATABASE_NoteRecord && action.Operation != ACTION_Add &&
        action.Operation != ACTION_Insert)
        return ApplyNote(action, repairMode);
    ApplyChainRule(action, repairMode);
}

uint32_t dbRules::FindTarget(const dbAction& action, bool repairMode, const char* assertion) {
    const uint32_t node = model_.Find(action.Target);
    if (node != kNoNode) return node;
    if (repairMode) {
        LogHexLine("Target record missing from Model.  Target ", action.Target);
        LogHexLine("-- Offending record ID ", action.RecordId);
    } else {
        TQ_FAIL(assertion);
    }
    ++statistics_.MissingTargets;
    return kNoNode;
}

// The rules of records that take their own place in the chain.
void dbRules::ApplyChainRule(const dbAction& action, bool repairMode) {
    switch (action.Operation) {
    case ACTION_Add:
    case ACTION_Insert: {
        uint32_t before = kNoNode;
        if (action.Operation == ACTION_Insert) {
            before = FindTarget(action, repairMode, "target");
            if (before == kNoNode) {
                ++statistics_.EntriesRejected;
                return;
            }
        }
        const db_DBIDValue id = action.RecordId;
        TQ_ASSERT_TEXT(id != NODBID, "record->GetRecordId() != NODBID");
        TQ_ASSERT_TEXT(model_.Find(id) == kNoNode, "!_Index.Find (record->GetRecordId())");
        if (id == NODBID || model_.Find(id) != kNoNode) {
            ++statistics_.EntriesRejected;
            return;
        }
        model_.Chain(id, action.RecordType, action.FilePosition, before);
        return;
    }
    case ACTION_Replace: {
        const uint32_t target = FindTarget(action, repairMode, "target");
        if (target == kNoNode) return;
        if (HasRecordFlag(action.RecordType, record_table::ReplacedInPlace))
            ReplaceInPlace(action, target);
        else
            ReplaceRecord(action, target);
        return;
    }
    case ACTION_Delete: {
        const uint32_t target = FindTarget(action, repairMode, "target");
        if (target != kNoNode) model_.Remove(target);
        return;
    }
    default:
        Reject("Bad action");
        return;
    }
}

// The new record takes the old one's place, identifier and time stamp;
// nothing else of the old one stays.
void dbRules::ReplaceRecord(const dbAction& action, uint32_t target) {
    dbModel_Node& node = model_.Node(target);
    TQ_ASSERT_TEXT(node.Type == action.RecordType,
                   "oldRecord->DBRecord->GetType() == record->GetType()");
    const dbModel_Changes* old = model_.Changes(node);
    const uint32_t stamp = old && old->StampEntry ? old->StampEntry : node.Entry;
    model_.DropChanges(target);
    model_.Retype(target, action.RecordType);
    node.Entry = action.FilePosition;
    node.Measurement = 0;
    model_.ChangesOf(target).StampEntry = stamp;
}

// Observations, lines and arcs: the chained record takes all of the new one
// but its own identifier and features (and an observation its measurement,
// with what was changed in it). A record of another type changes nothing.
void dbRules::ReplaceInPlace(const dbAction& action, uint32_t target) {
    dbModel_Node& node = model_.Node(target);
    if (node.Type != action.RecordType) {
        TQ_FAIL(node.Type == DATABASE_ObservationRecord ? "obs"
                : node.Type == DATABASE_LineRecord      ? "line"
                : node.Type == DATABASE_ArcRecord       ? "arc"
                                                        : "this->GetType() == other.GetType()");
        return;
    }
    const dbModel_Changes* old = model_.Changes(node);
    const uint32_t features = old && old->FeaturesEntry ? old->FeaturesEntry : node.Entry;
    std::vector<dbModel_Change> measurementFields;
    if (old)
        for (const dbModel_Change& change : old->List)
            if (change.kind == dbModel_Change::MeasurementField) measurementFields.push_back(change);
    model_.DropChanges(target);
    node.Entry = action.FilePosition;
    dbModel_Changes& changes = model_.ChangesOf(target);
    changes.FeaturesEntry = features;
    changes.List = std::move(measurementFields);
}

// A note's text becomes its target's note; the note itself is not chained.
void dbRules::ApplyNote(const dbAction& action, bool repairMode) {
    if (action.Operation != ACTION_Replace && action.Operation != ACTION_AttachNote)
        return Reject("Bad action");
    const uint32_t target = FindTarget(action, repairMode, "target");
    if (target != kNoNode) model_.ChangesOf(target).NoteEntry = action.FilePosition;
}

// An observation keeps the latest measurement its entries name; what was
// changed in the one before goes with it.
void dbRules::AttachMeasurement(const dbAction& action, bool repairMode) {
    const uint32_t target = FindTarget(action, repairMode, "obs");
    if (target == kNoNode) return;
    dbModel_Node& node = model_.Node(target);
    if (node.Type != DATABASE_ObservationRecord) return Reject("obs");
    node.Measurement = action.FilePosition;
    if (node.Changes) std::erase_if(model_.ChangesOf(target).List, [](const dbModel_Change& c) {
        return c.kind == dbModel_Change::MeasurementField;
    });
}

void dbRules::ApplyModifier(const dbAction& action, bool repairMode) {
    const uint32_t type = action.RecordType;
    const bool header = HasRecordFlag(type, record_table::ChangesFeatures) ||
                        HasRecordFlag(type, record_table::ChangesDescriptions);
    if (header) {
        if (HasRecordFlag(type, record_table::ChangesFeatures)) {
            TQ_ASSERT_TEXT(action.Target != NODBID, "action->Target.value != NODBID");
            if (action.Target == NODBID) {
                ++statistics_.EntriesRejected;
                return;
            }
        }
        const uint32_t target = FindTarget(action, repairMode, "target");
        if (target == kNoNode) return;
        const uint32_t targetType = model_.Node(target).Type;
        if (!HasRecordFlag(targetType, record_table::FeatureTarget) || !HasFeatureArray(targetType))
            return Reject("featureRecord");
        dbModel_Changes& changes = model_.ChangesOf(target);
        if (HasRecordFlag(type, record_table::ChangesFeatures))
            changes.FeaturesEntry = action.FilePosition;
        else
            changes.DescriptionsEntry = action.FilePosition;
        return;
    }
    const bool passedOn = HasRecordFlag(type, record_table::SilentElsewhere);
    const uint32_t target = FindTarget(action, repairMode, passedOn ? "observation" : "target");
    if (target != kNoNode) ReceiveIntoField(action, target);
}

namespace {

void ReportNotReceived(uint32_t modifier) {
    char text[96];
    std::snprintf(text, sizeof text, "!\"Receive %s not supported\"", RecordClassName(modifier));
    TQ_FAIL(text);
}

} // namespace

// A modifier of the other kinds goes into the field the record table names
// for its target; "Measurement" passes it on to an observation's measurement.
void dbRules::ReceiveIntoField(const dbAction& action, uint32_t target) {
    const uint32_t modifier = action.RecordType;
    dbModel_Node& node = model_.Node(target);
    const ModifierReceiver* row = FindReceiver(modifier, node.Type);
    if (!row) {
        if (!HasRecordFlag(modifier, record_table::SilentElsewhere)) ReportNotReceived(modifier);
        return;
    }
    if (std::strcmp(row->field, "Measurement") != 0) {
        model_.ChangesOf(target).List.push_back({dbModel_Change::Field, action.FilePosition});
        return;
    }
    TQ_ASSERT_TEXT(node.Measurement != 0, "measurement");
    if (node.Measurement == 0) return;
    if (!FindReceiver(modifier, journal_.RecordTypeAt(node.Measurement)))
        return ReportNotReceived(modifier);
    model_.ChangesOf(target).List.push_back(
        {dbModel_Change::MeasurementField, action.FilePosition});
}

// A replacing point delta is looked for from the record with identifier 1
// towards the back; any other action hands the delta to its cross-section.
void dbRules::ApplyPointDelta(const dbAction& action, bool repairMode) {
    if (action.Operation == ACTION_Replace) return ReplacePointDelta(action);
    const uint32_t target = FindTarget(action, repairMode, "target");
    if (target == kNoNode) return;
    if (model_.Node(target).Type != DATABASE_TunnelCrossSectionRecord) return Reject("target");
    model_.ChangesOf(target).List.push_back(
        {dbModel_Change::Held, action.FilePosition, action.RecordId});
    model_.Holders().emplace(action.RecordId, target);
}

namespace {

// The held entry of `node` for the point delta with identifier `delta`.
dbModel_Change* HeldDelta(dbModel& model, uint32_t node, db_DBIDValue delta) {
    const dbModel_Node& section = model.Node(node);
    if (section.Type != DATABASE_TunnelCrossSectionRecord || !section.Changes) return nullptr;
    for (dbModel_Change& change : model.ChangesOf(node).List)
        if (change.kind == dbModel_Change::Held && change.held == delta) return &change;
    return nullptr;
}

} // namespace

// The first cross-section, from record 1 towards the back, that holds a delta
// with the target's identifier takes the new delta in its place. The
// holders' index answers when one section behind record 1 holds the delta;
// when several do, or record 1 was chained behind others, the chain is
// searched.
void dbRules::ReplacePointDelta(const dbAction& action) {
    const uint32_t one = model_.Find(1);
    if (one == kNoNode) return;
    const db_DBIDValue target = action.Target;
    uint32_t holder = kNoNode;
    bool search = !model_.RecordOneOrderKnown();
    const auto [begin, end] = model_.Holders().equal_range(target);
    for (auto it = begin; it != end && !search; ++it) {
        if (model_.Node(it->second).BeforeRecordOne || !HeldDelta(model_, it->second, target))
            continue;
        if (holder != kNoNode && holder != it->second) search = true;
        holder = it->second;
    }
    if (search) {
        holder = kNoNode;
        for (uint32_t node = one; node != kNoNode && holder == kNoNode;
             node = model_.Node(node).Forward)
            if (HeldDelta(model_, node, target)) holder = node;
    }
    if (holder == kNoNode) return;
    dbModel_Change& held = *HeldDelta(model_, holder, target);
    held.entry = action.FilePosition;
    held.held = action.RecordId;
    if (action.RecordId != target) model_.Holders().emplace(action.RecordId, holder);
}

} // namespace tqxml
