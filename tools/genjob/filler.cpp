#include "filler.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace tqxml::genjob {
namespace {

// Counts stored beside a list must agree with it.
void FillOwn(db_BackgroundFileList& record) {
    record.FilenameCount = static_cast<int32_t>(record.Filenames.size());
}
void FillOwn(dbRecord_Class&) {}

template <class R> void FillDeclared(dbRecord_Class& record, RandomFiller& filler) {
    if constexpr (HasFields<R, RandomFiller>) {
        static_cast<R&>(record).Fields(filler);
        FillOwn(static_cast<R&>(record));
    }
}

using FillFunction = void (*)(dbRecord_Class&, RandomFiller&);

constexpr FillFunction kFillers[DATABASE_AllRecords] = {
#define TQ_RECORD(type, enumName, className, written) &FillDeclared<className>,
#include "records/record_types.def"
#undef TQ_RECORD
};

const char* const kWords[] = {"PT",    "CP",      "BM",   "STN",     "RP",
                              "Fence", "Kerb",    "Tree", "Manhole", "Edge of seal",
                              "Lamp",  "Hydrant", "Wall", "Gate",    "Drain"};

} // namespace

void FillRecord(dbRecord_Class& record, RandomFiller& filler) {
    const uint32_t type = record.GetType();
    if (type < DATABASE_AllRecords) kFillers[type](record, filler);
}

Str RandomFiller::RandomText(int32_t maxLength) {
    Str text;
    const uint64_t kind = Below(100);
    if (kind < 8) return text; // empty
    if (kind < 70) {
        text = kWords[Below(std::size(kWords))];
        char number[16];
        const int n =
            std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(Below(100000)));
        text.Append(number, n);
    } else if (kind < 85) {
        text = "  Left & right <edge> \"A\" 'B'  "; // XML characters, leading/trailing spaces
    } else if (kind < 93) {
        text = "Stra\xc3\x9f"
               "e \xe2\x80\x94 Ca\xc3\xb1"
               "on"; // bytes above 0x7F
    } else {
        text = "tab\there\r\nline";
    }
    if (text.Length() > maxLength) text.Truncate(maxLength);
    return text;
}

Str RandomFiller::RandomNote() {
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

double RandomFiller::RandomReal() {
    const uint64_t kind = Below(100);
    if (kind < 5) return 1e308; // no value
    if (kind < 15) return static_cast<double>(static_cast<int64_t>(Below(20000)) - 10000);
    if (kind < 45) return 1000.0 + static_cast<double>(Below(1u << 30)) / 65536.0; // coordinates
    if (kind < 70) return static_cast<double>(Below(1u << 30)) / (1u << 30) * 6.283185307179586;
    if (kind < 80) return static_cast<double>(Below(1000)) * 1e-6;
    if (kind < 90)
        return std::ldexp(static_cast<double>(Below(1ull << 52)),
                          static_cast<int>(Below(200)) - 100);
    double value;
    uint64_t bits = _Rng();
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : 0.0;
}

void RandomFiller::Descriptions(const char*, db_DescriptionsValue& value) {
    value.Description1 = RandomText(20);
    value.Description2 = Chance(50) ? RandomText(20) : Str();
}

void RandomFiller::Features(const char*, FeatureArray& value) {
    value.clear();
    const uint64_t count = Chance(60) ? 0 : 1 + Below(3);
    for (uint64_t i = 0; i < count; ++i) {
        Feature feature;
        feature.Name = RandomText(12);
        feature.StringCode = RandomText(12);
        const uint64_t attributes = Below(4);
        for (uint64_t j = 0; j < attributes; ++j) {
            FeatureAttribute attribute;
            attribute.Type = static_cast<uint16_t>(Below(8)); // 7 has no name
            attribute.Name = RandomText(10);
            attribute.Real = RandomReal();
            attribute.Text = RandomText(16);
            attribute.ItemIndex = static_cast<uint16_t>(Below(10));
            feature.Attributes.push_back(std::move(attribute));
        }
        value.push_back(std::move(feature));
    }
}

} // namespace tqxml::genjob
