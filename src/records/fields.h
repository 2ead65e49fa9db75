// One declaration per record type. A record class lists its fields once, in
// stored order, in a member template `Fields(V& v)`; each call names the XML
// child, and the member's C++ type gives the stored width:
//
//   v.Text("Code", Code);                             // NUL-terminated string
//   v.RecordName("PointName", PointName);             // a text the record is
//                                                     // known by: the document
//                                                     // reports it when empty
//   v.Enum("Method", Method, dbentity_PointMethod);   // int16_t member: i16
//   v.Int("Round", Round, IntForm::Unsigned);         // uint16_t member: u16
//   v.Struct("Circle", Circle);                       // nested value structure
//   v.ElementText("HeaderText", HeaderText, 33);      // fixed text, the record
//                                                     // element's own text
//
// The visitors below give the stored form (read, write, check); the document
// form is a visitor of the conversion layer. Calls that only place something
// in the document do nothing in the stored form: Descriptions and Features (a
// record with features reads and writes them in its header), Measurement (the
// journal stores an observation's measurement as a record of its own), and
// List, Element and Records (a record that holds them stores them by hand,
// in ReadOwn/WriteOwn, or not at all):
//
//   v.List("Filenames", "item", "index", Filenames);  // <Filenames><item index="3">
//   v.Element("Node", Nodes);   // <Node> per entry of a vector, once for a
//                               // value, none for an empty std::optional
//   v.Records(PointDeltas);     // records held by this one, each written
//                               // with its own rec, ID, type and TimeStamp
//
// A list is a std::vector (the attribute holds the position from 0) or a
// std::map keyed by a signed number (the attribute holds the key); its
// entries are texts or structures with Fields. Where the document's order
// differs from the stored order, the class (or structure) says which fields
// the document moves, each to just after the one named (nullptr: to the
// front), applied in turn to the one list:
//
//   static constexpr FieldMove kDocumentMoves[] = {{"Deleted", "Method"}};
//
// Record<Derived, Base> turns the list into the record operations: Read,
// Write, Clone and the check of a stored form; the record table
// (record_types.def) gives the class its type number, category and flags. A
// record whose stored form is irregular defines ReadOwn(buffer, offset) /
// WriteOwn(writer) beside Fields, and the template calls those.
#pragma once

#include "base/environment.h"
#include "records/record.h"

#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace tqxml {

struct NameTable;
struct FlagSet;

// How an integer field is written in the document.
// UInt64: a 64-bit value written unsigned. Real: the integer converted to a
// double and written as a real.
enum class IntForm { Signed, Unsigned, Hex, Int3, Bool, UInt64, Real };

template <class T> inline constexpr bool kIsStoredInt =
    std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 8;

// A stored integer of T's width and signedness at `offset`.
template <class T> T ReadStoredInt(const buffer_Class& buffer, int32_t& offset) {
    static_assert(kIsStoredInt<T>);
    if constexpr (sizeof(T) == 1) return static_cast<T>(buffer.GetInt8(offset));
    else if constexpr (sizeof(T) == 2 && std::is_signed_v<T>) return buffer.GetInt16(offset);
    else if constexpr (sizeof(T) == 2) return buffer.GetUInt16(offset);
    else if constexpr (sizeof(T) == 4 && std::is_signed_v<T>) return buffer.GetInt32(offset);
    else if constexpr (sizeof(T) == 4) return buffer.GetUInt32(offset);
    else return static_cast<T>(buffer.GetInt64(offset));
}

// The calls that only place something in the document: the stored-form
// visitors pass them by.
struct DocumentOnlyCalls {
    template <class... A> void Descriptions(A&&...) {}
    template <class... A> void Features(A&&...) {}
    template <class... A> void Measurement(A&&...) {}
    template <class... A> void List(A&&...) {}
    template <class... A> void Element(A&&...) {}
    template <class... A> void Records(A&&...) {}
};

