// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/text_scan.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvelo::common {
namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

std::uint64_t word(const char* at) noexcept
{
    std::uint64_t w;
    std::memcpy(&w, at, sizeof w);
    return w;
}

// High bit set in each byte below n (n <= 0x80), possibly also above one that is; so the
// word holds such a byte exactly when the result is not zero.
constexpr std::uint64_t bytesBelow(std::uint64_t w, std::uint8_t n) noexcept
{
    return (w - kEveryByte * n) & ~w & kHighBits;
}

// True when all eight bytes of w are printable ASCII (U+0020 to U+007E): names are mostly
// made of it, so it is checked a word at a time.
constexpr bool printableAscii(std::uint64_t w) noexcept
{
    return ((w & kHighBits) | bytesBelow(w, 0x20) | bytesBelow(w ^ (kEveryByte * 0x7F), 1)) == 0;
}

// The line-safe check as a shift-based automaton: kSteps[byte] holds, for every state (a
// bit offset, six bits a state), the state that byte leads to, so a step is one shift.
// It proves valid UTF-8 without controls, line or paragraph separators and bidirectional
// controls up to three bytes a sequence; a four-byte sequence, like anything it does not
// prove, is left to the exact scan (kNotProven absorbs the rest of the text).
enum State : unsigned
{
    kProven = 0, // between sequences, all line-safe so far
    kNotProven = 6,
    kTail1 = 12,     // one more continuation byte, any
    kTail2 = 18,     // two more
    kAfterE0 = 24,   // A0-BF, then one more (no overlong form)
    kAfterED = 30,   // 80-9F, then one more (no surrogate)
    kAfterC2 = 36,   // A0-BF (80-9F would be a C1 control)
    kAfterE2 = 42,   // 80 or 81 lead to the separators and bidirectional controls
    kAfterE280 = 48, // A8-AE: U+2028 to U+202E
    kAfterE281 = 54, // A6-A9: U+2066 to U+2069
};
constexpr unsigned kStateBits = 63;
constexpr State kStates[] = {kProven,  kNotProven, kTail1,   kTail2,     kAfterE0,
                             kAfterED, kAfterC2,   kAfterE2, kAfterE280, kAfterE281};

constexpr State afterLead(unsigned b) noexcept
{
    if (b >= 0x20 && b < 0x7F) return kProven;
    if (b == 0xC2) return kAfterC2;
    if (b >= 0xC3 && b <= 0xDF) return kTail1;
    if (b == 0xE0) return kAfterE0;
    if (b == 0xE2) return kAfterE2;
    if (b == 0xED) return kAfterED;
    if (b >= 0xE1 && b <= 0xEF) return kTail2;
    return kNotProven; // controls, DEL, stray continuations, C0, C1, F0-FF
}

constexpr State next(State state, unsigned b) noexcept
{
    if (state == kProven) return afterLead(b);
    if (state == kNotProven || b < 0x80 || b > 0xBF) return kNotProven;
    switch (state) {
    case kTail2:
        return kTail1;
    case kAfterE0:
        return b >= 0xA0 ? kTail1 : kNotProven;
    case kAfterED:
        return b <= 0x9F ? kTail1 : kNotProven;
    case kAfterC2:
        return b >= 0xA0 ? kProven : kNotProven;
    case kAfterE2:
        return b == 0x80 ? kAfterE280 : b == 0x81 ? kAfterE281 : kTail1;
    case kAfterE280:
        return b >= 0xA8 && b <= 0xAE ? kNotProven : kProven;
    case kAfterE281:
        return b >= 0xA6 && b <= 0xA9 ? kNotProven : kProven;
    default: // kTail1
        return kProven;
    }
}

constexpr std::array<std::uint64_t, 256> kSteps = [] {
    std::array<std::uint64_t, 256> rows{};
    for (unsigned b = 0; b < 256; ++b)
        for (const State state : kStates)
            rows[b] |= std::uint64_t{next(state, b)} << state;
    return rows;
}();

// Only the low six bits of state count; the shift ignores the rest, so no mask is needed
// between steps.
inline std::uint64_t step(std::uint64_t state, unsigned char byte) noexcept
{
    return kSteps[byte] >> (state & kStateBits);
}

