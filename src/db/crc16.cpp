#include "db/crc16.h"

#include <array>
#include <cstring>

// The folding routine needs the x86 carry-less multiply and a compiler that
// can build it for that instruction set in one function (GCC or Clang target
// attributes), so the rest of the library keeps the default flags.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TQXML_CRC16_FOLDING 1
#include <immintrin.h>
#endif

namespace tqxml {

namespace {

// Eight tables: kTables[0] is the classic byte table; kTables[k] advances a
// byte through k further zero bytes, so eight bytes are folded per step.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        tables[0][i] = static_cast<uint16_t>(crc);
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (size_t k = 1; k < 8; ++k)
            tables[k][i] = static_cast<uint16_t>((tables[k - 1][i] >> 8) ^
                                                 tables[0][tables[k - 1][i] & 0xFFu]);
    return tables;
}

constexpr Tables kTables = MakeTables();

#ifdef TQXML_CRC16_FOLDING

// Polynomials over GF(2) with the coefficient of x^d in bit d. The checksum
// of a message M(x) of n bytes, started from 0, is M(x) * x^16 mod P(x),
// where the first byte's bit 0 is the highest power, x^(8n-1).

// P(x) = x^16 + x^15 + x^2 + 1; 0xA001 is its low sixteen bits reversed.
constexpr uint32_t kPoly = 0x18005;

// x^e mod P.
constexpr uint32_t XPowModP(unsigned e) {
    uint32_t rest = 1;
    for (; e > 0; --e) {
        rest <<= 1;
        if (rest & 0x10000) rest ^= kPoly;
    }
    return rest;
}

// floor(x^e / P), for 16 <= e < 80. Long division: `rest` holds x^(d+16)
// in bit 16 and the fifteen powers below it.
constexpr uint64_t Quotient(unsigned e) {
    uint64_t quotient = 0;
    uint32_t rest = 0x10000;
    for (int d = static_cast<int>(e) - 16; d >= 0; --d) {
        if (rest & 0x10000) {
            rest ^= kPoly;
            quotient |= uint64_t{1} << d;
        }
        rest <<= 1;
    }
    return quotient;
}

// Whether x^e - q(x) * P(x) has degree below 16, i.e. q = floor(x^e / P).
constexpr bool IsQuotient(uint64_t q, unsigned e) {
    uint64_t low = 0, high = 0;
    for (unsigned d = 0; d <= 16; ++d)
        if (kPoly >> d & 1) {
            low ^= q << d;
            if (d > 0) high ^= q >> (64 - d);
        }
    (e < 64 ? low : high) ^= uint64_t{1} << (e % 64);
    return high == 0 && low >> 16 == 0;
}

// The register holds the bytes as they arrive, so a polynomial of degree
// below `top` + 1 sits with x^d in bit `top` - d.
constexpr uint64_t Reflected(uint64_t poly, unsigned top) {
    uint64_t bits = 0;
    for (unsigned d = 0; d <= top; ++d)
        if (poly >> d & 1) bits |= uint64_t{1} << (top - d);
    return bits;
}

// The multiplier that moves a 64-bit half of a register `distance` bits
// further on: x^distance mod P. Two reflected 64-bit halves multiply to a
// product one place short of the 128-bit register (its top bit stays clear),
// which multiplies by x once more; so the constant is x^(distance-1) mod P.
constexpr uint64_t Advance(unsigned distance) {
    return Reflected(XPowModP(distance - 1), 63);
}

static_assert(XPowModP(16) == 0x8005 && XPowModP(17) == (0x8005 << 1 ^ kPoly));
static_assert(IsQuotient(Quotient(79), 79) && !IsQuotient(Quotient(79) ^ 1, 79));

#define TQXML_FOLDING_TARGET __attribute__((target("pclmul,sse4.1")))

TQXML_FOLDING_TARGET inline __m128i Pair(uint64_t high, uint64_t low) {
    return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

// The pair of multipliers that carries a whole register `distance` bits on:
// its first half (the higher powers) by distance + 64, its second half by
// distance.
template <unsigned distance> TQXML_FOLDING_TARGET inline __m128i Multipliers() {
    constexpr uint64_t first = Advance(distance + 64);
    constexpr uint64_t second = Advance(distance);
    return Pair(second, first);
}

// A register congruent to `x` carried on by the distance of `k`, a Multipliers().
TQXML_FOLDING_TARGET inline __m128i Fold(__m128i x, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

TQXML_FOLDING_TARGET inline __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Byte shuffles: the 16 bytes at kShiftMasks + r move a register's first r
// bytes to its end (clearing the rest), those at kShiftMasks + 16 + r move
// its last 16 - r bytes to its start; 0x80 clears a byte.
constexpr std::array<uint8_t, 48> kShiftMasks = [] {
    std::array<uint8_t, 48> masks{};
    for (size_t i = 0; i < masks.size(); ++i)
        masks[i] = i >= 16 && i < 32 ? static_cast<uint8_t>(i - 16) : 0x80;
    return masks;
}();

// The checksum of `count` >= 16 bytes. Four registers each take every
// fourth 16-byte block, carried 512 bits on per step; they are joined,
// the last short block is taken in, and the 128-bit remainder R(x) gives
// the checksum R(x) * x^16 mod P.
TQXML_FOLDING_TARGET uint16_t Crc16ArcFolding(const uint8_t* p, size_t count, uint16_t crc) {
    const uint8_t* const end = p + count;
    // The starting value stands in for the message's first sixteen bits.
    __m128i x = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(crc));
    p += 16;
    // x^191 and x^127 mod P: one register on to the next.
    const __m128i by128 = Multipliers<128>();
    if (end - p >= 48) {
        __m128i x1 = Load(p), x2 = Load(p + 16), x3 = Load(p + 32);
        p += 48;
        // x^575 and x^511 mod P: each register past the other three.
        const __m128i by512 = Multipliers<512>();
        for (; end - p >= 64; p += 64) {
            x = _mm_xor_si128(Fold(x, by512), Load(p));
            x1 = _mm_xor_si128(Fold(x1, by512), Load(p + 16));
            x2 = _mm_xor_si128(Fold(x2, by512), Load(p + 32));
            x3 = _mm_xor_si128(Fold(x3, by512), Load(p + 48));
        }
        // The four joined: the first carried 384 bits on (x^447 and x^383),
        // the second 256 (x^319 and x^255), the third 128.
        x = _mm_xor_si128(_mm_xor_si128(Fold(x, Multipliers<384>()), Fold(x1, Multipliers<256>())),
                          _mm_xor_si128(Fold(x2, by128), x3));
    }
    for (; end - p >= 16; p += 16)
        x = _mm_xor_si128(Fold(x, by128), Load(p));
    if (p != end) {
        // r more bytes: the register and they make 16 + r bytes, taken as
        // the register's first r bytes, carried 128 bits on, plus the other
        // 16: the register's last 16 - r bytes and then the r new ones, which
        // end the message.
        const size_t r = static_cast<size_t>(end - p);
        const __m128i toEnd = Load(kShiftMasks.data() + r);
        const __m128i toStart = Load(kShiftMasks.data() + 16 + r);
        const __m128i last = _mm_blendv_epi8(Load(end - 16), _mm_shuffle_epi8(x, toStart), toEnd);
        x = _mm_xor_si128(Fold(_mm_shuffle_epi8(x, toEnd), by128), last);
    }

    // Z(x) = R * x^16, of degree below 80: the first half by x^80 (x^79 mod
    // P), the second by x^16 (x^15).
    const __m128i z = Fold(x, Multipliers<16>());
    // Barrett: Q = floor(floor(Z / x^16) * floor(x^79 / P) / x^63) is exactly
    // floor(Z / P) for Z of degree up to 79, and Z mod P is the low sixteen
    // bits of Z + Q * P. floor(Z / x^16) is bits 48..111 of the register,
    // Q comes out as the product's first half, and with P as bits 16..0 the
    // low sixteen bits of Q * P land in bits 64..79.
    constexpr uint64_t quotient79 = Reflected(Quotient(79), 63);
    constexpr uint64_t poly = Reflected(kPoly, 16);
    const __m128i barrett = Pair(poly, quotient79);
    const __m128i quotient = _mm_clmulepi64_si128(_mm_srli_si128(z, 6), barrett, 0x00);
    const __m128i product = _mm_clmulepi64_si128(quotient, barrett, 0x10);
    return static_cast<uint16_t>(_mm_extract_epi16(z, 7) ^ _mm_extract_epi16(product, 4));
}

bool HasCarrylessMultiply() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif // TQXML_CRC16_FOLDING

} // namespace

uint16_t Crc16ArcTable(const void* bytes, size_t count, uint16_t crc) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    while (count >= 8) {
        uint8_t b[8];
        std::memcpy(b, p, 8);
        const uint32_t low = crc ^ (b[0] | uint32_t{b[1]} << 8);
        crc = static_cast<uint16_t>(kTables[7][low & 0xFF] ^ kTables[6][low >> 8] ^
                                    kTables[5][b[2]] ^ kTables[4][b[3]] ^ kTables[3][b[4]] ^
                                    kTables[2][b[5]] ^ kTables[1][b[6]] ^ kTables[0][b[7]]);
        p += 8;
        count -= 8;
    }
    for (; count > 0; --count, ++p)
        crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFFu]);
    return crc;
}

uint16_t Crc16Arc(const void* bytes, size_t count, uint16_t crc) {
#ifdef TQXML_CRC16_FOLDING
    static const bool folding = HasCarrylessMultiply();
    if (count >= 16 && folding)
        return Crc16ArcFolding(static_cast<const uint8_t*>(bytes), count, crc);
#endif
    return Crc16ArcTable(bytes, count, crc);
}

} // namespace tqxml