class FieldReader : public DocumentOnlyCalls {
public:
    FieldReader(const buffer_Class& buffer, int32_t& offset) : buffer_(buffer), offset_(offset) {}

    void Text(const char*, Str& value) { value = buffer_.GetString(offset_); }
    void RecordName(const char* name, Str& value) { Text(name, value); }
    void FixedText(const char*, Str& value, int32_t n) { value = buffer_.GetFixedString(offset_, n); }
    void Real(const char*, double& value) { value = buffer_.GetDouble(offset_); }
    void Bool(const char*, bool& value) { value = buffer_.GetBool(offset_); }
    template <class T> void Bool(const char*, T& value) { value = ReadInt<T>(); }
    template <class T> void Int(const char*, T& value, IntForm) { value = ReadInt<T>(); }
    template <class T> void Enum(const char*, T& value, const NameTable&) { value = ReadInt<T>(); }
    template <class T> void Flags(const char*, T& value, const FlagSet&) { value = ReadInt<T>(); }
    void TwoChar(const char*, int16_t& value) { value = buffer_.GetInt16(offset_); }
    template <class S> void Struct(const char*, S& value, const char* = nullptr) {
        value.Fields(*this);
    }
    void ElementText(const char* name, Str& value, int32_t n) { FixedText(name, value, n); }

    const buffer_Class& Buffer() const { return buffer_; }
    int32_t& Offset() { return offset_; }

    template <class T> T ReadInt() { return ReadStoredInt<T>(buffer_, offset_); }

private:
    const buffer_Class& buffer_;
    int32_t& offset_;
};

class FieldWriter : public DocumentOnlyCalls {
public:
    explicit FieldWriter(buffer_Writer& writer) : writer_(writer) {}

    void Text(const char*, const Str& value) { writer_.PutString(value); }
    void RecordName(const char* name, const Str& value) { Text(name, value); }
    void FixedText(const char*, const Str& value, int32_t n) {
        writer_.PutFixedString(value.CStr(), n, '\0');
    }
    void Real(const char*, double value) { writer_.PutDouble(value); }
    void Bool(const char*, bool value) { writer_.PutInt8(value ? 1 : 0); }
    template <class T> void Bool(const char*, T value) { WriteInt(value); }
    template <class T> void Int(const char*, T value, IntForm) { WriteInt(value); }
    template <class T> void Enum(const char*, T value, const NameTable&) { WriteInt(value); }
    template <class T> void Flags(const char*, T value, const FlagSet&) { WriteInt(value); }
    void TwoChar(const char*, int16_t value) { writer_.PutInt16(value); }
    template <class S> void Struct(const char*, const S& value, const char* = nullptr) {
        const_cast<S&>(value).Fields(*this);
    }
    void ElementText(const char* name, const Str& value, int32_t n) { FixedText(name, value, n); }

    buffer_Writer& Writer() { return writer_; }

    template <class T> void WriteInt(T value) {
        static_assert(kIsStoredInt<T>);
        if constexpr (sizeof(T) == 1) writer_.PutInt8(static_cast<int8_t>(value));
        else if constexpr (sizeof(T) == 2) writer_.PutUInt16(static_cast<uint16_t>(value));
        else if constexpr (sizeof(T) == 4) writer_.PutUInt32(static_cast<uint32_t>(value));
        else writer_.PutInt64(static_cast<int64_t>(value));
    }

private:
    buffer_Writer& writer_;
};

// Reads every field exactly as FieldReader does and keeps nothing: checks a
// stored form, reporting what is wrong with it through the buffer, and finds
// where it ends. The members it is handed are not touched.
class FieldChecker : public DocumentOnlyCalls {
public:
    FieldChecker(const buffer_Class& buffer, int32_t& offset) : buffer_(buffer), offset_(offset) {}

