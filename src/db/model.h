// dbModel: the records of an open job as an ordered chain, with an index by
// record identifier. Replaying the journal applies each transaction here; the
// conversion walks the chain from front to back.
#pragma once

#include "db/journal.h"
#include "db/statistics.h"
#include "records/record.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tqxml {

class db_DBID;
class db_TunnelPointDelta;

// A chained record. Until a rule of the journal needs the record itself, the
// node only says where its entry is, and the record is decoded from there
// again when it is wanted: a job's records are never all held at once.
struct dbModel_Node {
    dbModel_Node* ChainForward = nullptr;
    dbModel_Node* ChainBack = nullptr;
    std::unique_ptr<dbRecord_Class> DBRecord; // null while the record stays in its entry
    uint32_t EntryPosition = 0;               // the record's entry
    uint32_t EntryLength = 0;
    uint32_t MeasurementPosition = 0; // an observation's measurement, held back with it
    uint32_t MeasurementLength = 0;   // 0: none
    db_DBIDValue RecordId = NODBID;
    uint16_t Type = 0;
    bool BeforeRecordOne = false; // chained in front of the record with identifier 1
};

// Identifier -> node. Identifiers are handed out from 1 upward, so they are
// kept in a flat array indexed by the identifier, which makes a lookup one
// load. The array is only ever grown to a size proportional to the number of
// records held: an identifier far beyond that (a hand-repaired journal can
// carry 0xFFFFFFF0) goes to a hash map instead, so a stored identifier never
// decides how much memory is taken.
class dbModel_Index {
public:
    dbModel_Node* Find(db_DBIDValue id) const {
        if (id < dense_.size()) return dense_[id];
        if (sparse_.empty()) return nullptr;
        const auto it = sparse_.find(id);
        return it == sparse_.end() ? nullptr : it->second;
    }
    // False when the identifier is taken already.
    bool Insert(db_DBIDValue id, dbModel_Node* node);
    void Erase(db_DBIDValue id);
    void Clear();
    uint32_t Count() const { return count_; }
    size_t DenseSize() const { return dense_.size(); }
    size_t SparseSize() const { return sparse_.size(); }

private:
    std::vector<dbModel_Node*> dense_;
    std::unordered_map<db_DBIDValue, dbModel_Node*> sparse_;
    uint32_t count_ = 0;
};

// First and last identifier (in chain order) and the number of chained
// records of one record type.
struct dbModel_TypeCount {
    db_DBIDValue First = NODBID;
    db_DBIDValue Last = NODBID;
    uint32_t Count = 0;
};

class dbModel {
public:
    static constexpr int kTypeSlots = DATABASE_AllRecords;

    // What the replay does is counted in `statistics`, which outlives it.
    // Records left in their entries are read again from `journal`.
    dbModel(dbAccess_Statistics& statistics, dbJournal& journal);
    ~dbModel();
    dbModel(const dbModel&) = delete;
    dbModel& operator=(const dbModel&) = delete;

    // Destroys every record; the model is as constructed afterwards.
    void Clear();

    // Applies the entries of a complete transaction in file order. The
    // records are taken out of the transaction. `repairMode`: the journal
    // has been repaired by hand, so missing targets and identifier gaps are
    // logged and tolerated rather than asserted.
    void ApplyTransaction(dbTransaction& transaction, bool repairMode);

    // Set only by group operations, which the replay never starts; stops
    // the replay when set.
    bool IsFailed() const { return failed_; }
    void SetFailed(bool failed) { failed_ = failed; }

    db_DBIDValue NextDBID() const { return nextDBID_; }

    // The walk, in chain order.
    db_DBIDValue FirstRecordId() const;
    db_DBIDValue NextRecordId(db_DBIDValue id) const;
    // The record, decoded once and then kept by the model.
    dbRecord_Class* GetRecord(db_DBIDValue id);
    // The record for one look: the one the model keeps, or one decoded
    // into `transient` (replacing what it held) for records still in their
    // entries, read ahead in file order.
    const dbRecord_Class* LoadRecord(db_DBIDValue id, std::unique_ptr<dbRecord_Class>& transient);
    // The record's type (0 when there is no such record), without decoding it.
    uint32_t RecordType(db_DBIDValue id) const;
    const dbModel_Node* Front() const { return _FrontPointer; }
    const dbModel_Node* Back() const { return _BackPointer; }

    uint32_t TotalCount() const { return totalCount_; }
    dbModel_TypeCount TypeCount(uint32_t type) const;
    const dbModel_Index& Index() const { return index_; }

private:
    struct TypeSlot {
        dbModel_TypeCount Value;
        bool Stale = false; // First/Last must be found again by a walk
    };

    void ApplyEntry(dbAction& action, bool repairMode);
    void ApplyRule(dbAction& action, bool repairMode);
    void ApplyChainRule(dbAction& action, bool repairMode);
    // The node's record, decoded from its entry and kept from now on.
    dbRecord_Class& Materialize(dbModel_Node& node);
    std::unique_ptr<dbRecord_Class> Decode(const dbModel_Node& node, bool readAhead);
    dbModel_Node* FindTarget(const dbAction& action, bool repairMode, const char* assertion);

    void Chain(dbAction& action, dbModel_Node* before);
    void ReplaceRecord(dbModel_Node* node, std::unique_ptr<dbRecord_Class> record);
    void CopyInto(dbModel_Node* node, const dbRecord_Class& record);
    void Unlink(dbModel_Node* node);
    void AttachMeasurement(dbAction& action, bool repairMode);
    void ApplyModifier(dbAction& action, bool repairMode);
    void ApplyTunnelPointDelta(dbAction& action, bool repairMode);
    void ReplaceTunnelPointDelta(db_DBIDValue target, const db_TunnelPointDelta& delta);
    void ApplyReference(dbRecord_Class& target, const db_DBID& value);
    template <class R, class Cast>
    R* TargetAs(const dbAction& action, bool repairMode, const char* missing,
                const char* wrongClass, Cast cast);

    // Nodes come from blocks of the model's own, a free list taking back
    // unlinked ones: a million records make a million nodes, and a heap
    // block each would cost a third again of what they hold.
    dbModel_Node* NewNode();
    void FreeNode(dbModel_Node* node);

    void Counted(uint32_t type, db_DBIDValue id, bool atBack);
    void Uncounted(uint32_t type);

    static constexpr size_t kNodesPerBlock = 32768; // mapped on its own, as the arena's chunks
    std::vector<std::unique_ptr<dbModel_Node[]>> nodeBlocks_;
    size_t nodesUsedInLastBlock_ = kNodesPerBlock;
    dbModel_Node* freeNodes_ = nullptr; // linked through ChainForward

    dbModel_Node* _FrontPointer = nullptr;
    dbModel_Node* _BackPointer = nullptr;
    dbModel_Index index_;
    // Point delta identifier -> the cross-sections that were handed a delta
    // under it. Entries are checked when used (a section may have been
    // replaced or deleted since), so none is ever removed.
    std::unordered_multimap<db_DBIDValue, dbModel_Node*> deltaHolders_;
    // False once record 1 was chained behind another record: the nodes'
    // BeforeRecordOne no longer tell which side of it they are on.
    bool recordOneOrderKnown_ = true;
    mutable TypeSlot types_[kTypeSlots];
    uint32_t totalCount_ = 0;
    db_DBIDValue nextDBID_ = 1;
    bool failed_ = false;
    dbAccess_Statistics& statistics_;
    dbJournal& journal_;
};

} // namespace tqxml
