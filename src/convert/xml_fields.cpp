// The document form of the shared structures: integer forms, the driver's
// attributes, the pair of descriptions, the feature array with its
// attributes, and the records written inside others.
#include "convert/xml_fields.h"

#include "base/environment.h"
#include "records/all_records.h"

#include <cstdio>
#include <iterator>

namespace tqxml {

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

void EmitRecordAttributes(StreamSink& sink, db_DBIDValue id, uint32_t type, double timeStamp) {
    char text[kValueTextSize];
    sink.Attribute("ID", {text, static_cast<size_t>(FormatHex(text, id) - text)}, true);
    sink.Attribute("type",
                   {text, static_cast<size_t>(FormatInt3(text, static_cast<int32_t>(type)) - text)},
                   true);
    sink.Attribute("TimeStamp", {text, static_cast<size_t>(FormatReal(text, timeStamp) - text)},
                   true);
}

void EmitDescriptions(StreamSink& sink, std::string_view name, std::string_view first,
                      std::string_view second) {
    sink.Begin(name);
    sink.Leaf("Description1", first);
    sink.Leaf("Description2", second);
    sink.End();
}

namespace {

constexpr const char* kAttributeKindNames[] = {"Numerical", "Text", "Menu",     "Date",
                                               "Time",      "File", "Separator"};

// The Type text of an attribute whose kind has no name: empty.
constexpr const char* kUnnamedAttributeKind = "";

std::string_view Formatted(char* text, char* end) {
    return {text, static_cast<size_t>(end - text)};
}

// One attribute of a feature, as stored or as held by a record object.
struct AttributeView {
    uint16_t type;
    std::string_view name;
    double real;
    std::string_view text;
    uint16_t itemIndex;
};

void EmitAttribute(StreamSink& sink, const AttributeView& attribute) {
    char text[kValueTextSize];
    sink.Begin("Attribute");
    sink.Attribute("Name", attribute.name);
    const bool named = attribute.type < std::size(kAttributeKindNames);
    sink.Attribute("Type", named ? kAttributeKindNames[attribute.type] : kUnnamedAttributeKind,
                   true);
    switch (attribute.type) {
    case FEATURE_Numerical:
    case FEATURE_Date:
    case FEATURE_Time:
        sink.Attribute("Value", Formatted(text, FormatReal(text, attribute.real)), true);
        break;
    case FEATURE_Text:
    case FEATURE_File:
        sink.Attribute("Value", attribute.text);
        break;
    case FEATURE_Menu:
        sink.Attribute("ItemIndex", Formatted(text, FormatUnsigned(text, attribute.itemIndex)),
                       true);
        sink.Attribute("Item", attribute.text);
        break;
    case FEATURE_Separator:
        break;
    default:
        TQ_FAIL("False");
        break;
    }
    sink.End();
}

void EmitFeatureArrayStart(StreamSink& sink, std::string_view name, size_t count) {
    char text[kValueTextSize];
    sink.Begin(name);
    sink.Attribute("rec", "FeatureArray", true);
    sink.Attribute("FeatureCount",
                   Formatted(text, FormatUnsigned(text, static_cast<uint32_t>(count))), true);
}

void EmitFeature(StreamSink& sink, std::string_view stringCode, std::string_view name,
                 const std::vector<AttributeView>& attributes) {
    char text[kValueTextSize];
    sink.Begin("Feature");
    sink.Attribute("Name", name);
    sink.Attribute("StringCode", stringCode);
    sink.Attribute("AttributeCount",
                   Formatted(text, FormatUnsigned(text, static_cast<uint32_t>(attributes.size()))),
                   true);
    for (const AttributeView& attribute : attributes)
        EmitAttribute(sink, attribute);
    sink.End();
}

// Writes each stored feature as it is walked, once its attributes are known.
struct StoredFeatureWriter {
    StreamSink& sink;
    std::vector<AttributeView>& attributes;
    std::string_view stringCode, name;

