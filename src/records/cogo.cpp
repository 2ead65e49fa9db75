// The lists of areas, traverses and traverse closures, whose stored forms are
// kept by hand.
#include "records/cogo.h"

namespace tqxml {

// Exactly as many names as the count says; a count beyond the data stops at
// its end (each name takes at least its NUL byte).
void db_Area::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    FieldReader reader(buffer, offset);
    Fields(reader);
    ListOfPoints.clear();
    for (uint16_t i = 0; i < NumberOfPoints && !buffer.AtEnd(offset); ++i)
        ListOfPoints.push_back(buffer.GetString(offset));
}

void db_Area::WriteOwn(buffer_Writer& writer) const {
    TQ_ASSERT_TEXT(ListOfPoints.size() == NumberOfPoints,
                   "ListOfPoints.Count () == NumberOfPoints");
    FieldWriter fields(writer);
    const_cast<db_Area&>(*this).Fields(fields);
    for (const Str& name : ListOfPoints)
        writer.PutString(name);
}

// Names up to the first empty one, which ends the list; the end of the data
// ends it too.
void db_Traverse::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    FieldReader reader(buffer, offset);
    Fields(reader);
    ListOfStations.clear();
    while (!buffer.AtEnd(offset)) {
        Str name = buffer.GetString(offset);
        if (name.IsEmpty()) break;
        ListOfStations.push_back(std::move(name));
    }
}

// An empty name cannot be stored inside the list: it would end it. Such a
// name is refused and left out.
void db_Traverse::WriteOwn(buffer_Writer& writer) const {
    FieldWriter fields(writer);
    const_cast<db_Traverse&>(*this).Fields(fields);
    for (const Str& name : ListOfStations) {
        TQ_ASSERT_TEXT(!name.IsEmpty(), "StationName.Length() > 0");
        if (!name.IsEmpty()) writer.PutString(name);
    }
    writer.PutString("");
}

// A count of zero or below gives no legs; a count beyond the data stops at
// its end (each leg takes at least 26 bytes).
void db_TraverseClosure::ReadOwn(const buffer_Class& buffer, int32_t& offset) {
    FieldReader reader(buffer, offset);
    Fields(reader);
    TraverseLegs.clear();
    const int16_t count = buffer.GetInt16(offset);
    for (int16_t i = 0; i < count && !buffer.AtEnd(offset); ++i) {
        TraverseLeg leg;
        leg.Fields(reader);
        TraverseLegs.push_back(std::move(leg));
    }
}

void db_TraverseClosure::WriteOwn(buffer_Writer& writer) const {
    FieldWriter fields(writer);
    const_cast<db_TraverseClosure&>(*this).Fields(fields);
    writer.PutInt16(static_cast<int16_t>(TraverseLegs.size()));
    for (const TraverseLeg& leg : TraverseLegs)
        const_cast<TraverseLeg&>(leg).Fields(fields);
}

} // namespace tqxml
