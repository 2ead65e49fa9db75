// buffer_Class: a block of bytes with a byte order from which fixed-width
// numbers and texts are decoded at a byte offset. Every read checks its bounds
// once (overflow-safe); a read that would pass _DataLength reports its
// assertion, yields zero or the empty text, reads nothing beyond the block and
// leaves the offset at _DataLength, so a damaged record cannot make its reader
// loop or read out of bounds.
//
// buffer_Writer: the growable counterpart used to serialise entries.
#pragma once

#include "base/std_compat.h"
#include "text/str.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace tqxml {

enum data_Endian : int32_t { ENDIAN_Little = 0, ENDIAN_Big = 1, ENDIAN_Undefined = 2 };

class buffer_Class {
public:
    explicit buffer_Class(data_Endian endian = ENDIAN_Little);
    buffer_Class(int32_t length, data_Endian endian, const void* bytes);
    buffer_Class(const buffer_Class& other);
    buffer_Class(buffer_Class&& other) noexcept;
    buffer_Class& operator=(buffer_Class other) noexcept;
    ~buffer_Class();

    // A little-endian view of `length` bytes that stay owned elsewhere.
    // `reportDamage` false: the bytes were checked, and what was wrong with
    // them reported, when they were first read; reading them again for the
    // document repeats none of it.
    static buffer_Class View(const uint8_t* bytes, int32_t length, bool reportDamage);

    uint8_t* Data() { return _Buffer.get(); }
    const uint8_t* Data() const { return data_; }
    int32_t Length() const { return _DataLength; }
    data_Endian Endian() const { return data_Endian_; }

    // Decode at `offset`, advance it by the width read.
    int8_t GetInt8(int32_t& offset) const {
        return static_cast<int8_t>(Load<uint8_t>(offset, "(Offset + 1) <= _DataLength"));
    }
    bool GetBool(int32_t& offset) const {
        return Load<uint8_t>(offset, "(Offset + 1) <= _DataLength") != 0;
    }
    uint16_t GetUInt16(int32_t& offset) const {
        return Load<uint16_t>(offset, "(Offset + 2) <= _DataLength");
    }
    int16_t GetInt16(int32_t& offset) const {
        return static_cast<int16_t>(Load<uint16_t>(offset, "(Offset + 2) <= _DataLength"));
    }
    int32_t GetInt32(int32_t& offset) const {
        return static_cast<int32_t>(Load<uint32_t>(offset, "(Offset + 4) <= _DataLength"));
    }
    uint32_t GetUInt32(int32_t& offset) const {
        return Load<uint32_t>(offset, "(Offset + 4) <= _DataLength");
    }
    int64_t GetInt64(int32_t& offset) const {
        return static_cast<int64_t>(Load<uint64_t>(offset, "(Offset + 8) <= _DataLength"));
    }
    double GetDouble(int32_t& offset) const {
        return BitCast<double>(
            Load<uint64_t>(offset, "(Offset + (int) sizeof (double)) <= _DataLength"));
    }
    Str GetString(int32_t& offset) const;
    Str GetFixedString(int32_t& offset, int32_t n) const;
    // The same texts as views of the bytes: valid while the bytes are.
    std::string_view GetStringView(int32_t& offset) const {
        // Short texts ended in bounds (most fields) are found here.
        const int32_t at = offset;
        if (at >= 0 && at < _DataLength) [[likely]] {
            const auto* start = reinterpret_cast<const char*>(data_ + at);
            const int32_t limit = _DataLength - at < 32 ? _DataLength - at : 32;
            for (int32_t length = 0; length < limit; ++length) {
                if (start[length] == '\0') {
                    offset = at + length + 1;
                    return {start, static_cast<size_t>(length)};
                }
            }
        }
        return GetLongStringView(offset);
    }
    std::string_view GetFixedStringView(int32_t& offset, int32_t n) const;
    void GetBytes(int32_t& offset, void* destination, int32_t n) const;
    bool AtEnd(int32_t offset) const { return offset >= _DataLength; }
    // Bytes left from `offset` to the end (0 when past it). Lets a reader
    // refuse a stored count that the remaining bytes cannot hold.
    int32_t Remaining(int32_t offset) const;

    // Reports a check of the stored bytes that failed (`text` with the
    // source place), unless the bytes were checked before (see View).
    void ReportDamage(const char* text, const char* sourceFile, int line) const;
    bool ReportsDamage() const { return reportDamage_; }

private:
    // The one bounds check every read goes through: true when `width` bytes
    // from `offset` lie inside the data; otherwise reports `text` and moves
    // `offset` to the end.
    bool Take(int32_t& offset, int32_t width, const char* text, int line) const;
    // A fixed-width number in the buffer's byte order; 0 when out of bounds.
    // Little-endian data in bounds is read here, everything else out of line.
    template <class U> U Load(int32_t& offset, const char* text) const {
        const int32_t at = offset;
        if constexpr (std::endian::native == std::endian::little) {
            if (data_Endian_ == ENDIAN_Little && at >= 0 && at <= _DataLength &&
                static_cast<int32_t>(sizeof(U)) <= _DataLength - at) [[likely]] {
                U value;
                std::memcpy(&value, data_ + at, sizeof(U));
                offset = at + static_cast<int32_t>(sizeof(U));
                return value;
            }
        }
        return LoadSlowly<U>(offset, text);
    }
    template <class U> U LoadSlowly(int32_t& offset, const char* text) const;
    std::string_view GetLongStringView(int32_t& offset) const;

    data_Endian data_Endian_;
    int32_t _DataLength = 0;
    std::unique_ptr<uint8_t[]> _Buffer; // null for a view
    const uint8_t* data_ = nullptr;     // the bytes read: _Buffer's, or the viewed ones
    bool reportDamage_ = true;
};

// A failed check of stored bytes, reported through the buffer that holds them.
#define TQ_STORED_CHECK(buffer, cond, text)                                                        \
    ((cond) ? (void)0 : (buffer).ReportDamage(text, __FILE__, __LINE__))

class buffer_Writer {
public:
    explicit buffer_Writer(data_Endian endian = ENDIAN_Little);
    buffer_Writer(const buffer_Writer&) = delete;
    buffer_Writer& operator=(const buffer_Writer&) = delete;
    ~buffer_Writer();

    int32_t Length() const { return _DataLength; }
    uint8_t* Data() { return _Buffer.get(); }
    const uint8_t* Data() const { return _Buffer.get(); }
    void Clear() { _DataLength = 0; } // keeps the capacity

    void PutInt8(int8_t value);
    void PutUInt16(uint16_t value);
    void PutInt16(int16_t value);
    void PutUInt32(uint32_t value);
    void PutInt32(int32_t value);
    void PutInt64(int64_t value);
    void PutDouble(double value);
    void PutString(const Str& text);
    void PutString(const char* text);
    void PutFixedString(const char* text, int32_t n, char pad);
    void PutBytes(const void* bytes, int32_t n);
    void Append(const buffer_Writer& other);
    void PatchUInt32(int32_t place, uint32_t value);

    // Grows the capacity to the smallest of 256, 2048, 16384, ... that holds
    // `n` bytes (asserts "n > 0" and "newLength >= _AllocatedLength").
    void Reserve(int32_t n);

private:
    // Makes room for `width` more bytes and returns where they go.
    uint8_t* Room(int32_t width);
    // Appends a fixed-width number in the writer's byte order.
    template <class U> void Store(U value);

    data_Endian data_Endian_;
    int32_t _DataLength = 0;
    int32_t _AllocatedLength = 0;
    std::unique_ptr<uint8_t[]> _Buffer;
};

} // namespace tqxml