    void Text(const char*, const Str&) { buffer_.GetStringView(offset_); }
    void RecordName(const char*, const Str&) { buffer_.GetStringView(offset_); }
    void FixedText(const char*, const Str&, int32_t n) { buffer_.GetFixedStringView(offset_, n); }
    void Real(const char*, const double&) { buffer_.GetDouble(offset_); }
    void Bool(const char*, const bool&) { buffer_.GetBool(offset_); }
    template <class T> void Bool(const char*, const T&) { ReadStoredInt<T>(buffer_, offset_); }
    template <class T> void Int(const char*, const T&, IntForm) {
        ReadStoredInt<T>(buffer_, offset_);
    }
    template <class T> void Enum(const char*, const T&, const NameTable&) {
        ReadStoredInt<T>(buffer_, offset_);
    }
    template <class T> void Flags(const char*, const T&, const FlagSet&) {
        ReadStoredInt<T>(buffer_, offset_);
    }
    void TwoChar(const char*, const int16_t&) { buffer_.GetInt16(offset_); }
    template <class S> void Struct(const char*, const S& value, const char* = nullptr) {
        const_cast<S&>(value).Fields(*this);
    }
    void ElementText(const char* name, const Str& value, int32_t n) { FixedText(name, value, n); }

private:
    const buffer_Class& buffer_;
    int32_t& offset_;
};

template <class R, class V> concept HasFields = requires(R& r, V& v) { r.Fields(v); };
template <class R> concept HasReadOwn =
    requires(R& r, const buffer_Class& b, int32_t& o) { r.ReadOwn(b, o); };
template <class R> concept HasWriteOwn = requires(const R& r, buffer_Writer& w) { r.WriteOwn(w); };
template <class T> concept HasDocumentOrder = requires { std::size(T::kDocumentMoves); };

// A field that the document writes elsewhere than the stored order does.
struct FieldMove {
    const char* field;
    const char* after; // the field it follows in the document; nullptr: the first
};

// ---- Visiting the fields one at a time ---------------------------------------
//
// EachField wraps a visitor and asks `enter(index, name)` before each call of
// the field list's top level (nested structures are the inner visitor's
// own); only calls it answers true reach the inner visitor. It lets a
// declaration be walked in another order than its own.

template <class Inner, class Enter> class EachField {
public:
    EachField(Inner& inner, Enter& enter) : inner_(inner), enter_(enter) {}

#define TQ_EACH_FIELD(method)                                                                      \
    template <class... A> void method(const char* name, A&&... a) {                               \
        if (enter_(index_++, name)) inner_.method(name, std::forward<A>(a)...);                   \
    }
    TQ_EACH_FIELD(Text)
    TQ_EACH_FIELD(RecordName)
    TQ_EACH_FIELD(FixedText)
    TQ_EACH_FIELD(ElementText)
    TQ_EACH_FIELD(Real)
    TQ_EACH_FIELD(Bool)
    TQ_EACH_FIELD(Int)
    TQ_EACH_FIELD(Enum)
    TQ_EACH_FIELD(Flags)
    TQ_EACH_FIELD(TwoChar)
    TQ_EACH_FIELD(Struct)
    TQ_EACH_FIELD(Descriptions)
    TQ_EACH_FIELD(Features)
    TQ_EACH_FIELD(List)
    TQ_EACH_FIELD(Element)
#undef TQ_EACH_FIELD
    void Measurement(const dbRecord_Class* measurement) {
        if (enter_(index_++, "Measurement")) inner_.Measurement(measurement);
    }
    template <class L> void Records(L& records) {
        if (enter_(index_++, "Records")) inner_.Records(records);
    }

private:
    Inner& inner_;
    Enter& enter_;
    int index_ = 0;
};

