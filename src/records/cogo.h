// Computation records: lines, arcs, inverses, computed azimuths and
// distances, areas, traverses and transformations.
#pragma once

#include "records/fields.h"

namespace tqxml {

// The remaining fields of the line arrive with its record family.
class db_Line final : public Record<db_Line, dbRecordWithFeatures_Class> {
public:
    using dbRecord_Class::Receive;

    bool Deleted = false;

    bool IsDeleted() const override { return Deleted; }
    void Receive(const db_BoolAction& action) override;
    // Replace: takes the other line's content, keeps its own identifier and features.
    void CopyFrom(const dbRecord_Class& other) override;
};
// The remaining fields of the arc arrive with its record family.
class db_Arc final : public Record<db_Arc, dbRecordWithFeatures_Class> {
public:
    using dbRecord_Class::Receive;

    bool Deleted = false;

    bool IsDeleted() const override { return Deleted; }
    void Receive(const db_BoolAction& action) override;
    // Replace: takes the other arc's content, keeps its own identifier and features.
    void CopyFrom(const dbRecord_Class& other) override;
};
class db_Inverse final : public Record<db_Inverse> {};
class db_ComputeAzimuth final
    : public Record<db_ComputeAzimuth> {};
class db_ComputeDistance final
    : public Record<db_ComputeDistance> {};
class db_Area final : public Record<db_Area> {};
class db_Traverse final
    : public Record<db_Traverse> {};
class db_TraverseClosure final
    : public Record<db_TraverseClosure> {};
class db_TraverseAdjustment final : public Record<db_TraverseAdjustment> {
};
class db_CogoTransformation final
    : public Record<db_CogoTransformation> {};

} // namespace tqxml
