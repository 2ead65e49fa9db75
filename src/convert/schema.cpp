// The schema and the reference of the document. One more visitor over each
// record's field list (beside the stored form's and the document's) notes
// what the document visitor would write: each child element, its value form
// and how often it occurs. Two writers turn those shapes into XSD and into
// Markdown.
#include "convert/schema.h"

#include "convert/xml_fields.h"
#include "records/all_records.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tqxml {
namespace {

// ---- Shapes ------------------------------------------------------------------------

// What the text of a field can be.
struct ValueForm {
    enum Kind { Text, FixedText, Real, Integer, Hex, Int3, Bool, UInt64, Enum, Flags, TwoChar };
    Kind kind = Text;
    int64_t min = 0, max = 0;           // Integer
    int32_t length = 0;                 // FixedText: stored bytes at most
    const NameTable* table = nullptr;   // Enum
    const FlagSet* flags = nullptr;     // Flags
};

// One child element of a record or of a structure.
struct Particle {
    enum Kind { Leaf, Complex, Descriptions, Features, Measurement, Held };
    Kind kind = Leaf;
    std::string name;
    bool optional = false; // minOccurs 0
    bool repeated = false; // maxOccurs unbounded
    ValueForm value;                 // Leaf; a list item's text
    std::string fixedName, fixedValue; // a structure's datatype attribute
    std::string indexName;           // a list item's index attribute
    bool hasText = false;            // a list item holding a text or a number
    std::vector<Particle> children;  // Complex
    uint32_t heldType = 0;           // Held
    std::string datatype;            // a structure's C++ type, for the reference
};

// A record element's own content: its fields, and the record's own text
// where it has one (the element is then mixed).
struct RecordShape {
    std::vector<Particle> fields;
    bool hasText = false;
    int32_t textLength = 0;
};

template <class T> ValueForm IntegerForm(IntForm form) {
    ValueForm value;
    switch (form) {
    case IntForm::Signed:
        value.kind = ValueForm::Integer;
        // Written through a signed 32-bit value: an unsigned 32-bit member
        // comes out over the whole signed range.
        if (std::is_signed_v<T> || sizeof(T) < 4) {
            value.min = static_cast<int64_t>(std::numeric_limits<T>::min());
            value.max = static_cast<int64_t>(std::numeric_limits<T>::max());
        }
        if (sizeof(T) >= 4) {
            value.min = std::numeric_limits<int32_t>::min();
            value.max = std::numeric_limits<int32_t>::max();
        }
        break;
    case IntForm::Unsigned:
        value.kind = ValueForm::Integer;
        value.max = std::is_unsigned_v<T> && sizeof(T) < 4
                        ? static_cast<int64_t>(std::numeric_limits<T>::max())
                        : int64_t{std::numeric_limits<uint32_t>::max()};
        break;
    case IntForm::Hex:
        value.kind = ValueForm::Hex;
        break;
    case IntForm::Int3:
        value.kind = ValueForm::Int3;
        break;
    case IntForm::Bool:
        value.kind = ValueForm::Bool;
        break;
    case IntForm::UInt64:
        value.kind = ValueForm::UInt64;
        break;
    case IntForm::Real:
        value.kind = ValueForm::Real;
        break;
    }
    return value;
}

template <class T> ValueForm ListItemForm() {
    ValueForm value;
    if constexpr (std::is_integral_v<T>)
        value = IntegerForm<T>(std::is_signed_v<T> ? IntForm::Signed : IntForm::Unsigned);
    return value;
}

RecordShape ShapeOf(uint32_t type);

// Notes what the document visitor writes, call by call.
class ShapeVisitor {
public:
    ShapeVisitor(std::vector<Particle>& out, RecordShape* record) : out_(out), record_(record) {}

