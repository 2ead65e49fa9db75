// The document form of the shared structures: integer forms, the pair of
// descriptions, the feature array with its attributes, and the measurement
// record inside an observation.
#include "convert/xml_fields.h"

#include "base/environment.h"
#include "records/all_records.h"

#include <iterator>
#include <type_traits>

namespace tqxml {

RecordAttributeTexts::RecordAttributeTexts(const dbRecord_Class& record)
    : idText(id, static_cast<size_t>(FormatHex(id, record.RecordId) - id)),
      typeText(type, static_cast<size_t>(FormatInt3(type, record.GetType()) - type)),
      stampText(stamp, static_cast<size_t>(FormatReal(stamp, record.TimeStamp) - stamp)) {}

std::string_view FormatIntForm(char* out, int64_t value, IntForm form) {
    char* end = out;
    switch (form) {
    case IntForm::Signed:
        end = FormatInt(out, static_cast<int32_t>(value));
        break;
    case IntForm::Unsigned:
        end = FormatUnsigned(out, static_cast<uint32_t>(value));
        break;
    case IntForm::Hex:
        end = FormatHex(out, static_cast<uint32_t>(value));
        break;
    case IntForm::Int3:
        end = FormatInt3(out, static_cast<int32_t>(value));
        break;
    case IntForm::Bool:
        return value != 0 ? "true" : "false";
    case IntForm::UInt64: // a negative stored value reads as its unsigned 64 bits
        end = FormatUInt64(out, static_cast<uint64_t>(value));
        break;
    case IntForm::Real:
        end = FormatReal(out, static_cast<double>(value));
        break;
    }
    return {out, static_cast<size_t>(end - out)};
}

namespace {

constexpr const char* kAttributeKindNames[] = {"Numerical", "Text", "Menu",     "Date",
                                               "Time",      "File", "Separator"};

// The Type text of an attribute whose kind has no name: empty.
constexpr const char* kUnnamedAttributeKind = "";

template <class Sink> void EmitAttribute(Sink& sink, const FeatureAttribute& attribute) {
    char text[kValueTextSize];
    sink.Begin("Attribute");
    sink.Attribute("Name", View(attribute.Name));
    const bool named = attribute.Type < std::size(kAttributeKindNames);
    sink.Attribute("Type", named ? kAttributeKindNames[attribute.Type] : kUnnamedAttributeKind);
    switch (attribute.Type) {
    case FEATURE_Numerical:
    case FEATURE_Date:
    case FEATURE_Time:
        sink.Attribute("Value",
                       {text, static_cast<size_t>(FormatReal(text, attribute.Real) - text)});
        break;
    case FEATURE_Text:
    case FEATURE_File:
        sink.Attribute("Value", View(attribute.Text));
        break;
    case FEATURE_Menu:
        sink.Attribute("ItemIndex", {text, static_cast<size_t>(
                                               FormatUnsigned(text, attribute.ItemIndex) - text)});
        sink.Attribute("Item", View(attribute.Text));
        break;
    case FEATURE_Separator:
        break;
    default:
        TQ_FAIL("False");
        break;
    }
    sink.End();
}

// The writer of each measurement type, by type number; null for the others.
template <class Sink> using MeasurementEmitter = void (*)(const dbRecord_Class&, Sink&);

template <class R, class Sink> constexpr MeasurementEmitter<Sink> MeasurementEmitterFor() {
    if constexpr (R::kInfo.category == record_table::Measurement && HasXmlForm<R>)
        return &EmitMeasurementRecord<R, Sink>;
    else
        return nullptr;
}

template <class Sink>
constexpr MeasurementEmitter<Sink> kMeasurementEmitters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags)                                      \
    MeasurementEmitterFor<className, Sink>(),
#include "records/record_types.def"
};

} // namespace

template <class Sink>
void EmitFeatureArray(Sink& sink, const char* name, const FeatureArray& features) {
    char text[kValueTextSize];
    sink.Begin(name);
    sink.Attribute("rec", "FeatureArray");
    sink.Attribute(
        "FeatureCount",
        {text,
         static_cast<size_t>(FormatUnsigned(text, static_cast<uint32_t>(features.size())) - text)});
    for (const Feature& feature : features) {
        sink.Begin("Feature");
        sink.Attribute("Name", View(feature.Name));
        sink.Attribute("StringCode", View(feature.StringCode));
        sink.Attribute(
            "AttributeCount",
            {text,
             static_cast<size_t>(
                 FormatUnsigned(text, static_cast<uint32_t>(feature.Attributes.size())) - text)});
        for (const FeatureAttribute& attribute : feature.Attributes)
            EmitAttribute(sink, attribute);
        sink.End();
    }
    sink.End();
}

template <class Sink> void EmitMeasurement(Sink& sink, const dbRecord_Class* measurement) {
    if (!measurement) return;
    const uint32_t type = measurement->GetType();
    if (!IsValidRecordType(type) || !kMeasurementEmitters<Sink>[type]) {
        TQ_FAIL("0");
        return;
    }
    kMeasurementEmitters<Sink>[type](*measurement, sink);
}

template void EmitFeatureArray(StreamSink&, const char*, const FeatureArray&);
template void EmitMeasurement(StreamSink&, const dbRecord_Class*);

} // namespace tqxml
