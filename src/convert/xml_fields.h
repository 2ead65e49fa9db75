// The document form of a record's field list: one visitor over the same
// `Fields` declaration that gives the stored form. Each call names a child
// element and its value form; the visitor takes the value, formats it and
// hands elements, attributes and texts to the document's stream writer
// (xml/xml_out.h), which lays them straight into the output.
//
// The values come from one of two places: straight from a record's stored
// bytes, in stored order, with no record object in between (StoredValues),
// or from the members of a record object (MemberValues) for the records
// that are read into one first: those kept by hand, and those that modifier
// records changed.
#pragma once

#include "db/access.h"
#include "records/fields.h"
#include "records/names.h"
#include "xml/values.h"
#include "xml/xml_out.h"

#include <map>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tqxml {

inline std::string_view View(const Str& text) {
    return {text.CStr(), static_cast<size_t>(text.Length())};
}

std::string_view FormatIntForm(char* out, int64_t value, IntForm form);

// The driver's attributes of a record element: ID, type, TimeStamp.
void EmitRecordAttributes(StreamSink& sink, db_DBIDValue id, uint32_t type, double timeStamp);
void EmitDescriptions(StreamSink& sink, std::string_view name, std::string_view first,
                      std::string_view second);
void EmitFeatureArray(StreamSink& sink, std::string_view name, const FeatureArray& features);
// A stored feature array at `at`, of `count` features (as its read gives).
void EmitStoredFeatureArray(StreamSink& sink, std::string_view name, const buffer_Class& bytes,
                            int32_t at, int32_t count);
// An observation's measurement record, laid out like a record of its own.
void EmitMeasurement(StreamSink& sink, const dbRecord_Class* measurement);
void EmitStoredMeasurement(StreamSink& sink, const buffer_Class& record);
// A record held by another (a tunnel cross-section's point delta), laid
// out like a record: `rec` and the driver's attributes first, no note.
void EmitHeldRecord(StreamSink& sink, const dbRecord_Class& record);
// Reports a record written without the name its field `name` gives it.
void ReportUnnamedRecord(std::string_view name);

// The values of a record object's members.
class MemberValues {
public:
    template <class T> T Take(const T& member) { return member; }
    std::string_view Text(const Str& member) { return View(member); }
    std::string_view FixedText(const Str& member, int32_t) { return View(member); }
};

// The values of a record's stored bytes, read in stored order from
// `offset`; the members handed in only tell each value's width.
class StoredValues {
public:
    StoredValues(const buffer_Class& bytes, int32_t offset) : bytes_(bytes), offset_(offset) {}

    template <class T> T Take(const T&) {
        if constexpr (std::is_same_v<T, double>) return bytes_.GetDouble(offset_);
        else if constexpr (std::is_same_v<T, bool>) return bytes_.GetBool(offset_);
        else return ReadStoredInt<T>(bytes_, offset_);
    }
    std::string_view Text(const Str&) { return bytes_.GetStringView(offset_); }
    std::string_view FixedText(const Str&, int32_t n) {
        return bytes_.GetFixedStringView(offset_, n);
    }
    const buffer_Class& Bytes() const { return bytes_; }
    int32_t& Offset() { return offset_; }

private:
    const buffer_Class& bytes_;
    int32_t offset_;
};

// What a record written from its stored bytes takes from elsewhere than its
// own fields: its descriptions and features (from its header, or from the
// entries that changed them) and an observation's measurement.
struct StoredRecordExtras {
    const buffer_Class* descriptions = nullptr; // the bytes holding the two texts
    int32_t descriptionsAt = 0;
    const buffer_Class* features = nullptr; // the bytes holding the feature array
    int32_t featuresAt = 0;
    int32_t featureCount = 0;
    const buffer_Class* measurement = nullptr; // the measurement's record, if any
};

