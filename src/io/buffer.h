// buffer_Class: a block of bytes with a byte order from which fixed-width
// numbers and texts are decoded at a byte offset. Every read checks its bounds
// once (overflow-safe); a read that would pass _DataLength reports its
// assertion, yields zero or the empty text, reads nothing beyond the block and
// leaves the offset at _DataLength, so a damaged record cannot make its reader
// loop or read out of bounds.
//
// buffer_Writer: the growable counterpart used to serialise entries.
#pragma once

#include "text/str.h"

#include <cstdint>
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
    int8_t GetInt8(int32_t& offset) const;
    bool GetBool(int32_t& offset) const;
    uint16_t GetUInt16(int32_t& offset) const;
    int16_t GetInt16(int32_t& offset) const;
    int32_t GetInt32(int32_t& offset) const;
    uint32_t GetUInt32(int32_t& offset) const;
    int64_t GetInt64(int32_t& offset) const;
    double GetDouble(int32_t& offset) const;
    Str GetString(int32_t& offset) const;
    Str GetFixedString(int32_t& offset, int32_t n) const;
    // The same texts as views of the bytes: valid while the bytes are.
    std::string_view GetStringView(int32_t& offset) const;
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
    template <class U> U Load(int32_t& offset, const char* text, int line) const;

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
