#include "filler.h"

#include "records/all_records.h"
#include "records/names.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <type_traits>
#include <vector>

namespace tqxml::genjob {
namespace {

const char* const kWords[] = {"PT",    "CP",      "BM",   "STN",     "RP",
                              "Fence", "Kerb",    "Tree", "Manhole", "Edge of seal",
                              "Lamp",  "Hydrant", "Wall", "Gate",    "Drain"};

// The visitor over a record's field list that sets each field it is shown.
class FieldFiller {
public:
    explicit FieldFiller(RecordFiller& filler) : filler_(filler) {}

    void Text(const char*, Str& value) { value = filler_.Text(edge_() ? 12 : 24); }
    void RecordName(const char* name, Str& value) { Text(name, value); }
    void FixedText(const char*, Str& value, int32_t n) { value = filler_.Text(n); }
    void ElementText(const char*, Str& value, int32_t n) { value = filler_.Text(n); }
    void Real(const char*, double& value) { value = filler_.Real(); }
    void Bool(const char*, bool& value) { value = filler_.Below(2) == 0; }
    template <class T> void Bool(const char*, T& value) {
        value = edge_() && filler_.Below(4) == 0 ? Int<T>() : static_cast<T>(filler_.Below(2));
    }
    template <class T> void Int(const char*, T& value, IntForm) { value = Int<T>(); }
    template <class T> void Enum(const char*, T& value, const NameTable& table) {
        // Mostly a named value; now and then one just outside the table.
        const uint64_t outside = edge_() ? 12 : 2;
        if (filler_.Chance(outside))
            value =
                static_cast<T>(edge_() && filler_.Below(2) == 0 ? table.firstValue - 1
                                                                : table.firstValue + table.count);
        else
            value = static_cast<T>(table.firstValue + static_cast<int64_t>(filler_.Below(
                                                          static_cast<uint64_t>(table.count))));
    }
    template <class T> void Flags(const char*, T& value, const FlagSet&) {
        value = static_cast<T>(filler_.Random()());
    }
    void TwoChar(const char*, int16_t& value) {
        static const char letters[] = "ABCDEFGHKMNPRSTUVWXYZ ";
        const uint64_t kind = filler_.Below(edge_() ? 4 : 10);
        if (kind == 0) {
            value = 0x2020;
        } else if (kind == 1 && edge_()) {
            // One character, any byte; or a zero first byte, which ends the text.
            const uint64_t byte = filler_.Below(256);
            value = static_cast<int16_t>(byte < 32 ? (byte | 0x40) << 8 : byte);
        } else {
            value = static_cast<int16_t>(letters[filler_.Below(sizeof letters - 1)] |
                                         letters[filler_.Below(sizeof letters - 1)] << 8);
        }
    }
    template <class S> void Struct(const char*, S& value, const char* = nullptr) {
        value.Fields(*this);
    }
    void Descriptions(const char*, db_DescriptionsValue& value) {
        value.Description1 = filler_.Text(20);
        value.Description2 = edge_() || filler_.Chance(50) ? filler_.Text(20) : Str();
    }
    void Features(const char*, FeatureArray& value) { value = filler_.Features(); }
    void Measurement(const dbRecord_Class*) {} // the journal stores it as a record of its own
    // Keyed lists are slot tables: keys 0 to 255.
    template <class K, class T>
    void List(const char*, const char*, const char*, std::map<K, T>& list) {
        list.clear();
        for (uint64_t n = filler_.Below(5); n > 0; --n)
            Entry(list[static_cast<K>(filler_.Below(256))]);
    }
    // Edge lists are empty, short or long.
    template <class T> void List(const char*, const char*, const char*, std::vector<T>& list) {
        const uint64_t shape = edge_() ? filler_.Below(3) : 1;
        list.assign(shape == 0 ? 0 : shape == 1 ? filler_.Below(5) : 8 + filler_.Below(9), T{});
        for (T& entry : list)
            Entry(entry);
    }
    // Parts: one, none or one, or a few; a nested record with its header.
    template <class T> void Element(const char*, T& part) { Part(part); }
    template <class T> void Element(const char*, std::optional<T>& part) {
        part.reset();
        if (filler_.Below(2) == 0) Part(part.emplace());
    }
    template <class T> void Element(const char*, std::vector<T>& parts) {
        parts.assign(filler_.Below(5), T{});
        for (T& part : parts)
            Part(part);
    }
    template <class R> void Records(std::vector<R>& records) {
        records.assign(filler_.Below(4), R{});
        for (R& record : records)
            filler_.Fill(record, true);
    }

private:
    bool edge_() const { return filler_.Profile() == FillProfile::Edge; }

