// The replace rule of lines and arcs and their deleted flag.
#include "records/cogo.h"

#include "records/modifiers.h"

namespace tqxml {

namespace {

void ApplyDeleted(bool& deleted, const db_BoolAction& action) {
    if (action.Value == 0)
        deleted = true;
    else if (action.Value == 1)
        deleted = false;
}

} // namespace

void db_Line::Receive(const db_BoolAction& action) {
    ApplyDeleted(Deleted, action);
}

void db_Line::CopyFrom(const dbRecord_Class& other) {
    TQ_ASSERT_TEXT(other.GetType() == DATABASE_LineRecord, "line");
    if (other.GetType() != DATABASE_LineRecord) return;
    TakeContentOf(*this, static_cast<const db_Line&>(other));
}

void db_Arc::Receive(const db_BoolAction& action) {
    ApplyDeleted(Deleted, action);
}

void db_Arc::CopyFrom(const dbRecord_Class& other) {
    TQ_ASSERT_TEXT(other.GetType() == DATABASE_ArcRecord, "arc");
    if (other.GetType() != DATABASE_ArcRecord) return;
    TakeContentOf(*this, static_cast<const db_Arc&>(other));
}

} // namespace tqxml
