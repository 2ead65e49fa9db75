// dbModel: the records of an open job as an ordered chain, with an index by
// record identifier. A chained record is where its entry is in the job's
// bytes, and what the journal's rules did to it since (db/rules.h): the
// model holds no record objects. The conversion walks the chain from front
// to back.
#pragma once

#include "records/record.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tqxml {

// Nodes are numbered from 0; this number names none.
inline constexpr uint32_t kNoNode = 0xFFFFFFFFu;

// A chained record.
struct dbModel_Node {
    uint32_t Forward = kNoNode;     // the next node of the chain
    uint32_t Back = kNoNode;        // the node before
    uint32_t Entry = 0;             // where the record's entry begins
    uint32_t Measurement = 0;       // an observation's measurement entry; 0 for none
    uint32_t Changes = 0;           // 1 + the index of its changes; 0 for none
    db_DBIDValue RecordId = NODBID;
    uint16_t Type = 0;
    bool BeforeRecordOne = false; // chained in front of the record with identifier 1
};

// One change to a chained record that an entry of its own made: a modifier
// taken into a field of the record or of its measurement (the record table
// says which field), or a record it holds (a tunnel cross-section's point
// deltas, in the order attached).
struct dbModel_Change {
    enum Kind : uint8_t { Field, MeasurementField, Held };
    Kind kind = Field;
    uint32_t entry = 0;           // the modifier's (or held record's) entry
    db_DBIDValue held = NODBID;   // Held: the held record's identifier
};

// What a chained record carries from other entries than its own: 0 for a
// part that is still its own entry's.
struct dbModel_Changes {
    uint32_t StampEntry = 0;        // the time stamp (a replace keeps the old one)
    uint32_t NoteEntry = 0;         // the note (a note attached to it)
    uint32_t FeaturesEntry = 0;     // the feature array (a feature update, or the
                                    // record it was before an in-place replace)
    uint32_t DescriptionsEntry = 0; // the two descriptions (a description update)
    std::vector<dbModel_Change> List;

    bool OnlyHeader() const { return FeaturesEntry == 0 && DescriptionsEntry == 0 && List.empty(); }
};

// Identifier -> node. Identifiers are handed out from 1 upward, so they are
// kept in a flat array indexed by the identifier, which makes a lookup one
// load. The array is only ever grown to a size proportional to the number of
// records held: an identifier far beyond that (a hand-repaired journal can
// carry 0xFFFFFFF0) goes to a hash map instead, so a stored identifier never
// decides how much memory is taken.
class dbModel_Index {
public:
    uint32_t Find(db_DBIDValue id) const {
        if (id < dense_.size()) return dense_[id];
        if (sparse_.empty()) return kNoNode;
        const auto it = sparse_.find(id);
        return it == sparse_.end() ? kNoNode : it->second;
    }
    // False when the identifier is taken already.
    bool Insert(db_DBIDValue id, uint32_t node);
    void Erase(db_DBIDValue id);
    void Clear();
    uint32_t Count() const { return count_; }
    size_t DenseSize() const { return dense_.size(); }
    size_t SparseSize() const { return sparse_.size(); }

private:
    std::vector<uint32_t> dense_;
    std::unordered_map<db_DBIDValue, uint32_t> sparse_;
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
    dbModel() = default;
    dbModel(const dbModel&) = delete;
    dbModel& operator=(const dbModel&) = delete;

    // Forgets every record; the model is as constructed afterwards.
    void Clear();

    // The identifier that the next added record takes.
    db_DBIDValue NextDBID() const { return nextDBID_; }
    void SetNextDBID(db_DBIDValue id) { nextDBID_ = id; }

    uint32_t Find(db_DBIDValue id) const { return id == NODBID ? kNoNode : index_.Find(id); }
    dbModel_Node& Node(uint32_t node) { return blocks_[node / kNodesPerBlock][node % kNodesPerBlock]; }
    const dbModel_Node& Node(uint32_t node) const {
        return blocks_[node / kNodesPerBlock][node % kNodesPerBlock];
    }

    // Chains the record of the entry at `entry` in front of `before`, or at
    // the back for kNoNode; gives its node. The identifier must be new.
    uint32_t Chain(db_DBIDValue id, uint16_t type, uint32_t entry, uint32_t before);
    // Takes the node out of the chain and forgets it.
    void Remove(uint32_t node);
    // The record at `node` is now of another type.
    void Retype(uint32_t node, uint16_t type);

    // The changes of a node, made when asked for the first time; Changes
    // gives null for a node without any.
    dbModel_Changes& ChangesOf(uint32_t node);
    const dbModel_Changes* Changes(const dbModel_Node& node) const {
        return node.Changes ? &changes_[node.Changes - 1] : nullptr;
    }
    // The node carries nothing from other entries any more.
    void DropChanges(uint32_t node);

    // Point delta identifier -> the nodes that were handed a delta under it.
    // Kept for the replace rule of point deltas, which checks each when used
    // (a section may have been replaced or deleted since), so none is ever
    // removed.
    std::unordered_multimap<db_DBIDValue, uint32_t>& Holders() { return holders_; }
    // False once record 1 was chained behind another record: the nodes'
    // BeforeRecordOne no longer tell which side of it they are on.
    bool RecordOneOrderKnown() const { return recordOneOrderKnown_; }

    // The walk, in chain order.
    uint32_t Front() const { return front_; }
    uint32_t Back() const { return back_; }
    db_DBIDValue FirstRecordId() const { return front_ == kNoNode ? NODBID : Node(front_).RecordId; }
    db_DBIDValue NextRecordId(db_DBIDValue id) const;
    // The record's type (0 when there is no such record).
    uint32_t RecordType(db_DBIDValue id) const;

    uint32_t TotalCount() const { return totalCount_; }
    // The number of chained records of `type`, and with it the first and the
    // last in chain order (which may take a walk to find).
    uint32_t CountOfType(uint32_t type) const {
        return type < DATABASE_AllRecords ? types_[type].Value.Count : 0;
    }
    dbModel_TypeCount TypeCount(uint32_t type) const;
    const dbModel_Index& Index() const { return index_; }

private:
    struct TypeSlot {
        dbModel_TypeCount Value;
        bool Stale = false; // First/Last must be found again by a walk
    };

    // Nodes come in blocks of the model's own, a free list taking back
    // removed ones: a million records make a million nodes, and a heap
    // block each would cost a third again of what they hold.
    static constexpr uint32_t kNodesPerBlock = 32768;
    uint32_t NewNode();

    void Counted(uint32_t type, db_DBIDValue id, bool atBack);
    void Uncounted(uint32_t type);

    std::vector<std::unique_ptr<dbModel_Node[]>> blocks_;
    uint32_t nodesUsed_ = 0;
    uint32_t freeNodes_ = kNoNode; // linked through Forward
    std::deque<dbModel_Changes> changes_; // grows without moving what it holds
    std::vector<uint32_t> freeChanges_;

    uint32_t front_ = kNoNode;
    uint32_t back_ = kNoNode;
    dbModel_Index index_;
    std::unordered_multimap<db_DBIDValue, uint32_t> holders_;
    bool recordOneOrderKnown_ = true;
    mutable TypeSlot types_[DATABASE_AllRecords];
    uint32_t totalCount_ = 0;
    db_DBIDValue nextDBID_ = 1;
};

} // namespace tqxml
