#include "io/buffer.h"

#include "base/environment.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace tqxml {
namespace {

constexpr const char* kEndianText = "data_Endian != ENDIAN_Undefined";

inline uint8_t Swap(uint8_t v) {
    return v;
}
inline uint16_t Swap(uint16_t v) {
    return __builtin_bswap16(v);
}
inline uint32_t Swap(uint32_t v) {
    return __builtin_bswap32(v);
}
inline uint64_t Swap(uint64_t v) {
    return __builtin_bswap64(v);
}

// True when values in `order` must be byte-reversed on this machine. An
// undefined order (already reported) is read and written as little-endian,
// the order of every job file.
inline bool NeedsSwap(data_Endian order) {
    constexpr bool nativeBig = std::endian::native == std::endian::big;
    return (order == ENDIAN_Big) != nativeBig;
}

} // namespace

// ---------------------------------------------------------------------------
// buffer_Class

buffer_Class::buffer_Class(data_Endian endian) : data_Endian_(endian) {}

buffer_Class::buffer_Class(int32_t length, data_Endian endian, const void* bytes)
    : data_Endian_(endian) {
    if (length <= 0) return;
    _Buffer = MakeUniqueForOverwrite<uint8_t[]>(static_cast<size_t>(length));
    if (bytes)
        std::memcpy(_Buffer.get(), bytes, static_cast<size_t>(length));
    else
        std::memset(_Buffer.get(), 0, static_cast<size_t>(length));
    data_ = _Buffer.get();
    _DataLength = length;
}

// A copy owns a copy of the bytes; a copy of a view is the same view.
buffer_Class::buffer_Class(const buffer_Class& other)
    : buffer_Class(other._Buffer ? other._DataLength : 0, other.data_Endian_, other.data_) {
    if (!other._Buffer) {
        data_ = other.data_;
        _DataLength = other._DataLength;
    }
    reportDamage_ = other.reportDamage_;
}

buffer_Class::buffer_Class(buffer_Class&& other) noexcept
    : data_Endian_(other.data_Endian_), _DataLength(other._DataLength),
      _Buffer(std::move(other._Buffer)), data_(other.data_), reportDamage_(other.reportDamage_) {
    other._DataLength = 0;
    other.data_ = nullptr;
}

buffer_Class& buffer_Class::operator=(buffer_Class other) noexcept {
    std::swap(data_Endian_, other.data_Endian_);
    std::swap(_DataLength, other._DataLength);
    std::swap(_Buffer, other._Buffer);
    std::swap(data_, other.data_);
    std::swap(reportDamage_, other.reportDamage_);
    return *this;
}

buffer_Class::~buffer_Class() = default;

buffer_Class buffer_Class::View(const uint8_t* bytes, int32_t length, bool reportDamage) {
    buffer_Class view(ENDIAN_Little);
    view.data_ = bytes;
    view._DataLength = bytes && length > 0 ? length : 0;
    view.reportDamage_ = reportDamage;
    return view;
}

int32_t buffer_Class::Remaining(int32_t offset) const {
    return offset >= 0 && offset < _DataLength ? _DataLength - offset : 0;
}

void buffer_Class::ReportDamage(const char* text, const char* sourceFile, int line) const {
    if (reportDamage_) ReportAssertionAt(text, sourceFile, line);
}

// Written so that nothing can overflow: `_DataLength - offset` is only formed
// once 0 <= offset <= _DataLength holds.
bool buffer_Class::Take(int32_t& offset, int32_t width, const char* text, int line) const {
    if (offset >= 0 && width >= 0 && offset <= _DataLength && width <= _DataLength - offset)
        [[likely]]
        return true;
    ReportDamage(text, __FILE__, line);
    offset = _DataLength;
    return false;
}

