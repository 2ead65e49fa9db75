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

namespace tqxml {

enum data_Endian : int32_t { ENDIAN_Little = 0, ENDIAN_Big = 1, ENDIAN_Undefined = 2 };

class buffer_Class {
public:
    explicit buffer_Class(data_Endian endian = ENDIAN_Little);
    buffer_Class(int32_t length, data_Endian endian, const void* bytes);
    buffer_Class(const buffer_Class& other);
    buffer_Class& operator=(const buffer_Class& other);
    ~buffer_Class();

    // Allocates `n` bytes (asserts "n > 0"), contents zero; resets the cursor.
    void Allocate(int32_t n);
    // Makes the data `n` bytes long, keeping the block and its bytes when it
    // is big enough (else a new block, contents zero); resets the cursor. For
    // a buffer refilled per journal entry, and cut to the entry's record: the
    // bounds of every read stay at `n`.
    void Resize(int32_t n);
    uint8_t* Data() { return _Buffer.get(); }
    const uint8_t* Data() const { return _Buffer.get(); }
    int32_t Length() const { return _DataLength; }
    data_Endian Endian() const { return data_Endian_; }
    bool operator==(const buffer_Class& other) const;

    // Offset form: decode at `offset`, advance it by the width read.
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
    void GetBytes(int32_t& offset, void* destination, int32_t n) const;
    bool AtEnd(int32_t offset) const { return offset >= _DataLength; }
    // Bytes left from `offset` to the end (0 when past it). Lets a reader
    // refuse a stored count that the remaining bytes cannot hold.
    int32_t Remaining(int32_t offset) const;

    // Cursor form: the same reads at the buffer's own read position.
    int32_t GetPosition() const { return readPosition_; }
    void SetPosition(int32_t position) { readPosition_ = position; }
    int8_t GetInt8() { return GetInt8(readPosition_); }
    bool GetBool() { return GetBool(readPosition_); }
    uint16_t GetUInt16() { return GetUInt16(readPosition_); }
    int16_t GetInt16() { return GetInt16(readPosition_); }
    int32_t GetInt32() { return GetInt32(readPosition_); }
    uint32_t GetUInt32() { return GetUInt32(readPosition_); }
    int64_t GetInt64() { return GetInt64(readPosition_); }
    double GetDouble() { return GetDouble(readPosition_); }
    Str GetString() { return GetString(readPosition_); }
    Str GetFixedString(int32_t n) { return GetFixedString(readPosition_, n); }
    void GetBytes(void* destination, int32_t n) { GetBytes(readPosition_, destination, n); }
    bool AtEnd() const { return AtEnd(readPosition_); }

private:
    // The one bounds check every read goes through: true when `width` bytes
    // from `offset` lie inside the data; otherwise reports `text` and moves
    // `offset` to the end.
    bool Take(int32_t& offset, int32_t width, const char* text, int line) const;
    // A fixed-width number in the buffer's byte order; 0 when out of bounds.
    template <class U> U Load(int32_t& offset, const char* text, int line) const;

    data_Endian data_Endian_;
    int32_t _DataLength = 0;
    std::unique_ptr<uint8_t[]> _Buffer;
    int32_t capacity_ = 0; // bytes in the block; _DataLength of them are data
    int32_t readPosition_ = 0;
};

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
