// The journal's rules: how each entry of a complete transaction changes the
// model, by its action and its record's category in the record table
// (chained, measurement, modifier, attached). No record is decoded here:
// a rule records which entry now gives which part of a chained record, and
// the record is read from those entries when it is written.
#pragma once

#include "db/journal.h"
#include "db/model.h"
#include "db/statistics.h"

namespace tqxml {

class dbRules {
public:
    // What the rules do is counted in `statistics`; records' types and
    // identifiers are looked up in `journal`'s bytes.
    dbRules(dbModel& model, const dbJournal& journal, dbAccess_Statistics& statistics)
        : model_(model), journal_(journal), statistics_(statistics) {}

    // Applies the entries of a complete transaction in file order.
    // `repairMode`: the journal has been repaired by hand, so missing targets
    // and identifier gaps are logged and tolerated rather than asserted.
    void ApplyTransaction(const dbTransaction& transaction, bool repairMode);

private:
    void ApplyEntry(const dbAction& action, bool repairMode);
    void ApplyChainRule(const dbAction& action, bool repairMode);
    void ApplyNote(const dbAction& action, bool repairMode);
    void AttachMeasurement(const dbAction& action, bool repairMode);
    void ApplyModifier(const dbAction& action, bool repairMode);
    void ReceiveIntoField(const dbAction& action, uint32_t target);
    void ApplyPointDelta(const dbAction& action, bool repairMode);
    void ReplacePointDelta(const dbAction& action);

    // The node the action names; a target that is not in the model is
    // skipped: logged when the journal has been repaired by hand, reported
    // as `assertion` otherwise.
    uint32_t FindTarget(const dbAction& action, bool repairMode, const char* assertion);
    void Reject(const char* assertion);

    void ReplaceRecord(const dbAction& action, uint32_t target);
    void ReplaceInPlace(const dbAction& action, uint32_t target);

    dbModel& model_;
    const dbJournal& journal_;
    dbAccess_Statistics& statistics_;
};

} // namespace tqxml