    void Feature(std::string_view code, std::string_view featureName) {
        stringCode = code;
        name = featureName;
        attributes.clear();
    }
    void Attribute(uint16_t type, std::string_view attributeName, double real,
                   std::string_view text, uint16_t itemIndex) {
        attributes.push_back({type, attributeName, real, text, itemIndex});
    }
    void EndFeature() { EmitFeature(sink, stringCode, name, attributes); }
};

// A record written inside another, as a record of its own: from an object,
// or straight from its stored bytes.
template <class R> void EmitHeldObject(StreamSink& sink, const dbRecord_Class& record,
                                       bool isRecord) {
    sink.Begin(RecordTypeName(R::kType), isRecord);
    sink.Attribute("rec", RecordClassName(R::kType), true);
    EmitRecordAttributes(sink, record.RecordId, R::kType, record.TimeStamp);
    EmitMemberFields<R>(sink, record);
    sink.End();
}

template <class R> void EmitHeldStored(StreamSink& sink, const buffer_Class& record) {
    sink.Begin(RecordTypeName(R::kType), true);
    sink.Attribute("rec", RecordClassName(R::kType), true);
    int32_t at = 2; // after the type
    const db_DBIDValue id = record.GetUInt32(at);
    const double timeStamp = record.GetDouble(at);
    EmitRecordAttributes(sink, id, R::kType, timeStamp);
    const StoredRecordParts parts = FindStoredParts(record, R::kHasFeatures);
    EmitStoredFields<R>(sink, record, parts.fields, StoredRecordExtras{});
    sink.End();
}

// The writers of the records written inside others, by type number; null for
// the other types.
struct HeldWriters {
    void (*object)(StreamSink&, const dbRecord_Class&, bool);
    void (*stored)(StreamSink&, const buffer_Class&);
};

template <class R> constexpr HeldWriters HeldWritersFor() {
    constexpr auto category = R::kInfo.category;
    if constexpr ((category == record_table::Measurement || category == record_table::Attached) &&
                  HasDocumentForm<R>)
        return {&EmitHeldObject<R>, &EmitHeldStored<R>};
    else
        return {nullptr, nullptr};
}

constexpr HeldWriters kHeldWriters[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags) HeldWritersFor<className>(),
#include "records/record_types.def"
};

} // namespace

void EmitFeatureArray(StreamSink& sink, std::string_view name, const FeatureArray& features) {
    std::vector<AttributeView> attributes;
    EmitFeatureArrayStart(sink, name, features.size());
    for (const Feature& feature : features) {
        attributes.clear();
        for (const FeatureAttribute& a : feature.Attributes)
            attributes.push_back({a.Type, View(a.Name), a.Real, View(a.Text), a.ItemIndex});
        EmitFeature(sink, View(feature.StringCode), View(feature.Name), attributes);
    }
    sink.End();
}

void EmitStoredFeatureArray(StreamSink& sink, std::string_view name, const buffer_Class& bytes,
                            int32_t at, int32_t count) {
    EmitFeatureArrayStart(sink, name, static_cast<size_t>(count));
    // One list per thread, kept between records: no allocation per feature.
    static thread_local std::vector<AttributeView> attributes;
    StoredFeatureWriter writer{sink, attributes, {}, {}};
    WalkFeatureArray(bytes, at, writer);
    sink.End();
}

void EmitMeasurement(StreamSink& sink, const dbRecord_Class* measurement) {
    if (!measurement) return;
    const uint32_t type = measurement->GetType();
    if (!IsRecordCategory(type, record_table::Measurement) || !kHeldWriters[type].object) {
        TQ_FAIL("0");
        return;
    }
    kHeldWriters[type].object(sink, *measurement, true);
}

void EmitStoredMeasurement(StreamSink& sink, const buffer_Class& record) {
    int32_t at = 0;
    const uint32_t type = record.GetUInt16(at);
    if (!IsRecordCategory(type, record_table::Measurement) || !kHeldWriters[type].stored) {
        TQ_FAIL("0");
        return;
    }
    kHeldWriters[type].stored(sink, record);
}

void EmitHeldRecord(StreamSink& sink, const dbRecord_Class& record) {
    const uint32_t type = record.GetType();
    if (IsValidRecordType(type) && kHeldWriters[type].object)
        kHeldWriters[type].object(sink, record, false);
}

void ReportUnnamedRecord(std::string_view name) {
    char text[96];
    std::snprintf(text, sizeof text, "this->%.*s.Length() > 0", static_cast<int>(name.size()),
                  name.data());
    TQ_FAIL(text);
}

} // namespace tqxml