template <class Values> class DocumentVisitor {
public:
    DocumentVisitor(StreamSink& sink, Values& values, const StoredRecordExtras* extras = nullptr)
        : sink_(sink), values_(values), extras_(extras) {}

    void Text(std::string_view name, const Str& value) { sink_.Leaf(name, values_.Text(value)); }
    // A record's name: a record is expected to have one by the time it is written.
    void RecordName(std::string_view name, const Str& value) {
        const std::string_view text = values_.Text(value);
        if (text.empty()) ReportUnnamedRecord(name);
        sink_.Leaf(name, text);
    }
    void FixedText(std::string_view name, const Str& value, int32_t n) {
        sink_.Leaf(name, values_.FixedText(value, n));
    }
    // The text of the element being filled, not a child of it.
    void ElementText(const char*, const Str& value, int32_t n) {
        sink_.Text(values_.FixedText(value, n));
    }
    void Real(std::string_view name, const double& value) {
        char text[kValueTextSize];
        sink_.Leaf(name, {text, static_cast<size_t>(FormatReal(text, values_.Take(value)) - text)},
                   true);
    }
    void Bool(std::string_view name, const bool& value) {
        sink_.Leaf(name, values_.Take(value) ? "true" : "false", true);
    }
    template <class T> void Bool(std::string_view name, const T& value) {
        sink_.Leaf(name, values_.Take(value) != 0 ? "true" : "false", true);
    }
    template <class T> void Int(std::string_view name, const T& value, IntForm form) {
        char text[kValueTextSize];
        sink_.Leaf(name, FormatIntForm(text, static_cast<int64_t>(values_.Take(value)), form),
                   true);
    }
    template <class T> void Enum(std::string_view name, const T& value, const NameTable& table) {
        sink_.Leaf(name, EnumName(table, static_cast<int32_t>(values_.Take(value))), true);
    }
    template <class T> void Flags(std::string_view name, const T& value, const FlagSet& set) {
        // One buffer per thread, kept between fields: no allocation per field.
        static thread_local Str text;
        text.Truncate(0);
        AppendFlagSetText(text, set, static_cast<uint32_t>(values_.Take(value)));
        sink_.Leaf(name, View(text));
    }
    void TwoChar(std::string_view name, const int16_t& value) {
        char text[2];
        sink_.Leaf(name, TwoCharCode(values_.Take(value), text));
    }
    template <class S>
    void Struct(std::string_view name, const S& value, const char* datatype = nullptr) {
        static_assert(NeedsNoEncoding(S::kDatatype));
        sink_.Begin(name);
        if (datatype)
            sink_.Attribute("datatype", datatype);
        else
            sink_.Attribute("datatype", S::kDatatype, true);
        Fields(value);
        sink_.End();
    }
    void Descriptions(std::string_view name, const db_DescriptionsValue& value) {
        if constexpr (kStored) {
            int32_t at = extras_->descriptionsAt;
            const std::string_view first = extras_->descriptions->GetStringView(at);
            EmitDescriptions(sink_, name, first, extras_->descriptions->GetStringView(at));
        } else {
            EmitDescriptions(sink_, name, View(value.Description1), View(value.Description2));
        }
    }
    void Features(std::string_view name, const FeatureArray& value) {
        if constexpr (kStored) {
            EmitStoredFeatureArray(sink_, name, *extras_->features, extras_->featuresAt,
                                   extras_->featureCount);
        } else {
            EmitFeatureArray(sink_, name, value);
        }
    }
    void Measurement(const dbRecord_Class* measurement) {
        if constexpr (kStored) {
            if (extras_->measurement) EmitStoredMeasurement(sink_, *extras_->measurement);
        } else {
            EmitMeasurement(sink_, measurement);
        }
    }

    // The calls below belong to records read into an object first.

    // An element without attributes holding the fields of a value (a nested
    // record or a structure): once, once per entry, or not for an empty optional.
    template <class T> void Element(std::string_view name, const T& value) {
        static_assert(!kStored, "a record that holds elements is read into an object");
        sink_.Begin(name);
        Fields(value);
        sink_.End();
    }
    template <class T> void Element(std::string_view name, const std::optional<T>& value) {
        if (value) Element(name, *value);
    }
    template <class T> void Element(std::string_view name, const std::vector<T>& values) {
        for (const T& value : values)
            Element(name, value);
    }
    // Records held by this one, in order, each under its own element name.
    template <class R> void Records(const std::vector<R>& records) {
        for (const R& record : records)
            EmitHeldRecord(sink_, record);
    }
    // An element `name` holding one child `itemName` per entry, in order, with
    // the attribute `indexName` = the entry's position (a vector) or key (a map).
    template <class K, class T>
    void List(std::string_view name, std::string_view itemName, std::string_view indexName,
              const std::map<K, T>& entries) {
        static_assert(!kStored, "a record that holds lists is read into an object");
        sink_.Begin(name);
        for (const auto& [key, entry] : entries)
            ListEntry(itemName, indexName, static_cast<int32_t>(key), entry);
        sink_.End();
    }
    template <class T>
    void List(std::string_view name, std::string_view itemName, std::string_view indexName,
              const std::vector<T>& entries) {
        static_assert(!kStored, "a record that holds lists is read into an object");
        sink_.Begin(name);
        int32_t position = 0;
        for (const T& entry : entries)
            ListEntry(itemName, indexName, position++, entry);
        sink_.End();
    }

    // The fields of a record or structure, in document order.
    template <class T> void Fields(const T& value) {
        auto& fields = const_cast<T&>(value);
        if constexpr (HasDocumentOrder<T>)
            InDocumentOrder(fields);
        else
            fields.Fields(*this);
    }

private:
    static constexpr bool kStored = std::is_same_v<Values, StoredValues>;

    // The fields one at a time, in the order of T's document moves. Stored
    // values are found where each field begins, measured beforehand.
    template <class T> void InDocumentOrder(T& fields) {
        const std::vector<int>& order = DocumentPermutation<T>();
        std::vector<int32_t> starts;
        int32_t end = 0;
        if constexpr (kStored) {
            end = values_.Offset();
            FieldChecker checker(values_.Bytes(), end);
            auto measure = [&](int, const char*) {
                starts.push_back(end);
                return true;
            };
            EachField<FieldChecker, decltype(measure)> each(checker, measure);
            fields.Fields(each);
        }
        for (const int wanted : order) {
            if constexpr (kStored) values_.Offset() = starts[static_cast<size_t>(wanted)];
            auto only = [wanted](int index, const char*) { return index == wanted; };
            EachField<DocumentVisitor, decltype(only)> each(*this, only);
            fields.Fields(each);
        }
        if constexpr (kStored) values_.Offset() = end;
    }

    // A list entry: a text, a number, or a structure written as children.
    template <class T>
    void ListEntry(std::string_view itemName, std::string_view indexName, int32_t index, const T& entry) {
        char text[kValueTextSize];
        sink_.Begin(itemName);
        sink_.Attribute(indexName, {text, static_cast<size_t>(FormatInt(text, index) - text)}, true);
        if constexpr (std::is_same_v<T, Str>)
            sink_.Text(View(entry));
        else if constexpr (std::is_integral_v<T>)
            sink_.Text(FormatIntForm(text, static_cast<int64_t>(entry),
                                     std::is_signed_v<T> ? IntForm::Signed : IntForm::Unsigned));
        else
            Fields(entry);
        sink_.End();
    }

    StreamSink& sink_;
    Values& values_;
    const StoredRecordExtras* extras_;
};

template <class R> concept HasDocumentForm = requires(R& r, DocumentVisitor<MemberValues>& v) {
    r.Fields(v);
};

// The fields of a record object.
template <class R> void EmitMemberFields(StreamSink& sink, const dbRecord_Class& record) {
    MemberValues values;
    DocumentVisitor<MemberValues> visitor(sink, values);
    visitor.Fields(static_cast<const R&>(record));
}

// The fields of a record straight from its stored bytes, its own fields
// beginning at `fieldsAt`.
template <class R>
void EmitStoredFields(StreamSink& sink, const buffer_Class& bytes, int32_t fieldsAt,
                      const StoredRecordExtras& extras) {
    StoredValues values(bytes, fieldsAt);
    DocumentVisitor<StoredValues> visitor(sink, values, &extras);
    visitor.Fields(R::Prototype());
}

} // namespace tqxml