    void Text(std::string_view name, const Str&) { Leaf(name, {}); }
    void RecordName(std::string_view name, const Str&) { Leaf(name, {}); }
    void FixedText(std::string_view name, const Str&, int32_t n) {
        ValueForm value;
        value.kind = ValueForm::FixedText;
        value.length = n;
        Leaf(name, value);
    }
    void ElementText(const char*, const Str&, int32_t n) {
        if (!record_) return;
        record_->hasText = true;
        record_->textLength = n;
    }
    void Real(std::string_view name, const double&) { Leaf(name, Form(ValueForm::Real)); }
    template <class T> void Bool(std::string_view name, const T&) {
        Leaf(name, Form(ValueForm::Bool));
    }
    template <class T> void Int(std::string_view name, const T&, IntForm form) {
        Leaf(name, IntegerForm<T>(form));
    }
    template <class T> void Enum(std::string_view name, const T&, const NameTable& table) {
        ValueForm value = Form(ValueForm::Enum);
        value.table = &table;
        Leaf(name, value);
    }
    template <class T> void Flags(std::string_view name, const T&, const FlagSet& set) {
        ValueForm value = Form(ValueForm::Flags);
        value.flags = &set;
        Leaf(name, value);
    }
    void TwoChar(std::string_view name, const int16_t&) { Leaf(name, Form(ValueForm::TwoChar)); }
    template <class S>
    void Struct(std::string_view name, const S& value, const char* datatype = nullptr) {
        Particle& p = Add(Particle::Complex, name);
        p.fixedName = "datatype";
        p.fixedValue = datatype ? datatype : S::kDatatype;
        p.datatype = S::kDatatype;
        Nested(p, value);
    }
    void Descriptions(std::string_view name, const db_DescriptionsValue&) {
        Add(Particle::Descriptions, name);
    }
    void Features(std::string_view name, const FeatureArray&) { Add(Particle::Features, name); }
    void Measurement(const dbRecord_Class*) {
        Particle& p = Add(Particle::Measurement, "");
        p.optional = true;
    }
    template <class T> void Element(std::string_view name, const T& value) {
        Nested(Add(Particle::Complex, name), value);
    }
    template <class T> void Element(std::string_view name, const std::optional<T>&) {
        Particle& p = Add(Particle::Complex, name);
        p.optional = true;
        Nested(p, T{});
    }
    template <class T> void Element(std::string_view name, const std::vector<T>&) {
        Particle& p = Add(Particle::Complex, name);
        p.optional = p.repeated = true;
        Nested(p, T{});
    }
    template <class R> void Records(const std::vector<R>&) {
        Particle& p = Add(Particle::Held, "");
        p.optional = p.repeated = true;
        p.heldType = R::kType;
    }
    template <class K, class T>
    void List(std::string_view name, std::string_view itemName, std::string_view indexName,
              const std::map<K, T>&) {
        ListOf<T>(name, itemName, indexName);
    }
    template <class T>
    void List(std::string_view name, std::string_view itemName, std::string_view indexName,
              const std::vector<T>&) {
        ListOf<T>(name, itemName, indexName);
    }

    // The fields of a record or structure, in document order.
    template <class T> void Fields(const T& value) {
        auto& fields = const_cast<T&>(value);
        if constexpr (HasDocumentOrder<T>) {
            for (const int wanted : DocumentPermutation<T>()) {
                auto only = [wanted](int index, const char*) { return index == wanted; };
                EachField<ShapeVisitor, decltype(only)> each(*this, only);
                fields.Fields(each);
            }
        } else {
            fields.Fields(*this);
        }
    }

private:
    static ValueForm Form(ValueForm::Kind kind) {
        ValueForm value;
        value.kind = kind;
        return value;
    }
    Particle& Add(Particle::Kind kind, std::string_view name) {
        Particle& p = out_.emplace_back();
        p.kind = kind;
        p.name = std::string(name);
        return p;
    }
    void Leaf(std::string_view name, const ValueForm& value) { Add(Particle::Leaf, name).value = value; }
    template <class T> void Nested(Particle& p, const T& value) {
        std::vector<Particle> children;
        ShapeVisitor inner(children, nullptr);
        inner.Fields(value);
        p.children = std::move(children);
    }
    template <class T>
    void ListOf(std::string_view name, std::string_view itemName, std::string_view indexName) {
        Particle& list = Add(Particle::Complex, name);
        Particle item;
        item.kind = Particle::Complex;
        item.name = std::string(itemName);
        item.optional = item.repeated = true;
        item.indexName = std::string(indexName);
        if constexpr (std::is_same_v<T, Str> || std::is_integral_v<T>) {
            item.hasText = true;
            item.value = ListItemForm<T>();
        } else {
            std::vector<Particle> children;
            ShapeVisitor inner(children, nullptr);
            inner.Fields(T{});
            item.children = std::move(children);
        }
        list.children.push_back(std::move(item));
    }