    template <class T> T Int() {
        if (!edge_())
            return static_cast<T>(filler_.Chance(10) ? filler_.Random()() : filler_.Below(1000));
        using L = std::numeric_limits<T>;
        switch (filler_.Below(6)) {
        case 0:
            return T{0};
        case 1:
            return L::min();
        case 2:
            return L::max();
        case 3:
            return static_cast<T>(-1);
        default:
            return static_cast<T>(filler_.Random()());
        }
    }

    template <class T> void Entry(T& entry) {
        if constexpr (std::is_same_v<T, Str>)
            entry = filler_.Text(12);
        else if constexpr (std::is_integral_v<T>)
            entry = Int<T>();
        else
            entry.Fields(*this);
    }

    template <class T> void Part(T& part) {
        if constexpr (std::is_base_of_v<dbRecord_Class, T>)
            filler_.Fill(part, true);
        else
            part.Fields(*this);
    }

    RecordFiller& filler_;
};

// Records whose stored form is kept by hand, and counts that must agree
// with the lists beside them.
void FillOwn(db_Foreign& record, RecordFiller& filler) {
    record.Name = filler.Text(12);
    record.Data.resize(filler.Below(65));
    for (uint8_t& byte : record.Data)
        byte = static_cast<uint8_t>(filler.Random()());
}
void FillOwn(db_Features& record, RecordFiller& filler) {
    record.Features = filler.Features();
}
void FillOwn(db_BackgroundFileList& record, RecordFiller&) {
    record.FilenameCount = static_cast<int32_t>(record.Filenames.size());
}
void FillOwn(db_Area& record, RecordFiller&) {
    record.NumberOfPoints = static_cast<uint16_t>(record.ListOfPoints.size());
}
// An empty name would end the stored list of stations.
void FillOwn(db_Traverse& record, RecordFiller& filler) {
    for (Str& name : record.ListOfStations)
        while (name.IsEmpty())
            name = filler.Text(12);
}
void FillOwn(db_StakeoutList& record, RecordFiller&) {
    record.FilenameCount = static_cast<uint32_t>(record.Filenames.size());
    record.ItemCount = static_cast<uint32_t>(record.Uniques.size());
}
// A side without nodes may store any count of zero or less.
void FillOwn(db_CrossSectionSide& side, RecordFiller& filler) {
    side.NumberOfNodes = static_cast<int32_t>(side.Nodes.size());
    if (side.Nodes.empty() && filler.Profile() == FillProfile::Edge && filler.Chance(50))
        side.NumberOfNodes = filler.Chance(50) ? -1 : std::numeric_limits<int32_t>::min();
}
// An observation's descriptions and features are filled a second time: a
// seed has always given its jobs that way, and keeps giving the same jobs.
void FillOwn(db_Observation& record, RecordFiller&, FieldFiller& fields) {
    fields.Descriptions("Descriptions", record.Descriptions);
    fields.Features("DATABASE_FeaturesRecord", record.Features);
}
template <class R> void FillOwn(R& record, RecordFiller& filler, FieldFiller&) {
    if constexpr (requires { FillOwn(record, filler); }) FillOwn(record, filler);
}

template <class R> void FillAs(dbRecord_Class& base, RecordFiller& filler) {
    R& record = static_cast<R&>(base);
    FieldFiller fields(filler);
    if constexpr (HasFields<R, FieldFiller>) record.Fields(fields);
    FillOwn(record, filler, fields);
}

using FillFunction = void (*)(dbRecord_Class&, RecordFiller&);

constexpr FillFunction kFillers[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, category, flags) &FillAs<className>,
#include "records/record_types.def"
};

} // namespace

void RecordFiller::Fill(dbRecord_Class& record, bool withHeader) {
    if (withHeader) {
        record.RecordId = static_cast<db_DBIDValue>(Below(3) == 0 ? random_() : Below(100000));
        record.TimeStamp = Real();
        record.Note = Below(3) == 0 ? Text(40) : Str();
    }
    const uint32_t type = record.GetType();
    if (type < DATABASE_AllRecords) kFillers[type](record, *this);
}

