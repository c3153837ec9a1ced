// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_rock_ridge.h"

#include <algorithm>

namespace tarvelo::image::iso9660 {
namespace {

constexpr std::size_t kEntryHeaderSize = 4; // signature, length, version
constexpr std::size_t kNameAt = 5;          // after the NM flags
constexpr std::size_t kContinuationEntrySize = 28;
constexpr std::size_t kChildLinkEntrySize = 12;
constexpr std::size_t kSharingProtocolEntrySize = 7;
// A "TF" entry's flags say which times follow, in this order, and in which form.
constexpr std::size_t kTimesAt = 5;
constexpr std::uint8_t kTimeCreation = 0x01;
constexpr std::uint8_t kTimeModify = 0x02;
constexpr std::uint8_t kTimeLongForm = 0x80;

bool hasSignature(Bytes entry, const char (&signature)[3])
{
    return entry[0] == static_cast<std::uint8_t>(signature[0]) &&
           entry[1] == static_cast<std::uint8_t>(signature[1]);
}

// The modify time of a "TF" entry; nothing when it has none or it names no moment.
std::optional<std::int64_t> modifyTime(Bytes entry)
{
    if (entry.size() < kTimesAt || (entry[4] & kTimeModify) == 0) return std::nullopt;
    const bool longForm = (entry[4] & kTimeLongForm) != 0;
    const std::size_t size = longForm ? kLongDateSize : kShortDateSize;
    const std::size_t at = kTimesAt + ((entry[4] & kTimeCreation) != 0 ? size : 0);
    if (entry.size() < at + size) return std::nullopt;
    const Bytes time = entry.subspan(at, size);
    return longForm ? decodeLongDate(time) : decodeShortDate(time);
}

// Adds what the area's entries say to found; gives the area's continuation, if it has one.
std::optional<ContinuationArea> collectEntries(Bytes area, RockRidgeEntries& found)
{
    std::optional<ContinuationArea> next;
    std::size_t at = 0;
    while (at + kEntryHeaderSize <= area.size()) {
        const std::size_t length = area[at + 2];
        if (length < kEntryHeaderSize || length > area.size() - at) break;
        const Bytes entry = area.subspan(at, length);
        if (hasSignature(entry, "ST")) break;
        if (hasSignature(entry, "CE") && length >= kContinuationEntrySize)
            next = ContinuationArea{both32(entry, 4), both32(entry, 12), both32(entry, 20)};
        if (hasSignature(entry, "NM") && length >= kNameAt) {
            if (!found.name) found.name.emplace();
            const auto room = std::min(entry.size() - kNameAt, kMaxNameBytes - found.name->size());
            const Bytes part = entry.subspan(kNameAt, room);
            found.name->append(part.begin(), part.end());
        }
        if (hasSignature(entry, "CL") && length >= kChildLinkEntrySize)
            found.childLink = both32(entry, 4);
        if (hasSignature(entry, "RE")) found.relocated = true;
        if (hasSignature(entry, "TF")) found.modified = modifyTime(entry);
        at += length;
    }
    return next;
}

// A name cut at the limit may end inside a UTF-8 sequence: that partial character goes.
void dropCutCharacter(std::string& name)
{
    std::size_t lead = name.size();
    while (lead > 0 && name.size() - lead < 4 && (name[lead - 1] & 0xC0) == 0x80)
        --lead;
    if (lead == 0) return;
    const auto first = static_cast<unsigned char>(name[lead - 1]);
    const std::size_t expected = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (name.size() - (lead - 1) < expected) name.erase(lead - 1);
}

} // namespace

std::optional<std::size_t> suspSkipLength(Bytes rootSelfSystemUse)
{
    const Bytes sp = rootSelfSystemUse;
    if (sp.size() < kSharingProtocolEntrySize || !hasSignature(sp, "SP") ||
        sp[2] != kSharingProtocolEntrySize || sp[4] != 0xBE || sp[5] != 0xEF)
        return std::nullopt;
    return sp[6];
}

RockRidgeEntries readRockRidge(Bytes systemUse, std::size_t skip,
                               const ContinuationReader& readArea)
{
    RockRidgeEntries found;
    auto next = collectEntries(systemUse.subspan(std::min(skip, systemUse.size())), found);
    std::vector<std::uint8_t> continuation;
    for (int hops = 0; next && hops < kMaxContinuations; ++hops) {
        next->length = std::min(next->length, kMaxContinuationLength);
        continuation = readArea(*next);
        next = collectEntries(continuation, found);
    }
    if (found.name) {
        if (found.name->size() == kMaxNameBytes) dropCutCharacter(*found.name);
        if (found.name->empty()) found.name.reset(); // shown by its ISO 9660 name
    }
    return found;
}

} // namespace tarvelo::image::iso9660