template <class U> U buffer_Class::LoadSlowly(int32_t& offset, const char* text) const {
    const int32_t at = offset;
    if (!Take(offset, static_cast<int32_t>(sizeof(U)), text, __LINE__)) return 0;
    U value;
    std::memcpy(&value, data_ + at, sizeof(U));
    offset = at + static_cast<int32_t>(sizeof(U));
    if (data_Endian_ != ENDIAN_Little) [[unlikely]] {
        TQ_ASSERT_TEXT(data_Endian_ != ENDIAN_Undefined, kEndianText);
        if (NeedsSwap(data_Endian_)) value = Swap(value);
    } else if constexpr (std::endian::native == std::endian::big) {
        value = Swap(value);
    }
    return value;
}

template uint8_t buffer_Class::LoadSlowly<uint8_t>(int32_t&, const char*) const;
template uint16_t buffer_Class::LoadSlowly<uint16_t>(int32_t&, const char*) const;
template uint32_t buffer_Class::LoadSlowly<uint32_t>(int32_t&, const char*) const;
template uint64_t buffer_Class::LoadSlowly<uint64_t>(int32_t&, const char*) const;

// A text without its NUL before the end of the data is damaged: its bytes up
// to the end are given, the assertion is reported and the offset ends there.
std::string_view buffer_Class::GetLongStringView(int32_t& offset) const {
    if (offset < 0 || offset >= _DataLength) {
        ReportDamage("Offset <= _DataLength", __FILE__, __LINE__);
        offset = _DataLength;
        return {};
    }
    const auto* start = reinterpret_cast<const char*>(data_ + offset);
    const auto left = static_cast<size_t>(_DataLength - offset);
    const void* nul = std::memchr(start, 0, left);
    if (!nul) {
        ReportDamage("Offset <= _DataLength", __FILE__, __LINE__);
        offset = _DataLength;
        return {start, left};
    }
    const auto length = static_cast<size_t>(static_cast<const char*>(nul) - start);
    offset += static_cast<int32_t>(length) + 1;
    return {start, length};
}

Str buffer_Class::GetString(int32_t& offset) const {
    const std::string_view text = GetStringView(offset);
    return Str(text.data(), static_cast<int32_t>(text.size()));
}

std::string_view buffer_Class::GetFixedStringView(int32_t& offset, int32_t n) const {
    const int32_t at = offset;
    if (!Take(offset, n, "Offset + n <= _DataLength", __LINE__)) return {};
    offset = at + n;
    if (n == 0) return {};
    const auto* start = reinterpret_cast<const char*>(data_ + at);
    const void* nul = std::memchr(start, 0, static_cast<size_t>(n));
    return {start, nul ? static_cast<size_t>(static_cast<const char*>(nul) - start)
                       : static_cast<size_t>(n)};
}

Str buffer_Class::GetFixedString(int32_t& offset, int32_t n) const {
    const std::string_view text = GetFixedStringView(offset, n);
    return Str(text.data(), static_cast<int32_t>(text.size()));
}

// Out of bounds, the destination (which the caller sized for n bytes) is
// zeroed so that it never holds stale bytes.
void buffer_Class::GetBytes(int32_t& offset, void* destination, int32_t n) const {
    const int32_t at = offset;
    if (!Take(offset, n, "Offset + n <= _DataLength", __LINE__)) {
        if (destination && n > 0) std::memset(destination, 0, static_cast<size_t>(n));
        return;
    }
    offset = at + n;
    if (destination && n > 0) std::memcpy(destination, data_ + at, static_cast<size_t>(n));
}

// ---------------------------------------------------------------------------
// buffer_Writer

buffer_Writer::buffer_Writer(data_Endian endian) : data_Endian_(endian) {}

buffer_Writer::~buffer_Writer() = default;

void buffer_Writer::Reserve(int32_t n) {
    TQ_ASSERT(n > 0);
    if (n <= 0) return;
    int64_t newLength = 256;
    while (newLength < n)
        newLength *= 8;
    if (newLength > INT32_MAX) newLength = INT32_MAX;
    TQ_ASSERT(newLength >= _AllocatedLength);
    if (newLength <= _AllocatedLength) return;
    auto block = MakeUniqueForOverwrite<uint8_t[]>(static_cast<size_t>(newLength));
    if (_DataLength > 0) std::memcpy(block.get(), _Buffer.get(), static_cast<size_t>(_DataLength));
    _Buffer = std::move(block);
    _AllocatedLength = static_cast<int32_t>(newLength);
}

