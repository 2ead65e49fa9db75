// The document form of a record's field list: a visitor over the same
// `Fields` (or `XmlFields`) declaration that gives the stored form, making one
// child element per field with the value form the declaration names.
#pragma once

#include "convert/values.h"
#include "records/fields.h"
#include "records/names.h"
#include "xml/xml_out.h"

#include <map>
#include <type_traits>
#include <vector>

namespace tqxml {

xmlout_element* DescriptionsElement(Str name, const db_DescriptionsValue& descriptions);
xmlout_element* FeatureArrayElement(Str name, const FeatureArray& features);

// Text of an integer field in one of the integer forms.
Str IntFormValue(int64_t value, IntForm form);

class XmlFieldWriter {
public:
    explicit XmlFieldWriter(xmlout_element* parent) : _Parent(parent) {}

    void Text(const char* name, const Str& value) { Add(name, value); }
    void FixedText(const char* name, const Str& value, int32_t) { Add(name, value); }
    void Real(const char* name, double value) { Add(name, RealValue(value)); }
    void Bool(const char* name, bool value) { Add(name, BoolValue(value)); }
    template <class T> void Bool(const char* name, T value) {
        Add(name, BoolValue(static_cast<int32_t>(value)));
    }
    template <class T> void Int(const char* name, T value, IntForm form) {
        Add(name, IntFormValue(static_cast<int64_t>(value), form));
    }
    template <class T> void Enum(const char* name, T value, const NameTable& table) {
        Add(name, Str(EnumName(table, static_cast<int32_t>(value))));
    }
    template <class T> void Flags(const char* name, T value, const FlagSet& set) {
        Add(name, FlagSetText(set, static_cast<uint32_t>(value)));
    }
    void TwoChar(const char* name, int16_t value) { Add(name, TwoCharCodeText(value)); }
    template <class S> void Struct(const char* name, const S& value, const char* datatype = nullptr) {
        auto* element = new xmlout_element(name);
        XmlFieldWriter nested(element);
        const_cast<S&>(value).Fields(nested);
        element->AddAttribute(Str("datatype"), Str(datatype ? datatype : S::kDatatype));
        _Parent->AddChild(element);
    }
    // The text of the element being filled, not a child of it.
    void ElementText(const char*, const Str& value, int32_t) { _Parent->text = value; }
    void Descriptions(const char* name, const db_DescriptionsValue& value) {
        _Parent->AddChild(DescriptionsElement(Str(name), value));
    }
    void Features(const char* name, const FeatureArray& value) {
        _Parent->AddChild(FeatureArrayElement(Str(name), value));
    }
    // An observation's measurement record, laid out like a record of its own
    // under its type's element name, with ID, type and TimeStamp; nothing when
    // there is none or its type is not a measurement type.
    void Measurement(const dbRecord_Class* measurement);
    // An element `name` holding one child `itemName` per entry, in order, with
    // the attribute `indexName` = the entry's position (a vector) or key (a map).
    template <class K, class T>
    void List(const char* name, const char* itemName, const char* indexName,
              const std::map<K, T>& entries) {
        auto* list = new xmlout_element(name);
        for (const auto& [key, entry] : entries)
            list->AddChild(ListEntry(itemName, indexName, static_cast<int32_t>(key), entry));
        _Parent->AddChild(list);
    }
    template <class T>
    void List(const char* name, const char* itemName, const char* indexName,
              const std::vector<T>& entries) {
        auto* list = new xmlout_element(name);
        int32_t position = 0;
        for (const T& entry : entries)
            list->AddChild(ListEntry(itemName, indexName, position++, entry));
        _Parent->AddChild(list);
    }

    xmlout_element* Parent() { return _Parent; }

private:
    void Add(const char* name, Str text) { _Parent->AddChild(new xmlout_element(name, std::move(text))); }

    // A list entry: a text, or a structure written as children.
    template <class T>
    static xmlout_element* ListEntry(const char* itemName, const char* indexName, int32_t index,
                                     const T& entry) {
        xmlout_element* item;
        if constexpr (std::is_same_v<T, Str>) {
            item = new xmlout_element(itemName, entry);
        } else {
            item = new xmlout_element(itemName);
            XmlFieldWriter nested(item);
            const_cast<T&>(entry).Fields(nested);
        }
        item->AddAttribute(Str(indexName), IntValue(index));
        return item;
    }

    xmlout_element* _Parent;
};

template <class R> concept HasXmlFields = requires(R& r, XmlFieldWriter& v) { r.XmlFields(v); };
template <class R> concept HasXmlForm =
    HasXmlFields<R> || requires(R& r, XmlFieldWriter& v) { r.Fields(v); };

// The record element of a record whose document form follows from its
// declaration: `rec` = its class name, then one child per field.
template <class R> xmlout_element* WriteDeclaredRecord(Str name, const dbRecord_Class& base) {
    auto& record = const_cast<R&>(static_cast<const R&>(base));
    auto* element = new xmlout_element(name.CStr());
    element->AddAttribute(Str("rec"), Str(RecordClassName(R::kType)));
    XmlFieldWriter writer(element);
    if constexpr (requires { record.WriteXml(writer); })
        record.WriteXml(writer);
    else if constexpr (HasXmlFields<R>)
        record.XmlFields(writer);
    else
        record.Fields(writer);
    return element;
}

} // namespace tqxml
