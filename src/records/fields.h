// One declaration per record type. A record class lists its fields once, in
// stored order, in a member template `Fields(V& v)`; each call names the XML
// child, and the member's C++ type gives the stored width:
//
//   v.Text("PointName", PointName);                   // NUL-terminated string
//   v.Enum("Method", Method, dbentity_PointMethod);   // int16_t member: i16
//   v.Int("Round", Round, IntForm::Unsigned);         // uint16_t member: u16
//   v.Struct("Circle", Circle);                       // nested value structure
//   v.ElementText("HeaderText", HeaderText, 33);      // fixed text, the record
//                                                     // element's own text
//
// The visitors below give the stored form (read and write); the XML form is a
// visitor of the conversion layer. Calls that only place something in the
// document do nothing in the stored form: Descriptions and Features (a record
// with features reads and writes them in its header), Measurement (the
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
// entries are texts or structures with Fields. Where the document order
// differs from the stored order, the class adds `XmlFields(V& v)` naming the
// same members in document order.
//
// Record<Derived, Base> turns the list into the record operations: Read,
// Write, IsEqual, CopyFrom, Clone; the record table (record_types.def) gives
// the class its type number, category and flags. A record whose stored form
// is irregular defines ReadOwn(buffer, offset) / WriteOwn(writer) beside (or
// instead of) Fields, and the template calls those.
#pragma once

#include "base/environment.h"
#include "records/record.h"

#include <cstring>
#include <type_traits>

namespace tqxml {

struct NameTable;
struct FlagSet;

// How an integer field is written in the document.
// UInt64: a 64-bit value written unsigned. Real: the integer converted to a
// double and written as a real.
enum class IntForm { Signed, Unsigned, Hex, Int3, Bool, UInt64, Real };

template <class T> inline constexpr bool kIsStoredInt =
    std::is_integral_v<T> && !std::is_same_v<T, bool> && sizeof(T) <= 8;

class FieldReader {
public:
    FieldReader(const buffer_Class& buffer, int32_t& offset) : buffer_(buffer), offset_(offset) {}

    void Text(const char*, Str& value) { value = buffer_.GetString(offset_); }
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
    void Descriptions(const char*, db_DescriptionsValue&) {}
    void Features(const char*, FeatureArray&) {}
    void Measurement(const dbRecord_Class*) {}
    template <class L> void List(const char*, const char*, const char*, L&) {}
    template <class T> void Element(const char*, T&) {}
    template <class L> void Records(L&) {}

    const buffer_Class& Buffer() const { return buffer_; }
    int32_t& Offset() { return offset_; }

    template <class T> T ReadInt() {
        static_assert(kIsStoredInt<T>);
        if constexpr (sizeof(T) == 1) return static_cast<T>(buffer_.GetInt8(offset_));
        else if constexpr (sizeof(T) == 2 && std::is_signed_v<T>) return buffer_.GetInt16(offset_);
        else if constexpr (sizeof(T) == 2) return buffer_.GetUInt16(offset_);
        else if constexpr (sizeof(T) == 4 && std::is_signed_v<T>) return buffer_.GetInt32(offset_);
        else if constexpr (sizeof(T) == 4) return buffer_.GetUInt32(offset_);
        else return static_cast<T>(buffer_.GetInt64(offset_));
    }

private:
    const buffer_Class& buffer_;
    int32_t& offset_;
};

class FieldWriter {
public:
    explicit FieldWriter(buffer_Writer& writer) : writer_(writer) {}

    void Text(const char*, const Str& value) { writer_.PutString(value); }
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
    void Descriptions(const char*, const db_DescriptionsValue&) {}
    void Features(const char*, const FeatureArray&) {}
    void Measurement(const dbRecord_Class*) {}
    template <class L> void List(const char*, const char*, const char*, const L&) {}
    template <class T> void Element(const char*, const T&) {}
    template <class L> void Records(const L&) {}

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

template <class R, class V> concept HasFields = requires(R& r, V& v) { r.Fields(v); };
template <class R> concept HasReadOwn =
    requires(R& r, const buffer_Class& b, int32_t& o) { r.ReadOwn(b, o); };
template <class R> concept HasWriteOwn = requires(const R& r, buffer_Writer& w) { r.WriteOwn(w); };

// Serialises a record's stored form; used for equality.
void WriteStoredForm(const dbRecord_Class& record, buffer_Writer& writer);

template <class Derived, class Base = dbRecord_Class> class Record : public Base {
public:
    // The type, category and flags come from the record table.
    static constexpr database_RecordType kType = RecordTraits<Derived>::kType;
    static constexpr RecordTypeInfo kInfo = kRecordTypes[kType];

    database_RecordType GetType() const override { return kType; }
    bool IsMeasurement() const override { return kInfo.category == record_table::Measurement; }
    bool IsJobSetting() const override { return kInfo.flags & record_table::JobSetting; }
    bool IsSystemSetting() const override { return kInfo.flags & record_table::SystemSetting; }
    bool IsSingletonSetting() const override { return kInfo.flags & record_table::Singleton; }

    void Read(const buffer_Class& buffer, int32_t& offset) override {
        if constexpr (std::is_base_of_v<dbRecordWithFeatures_Class, Base>)
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
        if constexpr (std::is_base_of_v<dbRecordWithFeatures_Class, Base>)
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

    // Two records are equal when their stored forms are.
    bool IsEqual(const dbRecord_Class& other) const override {
        TQ_ASSERT_TEXT(GetType() == other.GetType(), "this->GetType() == record.GetType ()");
        if (GetType() != other.GetType()) return false;
        buffer_Writer a, b;
        WriteStoredForm(*this, a);
        WriteStoredForm(other, b);
        return a.Length() == b.Length() &&
               (a.Length() == 0 || std::memcmp(a.Data(), b.Data(), a.Length()) == 0);
    }

    void CopyFrom(const dbRecord_Class& other) override {
        TQ_ASSERT_TEXT(GetType() == other.GetType(), "this->GetType() == other.GetType()");
        if (GetType() == other.GetType() && this != &other)
            Self() = static_cast<const Derived&>(other);
    }

    std::unique_ptr<dbRecord_Class> Clone() const override {
        return std::make_unique<Derived>(static_cast<const Derived&>(*this));
    }

protected:
    Derived& Self() { return static_cast<Derived&>(*this); }
};

} // namespace tqxml