Str RecordFiller::Text(int32_t most) {
    Str text;
    if (profile_ == FillProfile::Edge) {
        static const char* const kEdges[] = {"", " lead", "trail ", "<a & \"b\">", "'", "  "};
        if (Below(3) == 0) {
            const char* edge = kEdges[Below(std::size(kEdges))];
            if (static_cast<int32_t>(std::strlen(edge)) <= most) return Str(edge);
        }
        // Any byte but NUL: control bytes and bytes above 0x7F among them.
        for (uint64_t n = Below(static_cast<uint64_t>(most) + 1); n > 0; --n)
            text.Append(static_cast<char>(Below(4) == 0 ? 1 + Below(255) : ' ' + Below(95)));
        return text;
    }
    const uint64_t kind = Below(100);
    if (kind < 8) return text; // empty
    if (kind < 70) {
        text = kWords[Below(std::size(kWords))];
        char number[16];
        const int n =
            std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(Below(100000)));
        text.Append(number, n);
    } else if (kind < 85) {
        text = "  Left & right <edge> \"A\" 'B'  "; // markup characters, outer spaces
    } else if (kind < 93) {
        text = "Stra\xc3\x9f"
               "e \xe2\x80\x94 Ca\xc3\xb1"
               "on"; // bytes above 0x7F
    } else {
        text = "tab\there\r\nline";
    }
    if (text.Length() > most) text.Truncate(most);
    return text;
}

Str RecordFiller::Note() {
    static const char* const kNotes[] = {
        "Checked against control",
        "First line\r\n\r\nThird line\r\n",
        "Lines with LF CR\n\rsecond",
        "Single LF\nsecond line\n",
        "  spaced note  ",
        "Gate <open> & \"locked\"",
    };
    return Str(kNotes[Below(std::size(kNotes))]);
}

double RecordFiller::Real() {
    auto anyBits = [this] {
        double value;
        const uint64_t bits = random_();
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    if (profile_ == FillProfile::Edge) {
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
        case 6:
            return anyBits();
        default:
            return std::uniform_real_distribution<double>(-1e6, 1e6)(random_);
        }
    }
    const uint64_t kind = Below(100);
    if (kind < 5) return 1e308; // no value
    if (kind < 15) return static_cast<double>(static_cast<int64_t>(Below(20000)) - 10000);
    if (kind < 45) return 1000.0 + static_cast<double>(Below(1u << 30)) / 65536.0; // coordinates
    if (kind < 70) return static_cast<double>(Below(1u << 30)) / (1u << 30) * 6.283185307179586;
    if (kind < 80) return static_cast<double>(Below(1000)) * 1e-6;
    if (kind < 90)
        return std::ldexp(static_cast<double>(Below(1ull << 52)),
                          static_cast<int>(Below(200)) - 100);
    const double value = anyBits();
    return std::isfinite(value) ? value : 0.0;
}

FeatureArray RecordFiller::Features() {
    const bool edge = profile_ == FillProfile::Edge;
    FeatureArray features(edge ? Below(4) : Chance(60) ? 0 : 1 + Below(3));
    for (Feature& feature : features) {
        feature.StringCode = Text(edge ? 8 : 12);
        feature.Name = Text(edge ? 8 : 12);
        feature.Attributes.resize(Below(edge ? 5 : 4));
        for (FeatureAttribute& attribute : feature.Attributes) {
            // The seven kinds, and now and then one without a name.
            attribute.Type = static_cast<uint16_t>(
                edge ? (Below(10) == 0 ? 7 + Below(65529) : Below(7)) : Below(8));
            attribute.Name = Text(10);
            attribute.Real = Real();
            attribute.Text = Text(16);
            attribute.ItemIndex = static_cast<uint16_t>(edge ? random_() : Below(10));
        }
    }
    return features;
}

} // namespace tqxml::genjob

namespace tqxml {

void FillRecord(dbRecord_Class& record, std::mt19937_64& random) {
    genjob::RecordFiller filler(random, genjob::FillProfile::Edge);
    filler.Fill(record, true);
}

} // namespace tqxml