uint8_t* buffer_Writer::Room(int32_t width) {
    const int64_t needed = int64_t{_DataLength} + width;
    if (needed > _AllocatedLength) [[unlikely]] {
        if (needed > INT32_MAX) throw std::bad_alloc();
        Reserve(static_cast<int32_t>(needed));
    }
    uint8_t* at = _Buffer.get() + _DataLength;
    _DataLength = static_cast<int32_t>(needed);
    return at;
}

template <class U> void buffer_Writer::Store(U value) {
    if (data_Endian_ != ENDIAN_Little) [[unlikely]] {
        TQ_ASSERT_TEXT(data_Endian_ != ENDIAN_Undefined, kEndianText);
        if (NeedsSwap(data_Endian_)) value = Swap(value);
    } else if constexpr (std::endian::native == std::endian::big) {
        value = Swap(value);
    }
    std::memcpy(Room(static_cast<int32_t>(sizeof(U))), &value, sizeof(U));
}

void buffer_Writer::PutInt8(int8_t value) {
    Store(static_cast<uint8_t>(value));
}
void buffer_Writer::PutUInt16(uint16_t value) {
    Store(value);
}
void buffer_Writer::PutInt16(int16_t value) {
    Store(static_cast<uint16_t>(value));
}
void buffer_Writer::PutUInt32(uint32_t value) {
    Store(value);
}
void buffer_Writer::PutInt32(int32_t value) {
    Store(static_cast<uint32_t>(value));
}
void buffer_Writer::PutInt64(int64_t value) {
    Store(static_cast<uint64_t>(value));
}
void buffer_Writer::PutDouble(double value) {
    Store(BitCast<uint64_t>(value));
}

void buffer_Writer::PutString(const Str& text) {
    const int32_t length = text.Length();
    uint8_t* at = Room(length + 1);
    if (length) std::memcpy(at, text.CStr(), static_cast<size_t>(length));
    at[length] = 0;
}

void buffer_Writer::PutString(const char* text) {
    const auto length = static_cast<int32_t>(text ? std::strlen(text) : 0);
    uint8_t* at = Room(length + 1);
    if (length) std::memcpy(at, text, static_cast<size_t>(length));
    at[length] = 0;
}

void buffer_Writer::PutFixedString(const char* text, int32_t n, char pad) {
    if (n <= 0) return;
    const size_t length = text ? std::strlen(text) : 0;
    const auto used = static_cast<int32_t>(length < static_cast<size_t>(n) ? length : n);
    uint8_t* at = Room(n);
    if (used) std::memcpy(at, text, static_cast<size_t>(used));
    std::memset(at + used, static_cast<unsigned char>(pad), static_cast<size_t>(n - used));
}

void buffer_Writer::PutBytes(const void* bytes, int32_t n) {
    if (n <= 0) return;
    uint8_t* at = Room(n);
    if (bytes)
        std::memcpy(at, bytes, static_cast<size_t>(n));
    else
        std::memset(at, 0, static_cast<size_t>(n));
}

void buffer_Writer::Append(const buffer_Writer& other) {
    const int32_t n = other._DataLength;
    if (n <= 0) return;
    // Room may move this writer's block, which is also the source when a
    // writer is appended to itself.
    uint8_t* at = Room(n);
    std::memcpy(at, other._Buffer.get(), static_cast<size_t>(n));
}

void buffer_Writer::PatchUInt32(int32_t place, uint32_t value) {
    const bool inside = place >= 0 && place <= _DataLength - 4;
    TQ_ASSERT_TEXT(inside, "place + 4 <= _DataLength");
    if (!inside) return;
    TQ_ASSERT_TEXT(data_Endian_ != ENDIAN_Undefined, kEndianText);
    if (NeedsSwap(data_Endian_)) value = Swap(value);
    std::memcpy(_Buffer.get() + place, &value, sizeof value);
}

} // namespace tqxml
