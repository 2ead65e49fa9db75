// The document form of a record's field list: a visitor over the same
// `Fields` (or `XmlFields`) declaration that gives the stored form. Each call
// names a child element and its value form; the visitor formats the value
// and hands elements, attributes and texts to the document's stream writer
// (xml/xml_out.h), which lays them straight into the output.
#pragma once

#include "convert/values.h"
#include "xml/xml_out.h"
#include "records/fields.h"
#include "records/names.h"

#include <map>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tqxml {

// The texts of a record element's driver attributes, and of an integer form.
struct RecordAttributeTexts {
    char id[kValueTextSize];
    char type[kValueTextSize];
    char stamp[kValueTextSize];
    std::string_view idText, typeText, stampText;
    explicit RecordAttributeTexts(const dbRecord_Class& record);
};
std::string_view FormatIntForm(char* out, int64_t value, IntForm form);

inline std::string_view View(const Str& text) {
    return {text.CStr(), static_cast<size_t>(text.Length())};
}

template <class Sink>
void EmitDescriptions(Sink& sink, const char* name, const db_DescriptionsValue& descriptions) {
    sink.Begin(name);
    sink.Leaf("Description1", View(descriptions.Description1));
    sink.Leaf("Description2", View(descriptions.Description2));
    sink.End();
}

template <class Sink>
void EmitFeatureArray(Sink& sink, const char* name, const FeatureArray& features);

// An observation's measurement record, laid out like a record of its own.
template <class Sink> void EmitMeasurement(Sink& sink, const dbRecord_Class* measurement);

// A record held by another, laid out like a record: `rec` and the driver's
// attributes first, its note not written.
template <class R, class Sink>
void EmitHeldRecord(const dbRecord_Class& record, Sink& sink, bool isRecord);

template <class Sink> class XmlFieldVisitor {
public:
    explicit XmlFieldVisitor(Sink& sink) : sink_(sink) {}

    void Text(const char* name, const Str& value) { sink_.Leaf(name, View(value)); }
    void FixedText(const char* name, const Str& value, int32_t) { sink_.Leaf(name, View(value)); }
    // The text of the element being filled, not a child of it.
    void ElementText(const char*, const Str& value, int32_t) { sink_.Text(View(value)); }
    void Real(const char* name, double value) {
        char text[kValueTextSize];
        sink_.Leaf(name, {text, static_cast<size_t>(FormatReal(text, value) - text)});
    }
    void Bool(const char* name, bool value) { sink_.Leaf(name, value ? "true" : "false"); }
    template <class T> void Bool(const char* name, T value) { Bool(name, value != 0); }
    template <class T> void Int(const char* name, T value, IntForm form) {
        char text[kValueTextSize];
        sink_.Leaf(name, FormatIntForm(text, static_cast<int64_t>(value), form));
    }
    template <class T> void Enum(const char* name, T value, const NameTable& table) {
        sink_.Leaf(name, EnumName(table, static_cast<int32_t>(value)));
    }
    template <class T> void Flags(const char* name, T value, const FlagSet& set) {
        // One buffer per thread, kept between fields: no allocation per field.
        static thread_local Str text;
        text.Truncate(0);
        AppendFlagSetText(text, set, static_cast<uint32_t>(value));
        sink_.Leaf(name, View(text));
    }
    void TwoChar(const char* name, int16_t value) {
        char text[2];
        sink_.Leaf(name, TwoCharCode(value, text));
    }
    template <class S>
    void Struct(const char* name, const S& value, const char* datatype = nullptr) {
        sink_.Begin(name);
        sink_.Attribute("datatype", datatype ? datatype : S::kDatatype);
        DocumentFields(value);
        sink_.End();
    }
    // An element without attributes holding the fields of a value (a nested
    // record or a structure): once, once per entry, or not for an empty optional.
    template <class T> void Element(const char* name, const T& value) {
        sink_.Begin(name);
        DocumentFields(value);
        sink_.End();
    }
    template <class T> void Element(const char* name, const std::optional<T>& value) {
        if (value) Element(name, *value);
    }
    template <class T> void Element(const char* name, const std::vector<T>& values) {
        for (const T& value : values)
            Element(name, value);
    }
    // Records held by this one, in order, each under its own element name.
    template <class R> void Records(const std::vector<R>& records) {
        for (const R& record : records)
            EmitHeldRecord<R>(record, sink_, false);
    }
    void Descriptions(const char* name, const db_DescriptionsValue& value) {
        EmitDescriptions(sink_, name, value);
    }
    void Features(const char* name, const FeatureArray& value) {
        EmitFeatureArray(sink_, name, value);
    }
    void Measurement(const dbRecord_Class* measurement) { EmitMeasurement(sink_, measurement); }
    // An element `name` holding one child `itemName` per entry, in order, with
    // the attribute `indexName` = the entry's position (a vector) or key (a map).
    template <class K, class T>
    void List(const char* name, const char* itemName, const char* indexName,
              const std::map<K, T>& entries) {
        sink_.Begin(name);
        for (const auto& [key, entry] : entries)
            ListEntry(itemName, indexName, static_cast<int32_t>(key), entry);
        sink_.End();
    }
    template <class T>
    void List(const char* name, const char* itemName, const char* indexName,
              const std::vector<T>& entries) {
        sink_.Begin(name);
        int32_t position = 0;
        for (const T& entry : entries)
            ListEntry(itemName, indexName, position++, entry);
        sink_.End();
    }

    Sink& GetSink() { return sink_; }

private:
    // The document's order of a value's fields, where it has one of its own.
    template <class T> void DocumentFields(const T& value) {
        auto& fields = const_cast<T&>(value);
        if constexpr (requires { fields.XmlFields(*this); })
            fields.XmlFields(*this);
        else
            fields.Fields(*this);
    }

    // A list entry: a text, a number, or a structure written as children.
    template <class T>
    void ListEntry(const char* itemName, const char* indexName, int32_t index, const T& entry) {
        char text[kValueTextSize];
        sink_.Begin(itemName);
        sink_.Attribute(indexName, {text, static_cast<size_t>(FormatInt(text, index) - text)});
        if constexpr (std::is_same_v<T, Str>)
            sink_.Text(View(entry));
        else if constexpr (std::is_integral_v<T>)
            sink_.Text(FormatIntForm(text, static_cast<int64_t>(entry),
                                     std::is_signed_v<T> ? IntForm::Signed : IntForm::Unsigned));
        else
            DocumentFields(entry);
        sink_.End();
    }

    Sink& sink_;
};