// The fields of T in document order, as positions in its field list: the
// list with T::kDocumentMoves applied, worked out once. A move that names a
// field the list does not hold is reported and left out.
template <class T> const std::vector<int>& DocumentPermutation() {
    static const std::vector<int> permutation = [] {
        std::vector<const char*> names;
        auto collect = [&](int, const char* name) {
            names.push_back(name);
            return false;
        };
        const buffer_Class nothing;
        int32_t at = 0;
        FieldChecker none(nothing, at);
        EachField<FieldChecker, decltype(collect)> each(none, collect);
        T prototype{};
        prototype.Fields(each);
        std::vector<int> order;
        for (size_t i = 0; i < names.size(); ++i)
            order.push_back(static_cast<int>(i));
        auto find = [&](const char* name) {
            for (size_t i = 0; i < order.size(); ++i)
                if (name && std::strcmp(names[static_cast<size_t>(order[i])], name) == 0)
                    return static_cast<ptrdiff_t>(i);
            return ptrdiff_t{-1};
        };
        for (const FieldMove& move : T::kDocumentMoves) {
            const ptrdiff_t from = find(move.field);
            TQ_ASSERT_TEXT(from >= 0 && (!move.after || find(move.after) >= 0),
                           "a document move names fields of the list");
            if (from < 0 || (move.after && find(move.after) < 0)) continue;
            const int field = order[static_cast<size_t>(from)];
            order.erase(order.begin() + from);
            order.insert(order.begin() + (move.after ? find(move.after) + 1 : 0), field);
        }
        return order;
    }();
    return permutation;
}

// ---- Records -------------------------------------------------------------------

template <class Derived, class Base = dbRecord_Class> class Record : public Base {
public:
    // The type, category and flags come from the record table.
    static constexpr database_RecordType kType = RecordTraits<Derived>::kType;
    static constexpr RecordTypeInfo kInfo = kRecordTypes[kType];
    static constexpr bool kHasFeatures = std::is_base_of_v<dbRecordWithFeatures_Class, Base>;

    database_RecordType GetType() const override { return kType; }
    bool IsMeasurement() const override { return kInfo.category == record_table::Measurement; }
    bool IsJobSetting() const override { return kInfo.flags & record_table::JobSetting; }
    bool IsSystemSetting() const override { return kInfo.flags & record_table::SystemSetting; }
    bool IsSingletonSetting() const override { return kInfo.flags & record_table::Singleton; }

    void Read(const buffer_Class& buffer, int32_t& offset) override {
        if constexpr (kHasFeatures)
            this->ReadWithFeatures(buffer, offset);
        else
            this->ReadHeader(buffer, offset);
        if constexpr (HasReadOwn<Derived>) {
            Self().ReadOwn(buffer, offset);
        } else if constexpr (HasFields<Derived, FieldReader>) {
            FieldReader reader(buffer, offset);
            Self().Fields(reader);
        }
    }

    void Write(buffer_Writer& writer) const override {
        if constexpr (kHasFeatures)
            this->WriteWithFeatures(writer);
        else
            this->WriteHeader(writer);
        if constexpr (HasWriteOwn<Derived>) {
            static_cast<const Derived&>(*this).WriteOwn(writer);
        } else if constexpr (HasFields<Derived, FieldWriter>) {
            FieldWriter fieldWriter(writer);
            const_cast<Derived&>(static_cast<const Derived&>(*this)).Fields(fieldWriter);
        }
    }

    std::unique_ptr<dbRecord_Class> Clone() const override {
        return std::make_unique<Derived>(static_cast<const Derived&>(*this));
    }

    // Checks the stored form of a record of this class that starts at
    // `offset`, reporting through `buffer` what a read would report, and
    // moves `offset` to where it ends. A regular form is walked without a
    // record object; one kept by hand is read into a passing one.
    static void CheckStored(const buffer_Class& buffer, int32_t& offset) {
        if constexpr (HasReadOwn<Derived>) {
            Derived passing;
            passing.Read(buffer, offset);
        } else {
            CheckStoredHeader(buffer, offset, kType, kHasFeatures);
            FieldChecker checker(buffer, offset);
            Prototype().Fields(checker);
        }
    }

    // A record of this class that nobody changes: its field list can be
    // walked to learn the names and widths of the fields.
    static Derived& Prototype() {
        static Derived prototype;
        return prototype;
    }

protected:
    Derived& Self() { return static_cast<Derived&>(*this); }
};

} // namespace tqxml
