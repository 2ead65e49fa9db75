// Fills every declared field of a record with seeded random values: realistic
// survey values most of the time, with the edge values the document must get
// right mixed in (the no-value real, empty texts, XML characters, spaces,
// bytes above 0x7F, enumerated values outside their tables, unnamed flag bits).
#pragma once

#include "records/all_records.h"
#include "records/names.h"

#include <cstdint>
#include <map>
#include <random>
#include <type_traits>
#include <vector>

namespace tqxml::genjob {

class RandomFiller {
public:
    explicit RandomFiller(std::mt19937_64& rng) : _Rng(rng) {}

    void Text(const char*, Str& value) { value = RandomText(24); }
    void FixedText(const char*, Str& value, int32_t n) { value = RandomText(n); }
    void ElementText(const char*, Str& value, int32_t n) { value = RandomText(n); }
    void Real(const char*, double& value) { value = RandomReal(); }
    void Bool(const char*, bool& value) { value = Chance(50); }
    template <class T> void Bool(const char*, T& value) { value = static_cast<T>(Below(3)); }
    template <class T> void Int(const char*, T& value, IntForm) { value = RandomInt<T>(); }
    template <class T> void Enum(const char*, T& value, const NameTable& table) {
        int64_t v =
            table.firstValue + static_cast<int64_t>(Below(static_cast<uint64_t>(table.count)));
        if (Chance(2)) v = table.firstValue + table.count; // one past the table
        value = static_cast<T>(v);
    }
    template <class T> void Flags(const char*, T& value, const FlagSet&) {
        value = static_cast<T>(_Rng());
    }
    void TwoChar(const char*, int16_t& value) {
        static const char letters[] = "ABCDEFGHKMNPRSTUVWXYZ ";
        const auto a = static_cast<uint8_t>(letters[Below(sizeof letters - 1)]);
        const auto b = static_cast<uint8_t>(letters[Below(sizeof letters - 1)]);
        value = static_cast<int16_t>(a | (b << 8));
    }
    template <class S> void Struct(const char*, S& value, const char* = nullptr) {
        value.Fields(*this);
    }
    void Descriptions(const char*, db_DescriptionsValue& value);
    void Features(const char*, FeatureArray& value);
    void Measurement(const dbRecord_Class*) {} // attached by the journal
    template <class K, class T>
    void List(const char*, const char*, const char*, std::map<K, T>& list) {
        list.clear();
        for (uint64_t n = Below(4); n > 0; --n)
            FillEntry(list[static_cast<K>(Below(256))]);
    }
    template <class T> void List(const char*, const char*, const char*, std::vector<T>& list) {
        list.assign(Below(4), T{});
        for (T& entry : list)
            FillEntry(entry);
    }

    Str RandomText(int32_t maxLength);
    Str RandomNote();
    double RandomReal();
    bool Chance(uint64_t percent) { return Below(100) < percent; }
    uint64_t Below(uint64_t n) { return n ? _Rng() % n : 0; }

    template <class T> T RandomInt() {
        if (Chance(10)) return static_cast<T>(_Rng()); // any bit pattern
        return static_cast<T>(Below(1000));
    }

private:
    template <class T> void FillEntry(T& entry) {
        if constexpr (std::is_same_v<T, Str>)
            entry = RandomText(24);
        else
            entry.Fields(*this);
    }

    std::mt19937_64& _Rng;
};

// Fills the declared fields of any record; records without a field list keep
// their defaults.
void FillRecord(dbRecord_Class& record, RandomFiller& filler);

} // namespace tqxml::genjob