// A block of text checked at once, when it starts between sequences (afterLead false) or
// after a two-byte lead (true): when it holds only printable ASCII and two-byte sequences
// led by C3 to DF (Latin, Greek, Cyrillic...: never a C1 control, never overlong), whether
// its last byte leads a sequence on; nothing for any other block, which then goes through
// the automaton. beyondAscii is set when the block holds more than printable ASCII.
#if defined(__SSE2__)
constexpr std::size_t kBlock = 16;

std::optional<bool> simpleBlock(const char* at, bool afterLead, bool& beyondAscii) noexcept
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const auto all = [](int byte) { return _mm_set1_epi8(static_cast<char>(byte)); };
    // Compared as signed bytes: 80-BF are -128 to -65, C3-DF are -61 to -33.
    const __m128i printable =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, all(0x1F)), _mm_cmplt_epi8(bytes, all(0x7F)));
    const __m128i continuation = _mm_cmplt_epi8(bytes, all(0xC0));
    const __m128i lead =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, all(0xC2)), _mm_cmplt_epi8(bytes, all(0xE0)));
    const __m128i known = _mm_or_si128(printable, _mm_or_si128(continuation, lead));
    if (_mm_movemask_epi8(known) != 0xFFFF) return std::nullopt;
    // Bit i stands for byte i: each lead's continuation is the bit above it.
    const auto leads = static_cast<unsigned>(_mm_movemask_epi8(lead));
    const auto continuations = static_cast<unsigned>(_mm_movemask_epi8(continuation));
    if (continuations != (((leads << 1) | (afterLead ? 1u : 0u)) & 0xFFFFu)) return std::nullopt;
    beyondAscii = beyondAscii || leads != 0;
    return (leads >> 15) != 0;
}
#else
constexpr std::size_t kBlock = 8; // a word: printable ASCII alone

std::optional<bool> simpleBlock(const char* at, bool afterLead, bool& /*beyondAscii*/) noexcept
{
    if (afterLead || !printableAscii(word(at))) return std::nullopt;
    return false;
}
#endif

} // namespace

// Blocks of printable ASCII and two-byte sequences go at once, other bytes through the
// automaton (about a cycle a byte). A text shorter than a word is tried as one word
// padded with spaces; what is left after the blocks, as a word of printable ASCII and
// then as the text's last eight bytes, which overlap what was proven before them.
std::optional<TextCheck> fastCheck(std::string_view text) noexcept
{
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    if (size == 0) return TextCheck::PrintableAscii;
    if (size < kWord) {
        std::uint64_t padded = kEveryByte * ' ';
        std::memcpy(&padded, text.data(), size);
        if (printableAscii(padded)) return TextCheck::PrintableAscii;
    }
    bool beyondAscii = false; // set by any byte other than printable ASCII
    std::uint64_t state = kProven;
    std::size_t at = 0;
    for (; size - at >= kBlock; at += kBlock) {
        const std::uint64_t now = state & kStateBits;
        if (now == kProven || now == kTail1) {
            if (const auto open = simpleBlock(text.data() + at, now == kTail1, beyondAscii)) {
                state = *open ? kTail1 : kProven;
                continue;
            }
        }
        beyondAscii = true;
        for (std::size_t i = 0; i < kBlock; ++i)
            state = step(state, p[at + i]);
        if ((state & kStateBits) == kNotProven) return std::nullopt;
    }
    const bool asciiWord = size - at >= kWord && (state & kStateBits) == kProven &&
                           printableAscii(word(text.data() + at));
    if (asciiWord) at += kWord;
    if (at < size) {
        const bool asciiTail = at > 0 && size - at <= kWord && (state & kStateBits) == kProven &&
                               printableAscii(word(text.data() + size - kWord));
        if (!asciiTail) {
            beyondAscii = true;
            for (; at < size; ++at)
                state = step(state, p[at]);
        }
    }
    if ((state & kStateBits) != kProven) return std::nullopt; // a sequence cut by the end
    return beyondAscii ? TextCheck::LineSafe : TextCheck::PrintableAscii;
}

} // namespace tarvelo::common
