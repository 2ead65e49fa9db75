// The modifier records. The journal never chains them: each changes one field
// of the record its entry names (the deleted flag, a record reference, a name,
// the features or the descriptions). Which field of which record is the
// record table's (record_types.def); what value it takes is the modifier's:
// Give(set) hands it over, or hands nothing when the field stays as it is.
#pragma once

#include "records/fields.h"

namespace tqxml {

// 0 marks the target deleted, 1 restores it; any other value changes nothing.
class db_BoolAction final
    : public Record<db_BoolAction> {
public:
    uint8_t Value = 0;

    template <class V> void Fields(V& v) { v.Int("Value", Value, IntForm::Unsigned); }
    template <class Set> void Give(Set&& set) const {
        if (Value == 0) set(true);
        else if (Value == 1) set(false);
    }
};

// A record reference for the target to take over.
class db_DBID final : public Record<db_DBID> {
public:
    db_DBIDValue Value = NODBID;

    template <class V> void Fields(V& v) { v.Int("Value", Value, IntForm::Hex); }
    template <class Set> void Give(Set&& set) const { set(Value); }
};

// A new name for the target.
class db_Str final : public Record<db_Str> {
public:
    Str Value;

    template <class V> void Fields(V& v) { v.Text("Value", Value); }
    template <class Set> void Give(Set&& set) const { set(Value); }
};

// A new feature array for the target.
class db_Features final : public Record<db_Features> {
public:
    FeatureArray Features;

    void ReadOwn(const buffer_Class& buffer, int32_t& offset) {
        ReadFeatureArray(buffer, offset, Features);
    }
    void WriteOwn(buffer_Writer& writer) const { WriteFeatureArray(writer, Features); }
};

// New description texts for the target.
class db_Descriptions final
    : public Record<db_Descriptions> {
public:
    db_DescriptionsValue Descriptions;

    template <class V> void Fields(V& v) {
        v.Text("Description1", Descriptions.Description1);
        v.Text("Description2", Descriptions.Description2);
    }
};

} // namespace tqxml
