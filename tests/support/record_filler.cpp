#include "support/record_filler.h"

#include "records/all_records.h"
#include "records/names.h"

#include <cstring>
#include <limits>
#include <map>
#include <type_traits>
#include <vector>

namespace tqxml {
namespace {

// A visitor over a record's field list that sets each field it is shown.
class RecordFiller {
public:
    explicit RecordFiller(std::mt19937_64& random) : _Random(random) {}

    void Text(const char*, Str& value) { value = RandomText(12); }
    void FixedText(const char*, Str& value, int32_t n) { value = RandomText(n); }
    void ElementText(const char* name, Str& value, int32_t n) { FixedText(name, value, n); }
    void Real(const char*, double& value) { value = RandomReal(); }
    void Bool(const char*, bool& value) { value = Chance(2); }
    template <class T> void Bool(const char*, T& value) {
        value = Chance(4) ? RandomInt<T>() : static_cast<T>(Chance(2));
    }
    template <class T> void Int(const char*, T& value, IntForm) { value = RandomInt<T>(); }
    template <class T> void Enum(const char*, T& value, const NameTable& table) {
        // Mostly a named value; now and then one just outside the table.
        if (Chance(8))
            value =
                static_cast<T>(Chance(2) ? table.firstValue - 1 : table.firstValue + table.count);
        else
            value = static_cast<T>(table.firstValue +
                                   static_cast<int32_t>(Below(static_cast<uint32_t>(table.count))));
    }
    template <class T> void Flags(const char*, T& value, const FlagSet&) {
        value = static_cast<T>(_Random());
    }
    void TwoChar(const char*, int16_t& value) {
        switch (Below(4)) {
        case 0:
            value = 0x2020;
            break;
        case 1:
            value = static_cast<int16_t>(Below(256)); // one character, or none
            break;
        default:
            value = static_cast<int16_t>(('A' + Below(26)) | ('A' + Below(26)) << 8);
            break;
        }
    }
    template <class S> void Struct(const char*, S& value, const char* = nullptr) {
        value.Fields(*this);
    }
    void Descriptions(const char*, db_DescriptionsValue& value) {
        value.Description1 = RandomText(12);
        value.Description2 = RandomText(12);
    }
    void Features(const char*, FeatureArray& value) { value = RandomFeatures(); }
    // The journal stores a measurement as a record of its own.
    void Measurement(const dbRecord_Class*) {}
    // Keyed lists are slot tables: keys 0 to 255.
    template <class K, class T>
    void List(const char*, const char*, const char*, std::map<K, T>& list) {
        list.clear();
        for (uint32_t n = Below(5); n > 0; --n)
            FillEntry(list[static_cast<K>(Below(256))]);
    }
    template <class T> void List(const char*, const char*, const char*, std::vector<T>& list) {
        list.assign(Below(5), T{});
        for (T& entry : list)
            FillEntry(entry);
    }

    void Header(dbRecord_Class& record) {
        record.RecordId = RandomInt<uint32_t>();
        record.TimeStamp = RandomReal();
        record.Note = Chance(3) ? RandomText(40) : Str();
    }

    FeatureArray RandomFeatures() {
        FeatureArray features(Below(4));
        for (Feature& feature : features) {
            feature.StringCode = RandomText(8);
            feature.Name = RandomText(8);
            feature.Attributes.resize(Below(5));
            for (FeatureAttribute& attribute : feature.Attributes) {
                // The seven kinds, and now and then one without a name.
                attribute.Type = static_cast<uint16_t>(Chance(10) ? 7 + Below(65529) : Below(7));
                attribute.Name = RandomText(8);
                attribute.Real = RandomReal();
                attribute.Text = RandomText(8);
                attribute.ItemIndex = static_cast<uint16_t>(_Random());
            }
        }
        return features;
    }

    std::vector<uint8_t> RandomBytes(uint32_t most) {
        std::vector<uint8_t> bytes(Below(most + 1));
        for (uint8_t& byte : bytes)
            byte = static_cast<uint8_t>(_Random());
        return bytes;
    }

private:
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(_Random() % n); }
    bool Chance(uint32_t oneIn) { return Below(oneIn) == 0; }

    template <class T> T RandomInt() {
        using L = std::numeric_limits<T>;
        switch (Below(6)) {
        case 0:
            return T{0};
        case 1:
            return L::min();
        case 2:
            return L::max();
        case 3:
            return static_cast<T>(-1);
        default:
            return static_cast<T>(_Random());
        }
    }

    double RandomReal() {
        switch (Below(12)) {
        case 0:
            return 0.0;
        case 1:
            return -0.0;
        case 2:
            return 1e308; // no value
        case 3:
            return std::numeric_limits<double>::max();
        case 4:
            return std::numeric_limits<double>::denorm_min();
        case 5:
            return std::numeric_limits<double>::quiet_NaN();
        case 6: {
            const uint64_t bits = _Random();
            double any;
            std::memcpy(&any, &bits, sizeof any);
            return any;
        }
        default:
            return std::uniform_real_distribution<double>(-1e6, 1e6)(_Random);
        }
    }

    // Up to `most` bytes, never a NUL.
    Str RandomText(int32_t most) {
        static const char* const kEdges[] = {"", " lead", "trail ", "<a & \"b\">", "'", "  "};
        if (Chance(3)) {
            const char* edge = kEdges[Below(std::size(kEdges))];
            if (static_cast<int32_t>(std::strlen(edge)) <= most) return Str(edge);
        }
        Str text;
        for (uint32_t n = Below(static_cast<uint32_t>(most) + 1); n > 0; --n)
            text.Append(static_cast<char>(Chance(4) ? 1 + Below(255) : ' ' + Below(95)));
        return text;
    }

    template <class T> void FillEntry(T& entry) {
        if constexpr (std::is_same_v<T, Str>)
            entry = RandomText(12);
        else
            entry.Fields(*this);
    }

    std::mt19937_64& _Random;
};

// Records whose stored form is kept by hand, and counts that must agree
// with the lists beside them.
void FillOwn(db_Foreign& record, RecordFiller& filler) {
    Str name;
    filler.Text("Name", name);
    record.Name = name;
    record.Data = filler.RandomBytes(64);
}
void FillOwn(db_Features& record, RecordFiller& filler) {
    record.Features = filler.RandomFeatures();
}
void FillOwn(db_BackgroundFileList& record, RecordFiller&) {
    record.FilenameCount = static_cast<int32_t>(record.Filenames.size());
}
void FillOwn(dbRecord_Class&, RecordFiller&) {}

template <class R> void FillAs(R& record, RecordFiller& filler) {
    filler.Header(record);
    if constexpr (HasFields<R, FieldReader>)
        record.Fields(filler);
    else if constexpr (requires(R & r, FieldReader & v) { r.XmlFields(v); })
        record.XmlFields(filler);
    if constexpr (std::is_base_of_v<dbRecordWithFeatures_Class, R>) {
        filler.Descriptions("Descriptions", record.Descriptions);
        filler.Features("DATABASE_FeaturesRecord", record.Features);
    }
    FillOwn(record, filler);
}

} // namespace

void FillRecord(dbRecord_Class& record, std::mt19937_64& random) {
    RecordFiller filler(random);
    switch (record.GetType()) {
#define TQ_RECORD(type, enumName, className, written)                                              \
    case type:                                                                                     \
        FillAs(static_cast<className&>(record), filler);                                           \
        break;
#include "records/record_types.def"
#undef TQ_RECORD
    default:
        filler.Header(record);
        break;
    }
}

} // namespace tqxml