template <class R, class Sink>
concept HasXmlFieldsFor = requires(R& r, XmlFieldVisitor<Sink>& v) {
    r.XmlFields(v);
};
template <class R>
concept HasXmlFields = HasXmlFieldsFor<R, StreamSink>;
template <class R>
concept HasXmlForm = HasXmlFields<R> || requires(R& r, XmlFieldVisitor<StreamSink>& v) {
    r.Fields(v);
};

// The fields of a record whose document form follows from its declaration.
template <class R, class Sink> void EmitDeclaredFields(const dbRecord_Class& base, Sink& sink) {
    auto& record = const_cast<R&>(static_cast<const R&>(base));
    XmlFieldVisitor<Sink> visitor(sink);
    if constexpr (requires { record.WriteXml(visitor); })
        record.WriteXml(visitor);
    else if constexpr (HasXmlFieldsFor<R, Sink>)
        record.XmlFields(visitor);
    else
        record.Fields(visitor);
}

// The driver's attributes of a record element: ID, type, TimeStamp.
template <class Sink> void EmitRecordAttributes(Sink& sink, const dbRecord_Class& record) {
    const RecordAttributeTexts texts(record);
    sink.Attribute("ID", texts.idText);
    sink.Attribute("type", texts.typeText);
    sink.Attribute("TimeStamp", texts.stampText);
}

template <class R, class Sink>
void EmitHeldRecord(const dbRecord_Class& record, Sink& sink, bool isRecord) {
    sink.Begin(RecordTypeName(R::kType), isRecord);
    sink.Attribute("rec", RecordClassName(R::kType));
    EmitRecordAttributes(sink, record);
    EmitDeclaredFields<R>(record, sink);
    sink.End();
}

// A measurement record's element inside its observation, marked as a record.
template <class R, class Sink>
void EmitMeasurementRecord(const dbRecord_Class& record, Sink& sink) {
    EmitHeldRecord<R>(record, sink, true);
}

} // namespace tqxml
