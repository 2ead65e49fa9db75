// The document form of the shared structures: integer forms, the pair of
// descriptions, the feature array with its attributes, and the measurement
// record inside an observation.
#include "convert/xml_fields.h"

#include "base/environment.h"
#include "convert/driver.h"
#include "records/all_records.h"

#include <iterator>
#include <type_traits>

namespace tqxml {

Str IntFormValue(int64_t value, IntForm form) {
    switch (form) {
    case IntForm::Signed:
        return IntValue(static_cast<int32_t>(value));
    case IntForm::Unsigned:
        return UnsignedValue(static_cast<uint32_t>(value));
    case IntForm::Hex:
        return HexValue(static_cast<uint32_t>(value));
    case IntForm::Int3:
        return Int3Value(static_cast<int32_t>(value));
    case IntForm::Bool:
        return BoolValue(value != 0);
    }
    return Str();
}

xmlout_element* DescriptionsElement(Str name, const db_DescriptionsValue& descriptions) {
    auto* element = new xmlout_element(name.CStr());
    element->AddChild(new xmlout_element("Description1", descriptions.Description1));
    element->AddChild(new xmlout_element("Description2", descriptions.Description2));
    return element;
}

namespace {

constexpr const char* kAttributeKindNames[] = {"Numerical", "Text", "Menu",     "Date",
                                               "Time",      "File", "Separator"};

// The Type text of an attribute whose kind has no name: empty.
constexpr const char* kUnnamedAttributeKind = "";

xmlout_element* AttributeElement(const FeatureAttribute& attribute) {
    auto* element = new xmlout_element("Attribute");
    element->AddAttribute(Str("Name"), attribute.Name);
    const bool named = attribute.Type < std::size(kAttributeKindNames);
    element->AddAttribute(Str("Type"),
                          Str(named ? kAttributeKindNames[attribute.Type] : kUnnamedAttributeKind));
    switch (attribute.Type) {
    case FEATURE_Numerical:
    case FEATURE_Date:
    case FEATURE_Time:
        element->AddAttribute(Str("Value"), RealValue(attribute.Real));
        break;
    case FEATURE_Text:
    case FEATURE_File:
        element->AddAttribute(Str("Value"), attribute.Text);
        break;
    case FEATURE_Menu:
        element->AddAttribute(Str("ItemIndex"), UnsignedValue(attribute.ItemIndex));
        element->AddAttribute(Str("Item"), attribute.Text);
        break;
    case FEATURE_Separator:
        break;
    default:
        TQ_FAIL("False");
        break;
    }
    return element;
}

} // namespace

xmlout_element* FeatureArrayElement(Str name, const FeatureArray& features) {
    auto* element = new xmlout_element(name.CStr());
    element->AddAttribute(Str("rec"), Str("FeatureArray"));
    element->AddAttribute(Str("FeatureCount"),
                          UnsignedValue(static_cast<uint32_t>(features.size())));
    for (const Feature& feature : features) {
        auto* child = new xmlout_element("Feature");
        child->AddAttribute(Str("Name"), feature.Name);
        child->AddAttribute(Str("StringCode"), feature.StringCode);
        child->AddAttribute(Str("AttributeCount"),
                            UnsignedValue(static_cast<uint32_t>(feature.Attributes.size())));
        for (const FeatureAttribute& attribute : feature.Attributes)
            child->AddChild(AttributeElement(attribute));
        element->AddChild(child);
    }
    return element;
}

// ---- Measurements --------------------------------------------------------------

namespace {

using MeasurementWriter = xmlout_element* (*)(Str name, const dbRecord_Class& record);

template <class R> constexpr MeasurementWriter MeasurementWriterFor() {
    if constexpr (std::is_base_of_v<db_Measurement, R> && HasXmlForm<R>)
        return &WriteDeclaredRecord<R>;
    else
        return nullptr;
}

// The writer of each measurement type, by type number; null for the others.
constexpr MeasurementWriter kMeasurementWriters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, written) MeasurementWriterFor<className>(),
#include "records/record_types.def"
#undef TQ_RECORD
};

} // namespace

void XmlFieldWriter::Measurement(const dbRecord_Class* measurement) {
    if (!measurement) return;
    const uint32_t type = measurement->GetType();
    if (type < DATABASE_ECEFDeltasRecord || type > DATABASE_MeanTurnedAngleRecord ||
        !kMeasurementWriters[type]) {
        TQ_FAIL("0");
        return;
    }
    xmlout_element* element = kMeasurementWriters[type](Str(RecordTypeName(type)), *measurement);
    AddRecordAttributes(element, *measurement);
    element->isRecord = true;
    _Parent->AddChild(element);
}

} // namespace tqxml