    std::vector<Particle>& out_;
    RecordShape* record_;
};

// ---- The catalogue ----------------------------------------------------------------

template <class R> RecordShape BuildShape() {
    RecordShape shape;
    ShapeVisitor visitor(shape.fields, &shape);
    visitor.Fields(R::Prototype());
    return shape;
}

template <class R> constexpr RecordShape (*ShapeBuilderFor())() {
    if constexpr (HasDocumentForm<R>) return &BuildShape<R>;
    else return nullptr;
}

constexpr RecordShape (*kShapeBuilders[DATABASE_AllRecords])() = {
#define TQ_RECORD(type, enumName, className, category, flags) ShapeBuilderFor<className>(),
#include "records/record_types.def"
};

bool HasShape(uint32_t type) {
    return type < DATABASE_AllRecords && kShapeBuilders[type] != nullptr;
}

RecordShape ShapeOf(uint32_t type) {
    return HasShape(type) ? kShapeBuilders[type]() : RecordShape();
}

// Chained records with an element of their own, and those written inside
// others (measurements, tunnel point deltas).
bool IsChainedElement(uint32_t type) {
    return HasShape(type) && IsRecordCategory(type, record_table::Plain);
}
bool IsHeldElement(uint32_t type) {
    return HasShape(type) && (IsRecordCategory(type, record_table::Measurement) ||
                              IsRecordCategory(type, record_table::Attached));
}

std::string Int3Text(uint32_t type) {
    char text[16];
    std::snprintf(text, sizeof text, "%03u", type);
    return text;
}

// A name that XSD takes as a type name: anything but letters, digits, '_',
// '-' and '.' becomes '_'.
std::string TypeName(std::string_view prefix, std::string_view name) {
    std::string out(prefix);
    for (char c : name)
        out += (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.')
                   ? c
                   : '_';
    return out;
}

// ---- The schema ------------------------------------------------------------------------

class SchemaWriter {
public:
    std::string Write() {
        Line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        Line(0, "<!-- The document tqxml writes for a survey job: generated from the record");
        Line(0, "     declarations (tqxml with the option schema); do not edit. -->");
        Line(0, "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                "elementFormDefault=\"unqualified\">");
        Root();
        for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
            if (IsChainedElement(type) || IsHeldElement(type)) RecordType(type);
        UnknownType();
        FeatureTypes();
        Line(1, "<xs:complexType name=\"Descriptions\">");
        Line(2, "<xs:sequence>");
        Line(3, "<xs:element name=\"Description1\" type=\"xs:string\"/>");
        Line(3, "<xs:element name=\"Description2\" type=\"xs:string\"/>");
        Line(2, "</xs:sequence>");
        Line(1, "</xs:complexType>");
        ValueTypes();
        Line(0, "</xs:schema>");
        return out_;
    }

private:
    void Line(int depth, const std::string& text) {
        out_.append(static_cast<size_t>(depth) * 2, ' ');
        out_ += text;
        out_ += '\n';
    }

    static std::string RecordTypeRef(uint32_t type) {
        return TypeName("record.", RecordClassName(type));
    }

    void Root() {
        Line(1, "<xs:element name=\"JOBFile\">");
        Line(2, "<xs:complexType>");
        Line(3, "<xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">");
        for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
            if (IsChainedElement(type))
                Line(4, "<xs:element name=\"" + std::string(RecordTypeName(type)) + "\" type=\"" +
                            RecordTypeRef(type) + "\"/>");
        Line(4, "<xs:element name=\"unknown\" type=\"record.unknown\"/>");
        Line(3, "</xs:choice>");
        Line(3, "<xs:attribute name=\"jobFilename\" type=\"xs:string\" use=\"required\"/>");
        Line(3, "<xs:attribute name=\"version\" type=\"xs:string\" fixed=\"1220\" use=\"required\"/>");
        Line(3, "<xs:attribute name=\"increment\" type=\"xs:string\" fixed=\"36\" use=\"required\"/>");
        Line(2, "</xs:complexType>");
        Line(1, "</xs:element>");
    }

    // A record's element: its fields, then (for a chained record) its note
    // lines; rec, ID, type and TimeStamp.
    void RecordType(uint32_t type) {
        const RecordShape shape = ShapeOf(type);
        const bool chained = IsChainedElement(type);
        Line(1, "<xs:complexType name=\"" + RecordTypeRef(type) + "\"" +
                    (shape.hasText ? " mixed=\"true\"" : "") + ">");
        Line(2, "<xs:sequence>");
        for (const Particle& p : shape.fields)
            Emit(3, p);
        if (chained)
            Line(3, "<xs:element name=\"Note\" type=\"xs:string\" minOccurs=\"0\" "
                    "maxOccurs=\"unbounded\"/>");
        Line(2, "</xs:sequence>");
        Line(2, "<xs:attribute name=\"rec\" type=\"xs:string\" fixed=\"" +
                    std::string(RecordClassName(type)) + "\" use=\"required\"/>");
        RecordAttributes(2, "xs:string\" fixed=\"" + Int3Text(type));
        Line(1, "</xs:complexType>");
    }

    void RecordAttributes(int depth, const std::string& typeAttribute) {
        Line(depth, "<xs:attribute name=\"ID\" type=\"value.hex\" use=\"required\"/>");
        Line(depth, "<xs:attribute name=\"type\" type=\"" + typeAttribute + "\" use=\"required\"/>");
        Line(depth, "<xs:attribute name=\"TimeStamp\" type=\"value.real\" use=\"required\"/>");
    }

    // A record of a type without a declaration of its fields (foreign data).
    void UnknownType() {
        Line(1, "<xs:complexType name=\"record.unknown\">");
        Line(2, "<xs:sequence>");
        Line(3, "<xs:element name=\"Note\" type=\"xs:string\" minOccurs=\"0\" "
                "maxOccurs=\"unbounded\"/>");
        Line(2, "</xs:sequence>");
        RecordAttributes(2, "value.int3");
        Line(1, "</xs:complexType>");
    }

    static std::string Occurs(const Particle& p) {
        std::string text;
        if (p.optional) text += " minOccurs=\"0\"";
        if (p.repeated) text += " maxOccurs=\"unbounded\"";
        return text;
    }

    void Emit(int depth, const Particle& p) {
        switch (p.kind) {
        case Particle::Leaf:
            Line(depth, "<xs:element name=\"" + p.name + "\" type=\"" + ValueType(p.value) + "\"" +
                            Occurs(p) + "/>");
            return;
        case Particle::Descriptions:
            Line(depth, "<xs:element name=\"" + p.name + "\" type=\"Descriptions\"" + Occurs(p) +
                            "/>");
            return;
        case Particle::Features:
            Line(depth, "<xs:element name=\"" + p.name + "\" type=\"FeatureArray\"" + Occurs(p) +
                            "/>");
            return;
        case Particle::Measurement:
            Line(depth, "<xs:choice minOccurs=\"0\">");
            for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
                if (IsHeldElement(type) && IsRecordCategory(type, record_table::Measurement))
                    Line(depth + 1, "<xs:element name=\"" + std::string(RecordTypeName(type)) +
                                        "\" type=\"" + RecordTypeRef(type) + "\"/>");
            Line(depth, "</xs:choice>");
            return;
        case Particle::Held:
            Line(depth, "<xs:element name=\"" + std::string(RecordTypeName(p.heldType)) +
                            "\" type=\"" + RecordTypeRef(p.heldType) + "\"" + Occurs(p) + "/>");
            return;
        case Particle::Complex:
            break;
        }
        Line(depth, "<xs:element name=\"" + p.name + "\"" + Occurs(p) + ">");
        if (p.hasText) {
            Line(depth + 1, "<xs:complexType>");
            Line(depth + 2, "<xs:simpleContent>");
            Line(depth + 3, "<xs:extension base=\"" + ValueType(p.value) + "\">");
            Line(depth + 4, "<xs:attribute name=\"" + p.indexName +
                                "\" type=\"xs:int\" use=\"required\"/>");
            Line(depth + 3, "</xs:extension>");
            Line(depth + 2, "</xs:simpleContent>");
            Line(depth + 1, "</xs:complexType>");
        } else {
            Line(depth + 1, "<xs:complexType>");
            Line(depth + 2, "<xs:sequence>");
            for (const Particle& child : p.children)
                Emit(depth + 3, child);
            Line(depth + 2, "</xs:sequence>");
            if (!p.fixedName.empty())
                Line(depth + 2, "<xs:attribute name=\"" + p.fixedName +
                                    "\" type=\"xs:string\" fixed=\"" + p.fixedValue +
                                    "\" use=\"required\"/>");
            if (!p.indexName.empty())
                Line(depth + 2, "<xs:attribute name=\"" + p.indexName +
                                    "\" type=\"xs:int\" use=\"required\"/>");
            Line(depth + 1, "</xs:complexType>");
        }
        Line(depth, "</xs:element>");
    }

    void FeatureTypes() {
        Line(1, "<xs:complexType name=\"FeatureArray\">");
        Line(2, "<xs:sequence>");
        Line(3, "<xs:element name=\"Feature\" minOccurs=\"0\" maxOccurs=\"unbounded\">");
        Line(4, "<xs:complexType>");
        Line(5, "<xs:sequence>");
        Line(6, "<xs:element name=\"Attribute\" minOccurs=\"0\" maxOccurs=\"unbounded\">");
        Line(7, "<xs:complexType>");
        Line(8, "<xs:attribute name=\"Name\" type=\"xs:string\" use=\"required\"/>");
        Line(8, "<xs:attribute name=\"Type\" type=\"value.featureAttributeType\" use=\"required\"/>");
        // Numerical, Date and Time write a real; Text and File a text;
        // Menu an index and an item; Separator nothing more.
        Line(8, "<xs:attribute name=\"Value\" type=\"xs:string\"/>");
        Line(8, "<xs:attribute name=\"ItemIndex\" type=\"xs:unsignedShort\"/>");
        Line(8, "<xs:attribute name=\"Item\" type=\"xs:string\"/>");
        Line(7, "</xs:complexType>");
        Line(6, "</xs:element>");
        Line(5, "</xs:sequence>");
        Line(5, "<xs:attribute name=\"Name\" type=\"xs:string\" use=\"required\"/>");
        Line(5, "<xs:attribute name=\"StringCode\" type=\"xs:string\" use=\"required\"/>");
        Line(5, "<xs:attribute name=\"AttributeCount\" type=\"xs:unsignedInt\" use=\"required\"/>");
        Line(4, "</xs:complexType>");
        Line(3, "</xs:element>");
        Line(2, "</xs:sequence>");
        Line(2, "<xs:attribute name=\"rec\" type=\"xs:string\" fixed=\"FeatureArray\" "
                "use=\"required\"/>");
        Line(2, "<xs:attribute name=\"FeatureCount\" type=\"xs:unsignedInt\" use=\"required\"/>");
        Line(1, "</xs:complexType>");
    }

    // The simple type of a value form; named types are written at the end.
    std::string ValueType(const ValueForm& value) {
        switch (value.kind) {
        case ValueForm::Text:
            return "xs:string";
        case ValueForm::FixedText:
            lengths_.insert(value.length);
            return "value.text" + std::to_string(value.length);
        case ValueForm::Real:
            return "value.real";
        case ValueForm::Integer: {
            ranges_.insert({value.min, value.max});
            return RangeName(value.min, value.max);
        }
        case ValueForm::Hex:
            return "value.hex";
        case ValueForm::Int3:
            return "value.int3";
        case ValueForm::Bool:
            return "value.bool";
        case ValueForm::UInt64:
            return "xs:unsignedLong";
        case ValueForm::Enum:
            tables_.insert(value.table);
            return TypeName("enum.", value.table->typeName);
        case ValueForm::Flags:
            flagSets_.insert(value.flags);
            return TypeName("flags.", value.flags->name);
        case ValueForm::TwoChar:
            return "value.twoChar";
        }
        return "xs:string";
    }

    static std::string RangeName(int64_t min, int64_t max) {
        return "value.int" + std::string(min < 0 ? "m" : "") + std::to_string(min < 0 ? -min : min) +
               "to" + std::to_string(max);
    }

    void Restriction(const std::string& name, const std::string& base,
                     const std::vector<std::string>& facets) {
        Line(1, "<xs:simpleType name=\"" + name + "\">");
        Line(2, "<xs:restriction base=\"" + base + "\">");
        for (const std::string& facet : facets)
            Line(3, facet);
        Line(2, "</xs:restriction>");
        Line(1, "</xs:simpleType>");
    }

    void ValueTypes() {
        // 16 significant digits: plain notation for decimal exponents -4 to
        // 15, else d.dddE+xxx; empty for a real without a value. A damaged
        // stored value can also give a non-finite real.
        Restriction("value.real", "xs:string",
                    {"<xs:pattern value=\"(-?[0-9]+(\\.[0-9]+)?)?\"/>",
                     "<xs:pattern value=\"-?[0-9](\\.[0-9]+)?E[+\\-][0-9]{3}\"/>",
                     "<xs:pattern value=\"-?(INF|NAN)\"/>"});
        Restriction("value.hex", "xs:string", {"<xs:pattern value=\"0x[0-9a-f]{8}\"/>"});
        Restriction("value.int3", "xs:string",
                    {"<xs:pattern value=\"[0-9]{3,10}|-[0-9]{2,10}\"/>"});
        Restriction("value.bool", "xs:string",
                    {"<xs:enumeration value=\"true\"/>", "<xs:enumeration value=\"false\"/>"});
        Restriction("value.twoChar", "xs:string", {"<xs:maxLength value=\"2\"/>"});
        Restriction("value.featureAttributeType", "xs:string",
                    {"<xs:enumeration value=\"Numerical\"/>", "<xs:enumeration value=\"Text\"/>",
                     "<xs:enumeration value=\"Menu\"/>", "<xs:enumeration value=\"Date\"/>",
                     "<xs:enumeration value=\"Time\"/>", "<xs:enumeration value=\"File\"/>",
                     "<xs:enumeration value=\"Separator\"/>", "<xs:enumeration value=\"\"/>"});
        for (const int32_t length : lengths_)
            Restriction("value.text" + std::to_string(length), "xs:string",
                        {"<xs:maxLength value=\"" + std::to_string(length) + "\"/>"});
        for (const auto& [min, max] : ranges_)
            Restriction(RangeName(min, max), "xs:long",
                        {"<xs:minInclusive value=\"" + std::to_string(min) + "\"/>",
                         "<xs:maxInclusive value=\"" + std::to_string(max) + "\"/>"});
        // A value outside its table is written as the empty text.
        for (const NameTable* table : tables_) {
            std::vector<std::string> names;
            for (int32_t i = 0; i < table->count; ++i)
                names.push_back("<xs:enumeration value=\"" + std::string(table->names[i]) + "\"/>");
            names.push_back("<xs:enumeration value=\"\"/>");
            Restriction(TypeName("enum.", table->typeName), "xs:string", names);
        }
        // The names of the bits that are set, in bit order, between spaces.
        for (const FlagSet* set : flagSets_) {
            const std::string name = TypeName("flags.", set->name);
            std::vector<std::string> names;
            for (int32_t i = 0; i < set->count; ++i)
                names.push_back("<xs:enumeration value=\"" + std::string(set->flags[i].name) + "\"/>");
            Restriction(name + ".name", "xs:string", names);
            Line(1, "<xs:simpleType name=\"" + name + "\">");
            Line(2, "<xs:list itemType=\"" + name + ".name\"/>");
            Line(1, "</xs:simpleType>");
        }
    }

    std::string out_;
    std::set<int32_t> lengths_;
    std::set<std::pair<int64_t, int64_t>> ranges_;
    std::set<const NameTable*, bool (*)(const NameTable*, const NameTable*)> tables_{
        [](const NameTable* a, const NameTable* b) {
            return std::string_view(a->typeName) < b->typeName;
        }};
    std::set<const FlagSet*, bool (*)(const FlagSet*, const FlagSet*)> flagSets_{
        [](const FlagSet* a, const FlagSet* b) { return std::string_view(a->name) < b->name; }};
};

// ---- The reference ----------------------------------------------------------------

class ReferenceWriter {
public:
    std::string Write() {
        out_ += "# The document tqxml writes\n\n";
        out_ += "Generated from the record declarations by `tqxml --reference`; do not edit.\n";
        out_ += "The same declarations give the schema (`tqxml --schema`, installed as\n";
        out_ += "`share/tqxml/tqxml.xsd`).\n\n";
        out_ += "## The document\n\n";
        out_ += "```\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
                "<JOBFile jobFilename=\"JOB PATH\" version=\"1220\" increment=\"36\">\n\n\n"
                "    <RECORD ...>...</RECORD>\n\n    ...\n</JOBFile>\n```\n\n";
        out_ += "Lines end in CR LF; each level of elements is indented by four spaces, and a\n"
                "blank line comes before each record. The records follow in the order of the\n"
                "job's chain. Every record element has the attributes `rec` (the record's\n"
                "class), `ID` (its record identifier, hexadecimal), `type` (its record type,\n"
                "three digits at least) and `TimeStamp` (a real); its fields follow as child\n"
                "elements in the order given below, then one `Note` element per line of the\n"
                "record's note. A record of a type that has no declaration is written as\n"
                "`<unknown ID=... type=... TimeStamp=...>` with its notes only. A document\n"
                "converted with `--salvage` opens with one comment for each damaged place.\n\n";
        out_ += "### Value forms\n\n";
        out_ += "| form | text |\n|---|---|\n";
        out_ += "| text | the stored bytes as they are (UTF-8 with `--text-encoding`) |\n";
        out_ += "| text (n) | a text stored in n bytes |\n";
        out_ += "| real | 16 significant digits, plain for decimal exponents -4 to 15, else "
                "`1.5E-005`; empty when the record holds no value |\n";
        out_ += "| integer from a to b | decimal |\n";
        out_ += "| hex | `0x` and eight lower-case hexadecimal digits |\n";
        out_ += "| int3 | decimal, at least three digits with leading zeros |\n";
        out_ += "| bool | `true` or `false` |\n";
        out_ += "| uint64 | decimal, 0 to 18446744073709551615 |\n";
        out_ += "| two characters | a code of up to two characters |\n";
        out_ += "| enumeration | one name of the table named; empty for a value outside it |\n";
        out_ += "| flags | the names of the bits set, in bit order, separated by spaces |\n\n";
        out_ += "### Shared structures\n\n";
        out_ += "- **Descriptions**: `Description1`, `Description2` (text each).\n";
        out_ += "- **Feature array** (`DATABASE_FeaturesRecord`): attributes `rec=\"FeatureArray\"` "
                "and `FeatureCount`; one `Feature` per feature (attributes `Name`, `StringCode`, "
                "`AttributeCount`), each with one `Attribute` per attribute (attributes `Name`, "
                "`Type` = Numerical, Text, Menu, Date, Time, File or Separator; then `Value` "
                "(a real or a text), or `ItemIndex` and `Item` for a menu).\n";
        out_ += "- **Measurement**: an observation holds its measurement as a record element "
                "of its own (one of the measurement records below), without notes.\n\n";
        out_ += "## Records\n\n";
        for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
            if (IsChainedElement(type)) Record(type, false);
        out_ += "## Records held by others\n\n";
        out_ += "Written inside the record that holds them, with the same attributes and no "
                "notes.\n\n";
        for (uint32_t type = 0; type < DATABASE_AllRecords; ++type)
            if (IsHeldElement(type)) Record(type, true);
        Tables();
        return out_;
    }

private:
    void Record(uint32_t type, bool held) {
        const RecordShape shape = ShapeOf(type);
        out_ += "### " + std::string(RecordTypeName(type)) + "\n\n";
        out_ += "`rec=\"" + std::string(RecordClassName(type)) + "\"`, `type=\"" + Int3Text(type) +
                "\"`" + (held ? "" : "; notes after the fields") + ".\n";
        if (shape.hasText)
            out_ += "The element's own text is the record's text (" +
                    std::to_string(shape.textLength) + " bytes at most).\n";
        out_ += "\n";
        if (shape.fields.empty()) {
            out_ += "No fields.\n\n";
            return;
        }
        out_ += "| field | value |\n|---|---|\n";
        for (const Particle& p : shape.fields)
            Row("", p);
        out_ += "\n";
    }

    void Row(const std::string& path, const Particle& p) {
        std::string occurs;
        if (p.optional && p.repeated) occurs = " (any number)";
        else if (p.optional) occurs = " (optional)";
        switch (p.kind) {
        case Particle::Leaf:
            out_ += "| `" + path + p.name + "` | " + Describe(p.value) + occurs + " |\n";
            return;
        case Particle::Descriptions:
            out_ += "| `" + path + p.name + "` | descriptions |\n";
            return;
        case Particle::Features:
            out_ += "| `" + path + p.name + "` | feature array |\n";
            return;
        case Particle::Measurement:
            out_ += "| (measurement) | a measurement record (optional) |\n";
            return;
        case Particle::Held:
            out_ += "| `" + path + RecordTypeName(p.heldType) + "` | a held record" + occurs +
                    " |\n";
            return;
        case Particle::Complex:
            break;
        }
        std::string what = "element" + occurs;
        if (!p.fixedName.empty()) what = "structure `" + p.fixedValue + "`" + occurs;
        if (!p.indexName.empty())
            what = "one per entry, attribute `" + p.indexName + "`" +
                   (p.hasText ? ", " + Describe(p.value) : "");
        out_ += "| `" + path + p.name + "` | " + what + " |\n";
        for (const Particle& child : p.children)
            Row(path + p.name + "/", child);
    }

    std::string Describe(const ValueForm& value) {
        switch (value.kind) {
        case ValueForm::Text:
            return "text";
        case ValueForm::FixedText:
            return "text (" + std::to_string(value.length) + ")";
        case ValueForm::Real:
            return "real";
        case ValueForm::Integer:
            return "integer from " + std::to_string(value.min) + " to " + std::to_string(value.max);
        case ValueForm::Hex:
            return "hex";
        case ValueForm::Int3:
            return "int3";
        case ValueForm::Bool:
            return "bool";
        case ValueForm::UInt64:
            return "uint64";
        case ValueForm::TwoChar:
            return "two characters";
        case ValueForm::Enum:
            tables_[value.table->typeName] = value.table;
            return "enumeration [" + std::string(value.table->typeName) + "](#" +
                   Anchor(value.table->typeName) + ")";
        case ValueForm::Flags:
            flagSets_[value.flags->name] = value.flags;
            return "flags [" + std::string(value.flags->name) + "](#" + Anchor(value.flags->name) +
                   ")";
        }
        return "text";
    }

    static std::string Anchor(std::string_view heading) {
        std::string anchor;
        for (char c : heading) {
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')
                anchor += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            else if (c == ' ')
                anchor += '-';
        }
        return anchor;
    }

    void Tables() {
        out_ += "## Enumerations\n\n";
        for (const auto& [name, table] : tables_) {
            out_ += "### " + name + "\n\n| value | name |\n|---|---|\n";
            for (int32_t i = 0; i < table->count; ++i)
                out_ += "| " + std::to_string(table->firstValue + i) + " | `" +
                        std::string(table->names[i]) + "` |\n";
            out_ += "\n";
        }
        out_ += "## Flag sets\n\n";
        for (const auto& [name, set] : flagSets_) {
            out_ += "### " + name + "\n\n| bit | name |\n|---|---|\n";
            for (int32_t i = 0; i < set->count; ++i)
                out_ += "| " + std::to_string(set->flags[i].bit) + " | `" +
                        std::string(set->flags[i].name) + "` |\n";
            out_ += "\n";
        }
    }

    std::string out_;
    std::map<std::string, const NameTable*> tables_;
    std::map<std::string, const FlagSet*> flagSets_;
};

} // namespace

std::string DocumentSchema() {
    return SchemaWriter().Write();
}

std::string DocumentReference() {
    return ReferenceWriter().Write();
}

} // namespace tqxml
