#include "db/model.h"

#include "base/environment.h"

#include <algorithm>

namespace tqxml {

// ---- Index ----------------------------------------------------------------------

bool dbModel_Index::Insert(db_DBIDValue id, uint32_t node) {
    if (Find(id) != kNoNode) return false;
    if (id >= dense_.size()) {
        // Grow the flat array only while it stays proportional to the number
        // of records held; anything further out goes to the hash map.
        const uint64_t limit = 2 * (uint64_t{count_} + 1) + 1024;
        if (id < limit) {
            // Half again at a time: the array's slack stays a third at most.
            const uint64_t grown = std::max<uint64_t>(
                uint64_t{dense_.size()} + dense_.size() / 2 + 1024, uint64_t{id} + 1);
            dense_.resize(static_cast<size_t>(std::min(grown, limit)), kNoNode);
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
        if (dense_[id] == kNoNode) return;
        dense_[id] = kNoNode;
    } else if (sparse_.erase(id) == 0) {
        return;
    }
    --count_;
}

void dbModel_Index::Clear() {
    dense_.clear();
    dense_.shrink_to_fit();
    sparse_.clear();
    count_ = 0;
}

// ---- Nodes ----------------------------------------------------------------------

void dbModel::Clear() {
    blocks_.clear();
    nodesUsed_ = 0;
    freeNodes_ = kNoNode;
    changes_.clear();
    freeChanges_.clear();
    front_ = back_ = kNoNode;
    index_.Clear();
    holders_.clear();
    recordOneOrderKnown_ = true;
    for (TypeSlot& slot : types_)
        slot = TypeSlot();
    totalCount_ = 0;
    nextDBID_ = 1;
}

uint32_t dbModel::NewNode() {
    if (freeNodes_ != kNoNode) {
        const uint32_t node = freeNodes_;
        freeNodes_ = Node(node).Forward;
        Node(node) = dbModel_Node();
        return node;
    }
    if (nodesUsed_ == blocks_.size() * kNodesPerBlock)
        blocks_.push_back(std::make_unique<dbModel_Node[]>(kNodesPerBlock));
    return nodesUsed_++;
}

uint32_t dbModel::Chain(db_DBIDValue id, uint16_t type, uint32_t entry, uint32_t before) {
    const uint32_t node = NewNode();
    dbModel_Node& chained = Node(node);
    chained.Entry = entry;
    chained.RecordId = id;
    chained.Type = type;
    if (before != kNoNode) {
        dbModel_Node& next = Node(before);
        chained.BeforeRecordOne = next.BeforeRecordOne || next.RecordId == 1;
        chained.Forward = before;
        chained.Back = next.Back;
        if (next.Back != kNoNode)
            Node(next.Back).Forward = node;
        else
            front_ = node;
        next.Back = node;
    } else {
        chained.Back = back_;
        if (back_ != kNoNode)
            Node(back_).Forward = node;
        else
            front_ = node;
        back_ = node;
    }
    if (id == 1 && node != front_) recordOneOrderKnown_ = false;
    index_.Insert(id, node);
    Counted(type, id, before == kNoNode);
    return node;
}

void dbModel::Remove(uint32_t node) {
    dbModel_Node& old = Node(node);
    if (old.Back != kNoNode) {
        TQ_ASSERT_TEXT(Node(old.Back).Forward == node, "recordBefore->ChainForward == oldRecord");
        Node(old.Back).Forward = old.Forward;
    } else {
        TQ_ASSERT_TEXT(front_ == node, "_FrontPointer == oldRecord");
        front_ = old.Forward;
    }
    if (old.Forward != kNoNode) {
        TQ_ASSERT_TEXT(Node(old.Forward).Back == node, "recordAfter->ChainBack == oldRecord");
        Node(old.Forward).Back = old.Back;
    } else {
        TQ_ASSERT_TEXT(back_ == node, "_BackPointer == oldRecord");
        back_ = old.Back;
    }
    index_.Erase(old.RecordId);
    Uncounted(old.Type);
    DropChanges(node);
    old = dbModel_Node();
    old.Forward = freeNodes_;
    freeNodes_ = node;
}

void dbModel::Retype(uint32_t node, uint16_t type) {
    dbModel_Node& retyped = Node(node);
    if (retyped.Type == type) return;
    Uncounted(retyped.Type);
    Counted(type, retyped.RecordId, false);
    retyped.Type = type;
}

dbModel_Changes& dbModel::ChangesOf(uint32_t node) {
    dbModel_Node& changed = Node(node);
    if (changed.Changes == 0) {
        if (!freeChanges_.empty()) {
            changed.Changes = freeChanges_.back();
            freeChanges_.pop_back();
        } else {
            changes_.emplace_back();
            changed.Changes = static_cast<uint32_t>(changes_.size());
        }
    }
    return changes_[changed.Changes - 1];
}

void dbModel::DropChanges(uint32_t node) {
    dbModel_Node& changed = Node(node);
    if (changed.Changes == 0) return;
    changes_[changed.Changes - 1] = dbModel_Changes();
    freeChanges_.push_back(changed.Changes);
    changed.Changes = 0;
}

// ---- Walk -----------------------------------------------------------------------

db_DBIDValue dbModel::NextRecordId(db_DBIDValue id) const {
    const uint32_t node = Find(id);
    if (node == kNoNode) return NODBID;
    const uint32_t next = Node(node).Forward;
    return next == kNoNode ? NODBID : Node(next).RecordId;
}

uint32_t dbModel::RecordType(db_DBIDValue id) const {
    const uint32_t node = Find(id);
    return node == kNoNode ? 0 : Node(node).Type;
}

// ---- Per-type counts ------------------------------------------------------------

// Additions at the back keep First/Last exact; any other change marks them
// to be found again by a walk when asked for.
void dbModel::Counted(uint32_t type, db_DBIDValue id, bool atBack) {
    ++totalCount_;
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
    TypeSlot& slot = types_[type];
    if (slot.Value.Count > 0) --slot.Value.Count;
    if (slot.Value.Count == 0) {
        slot = TypeSlot();
    } else {
        slot.Stale = true;
    }
}

dbModel_TypeCount dbModel::TypeCount(uint32_t type) const {
    if (type >= DATABASE_AllRecords) return {};
    TypeSlot& slot = types_[type];
    if (slot.Stale) {
        slot.Value.First = slot.Value.Last = NODBID;
        for (uint32_t node = front_; node != kNoNode; node = Node(node).Forward) {
            if (Node(node).Type != type) continue;
            if (slot.Value.First == NODBID) slot.Value.First = Node(node).RecordId;
            slot.Value.Last = Node(node).RecordId;
        }
        slot.Stale = false;
    }
    return slot.Value;
}

} // namespace tqxml
