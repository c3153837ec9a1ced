// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/hit.h"

#include "common/text.h"
#include "report/size_text.h"

#include <cstdio>

namespace tarvelo::catalog {

std::string_view kindName(HitKind kind)
{
    switch (kind) {
    case HitKind::Folder:
        return "folder";
    case HitKind::File:
        return "file";
    case HitKind::ArchiveEntry:
        return "archive-entry";
    }
    return "file";
}

std::string sizeField(const Hit& hit)
{
    return hit.exact ? std::to_string(hit.size) : report::getSize(hit.size, hit.disc->decimalSeparator);
}

std::string hitListingStart(HitFormat format)
{
    return format == HitFormat::Csv ? "disc,label,path,size,exact,kind\n" : "";
}

std::string hitLine(HitFormat format, const Hit& hit)
{
    const std::string size = std::to_string(hit.size);
    const std::string_view exact = hit.exact ? "true" : "false";
    switch (format) {
    case HitFormat::Text:
        return hit.disc->label + '\t' + hit.path + '\t' + sizeField(hit) + '\n';
    case HitFormat::Jsonl:
        return "{\"disc\":" + std::to_string(hit.disc->id) + ",\"label\":" +
               jsonString(hit.disc->label) + ",\"path\":" + jsonString(hit.path) +
               ",\"size\":" + size + ",\"exact\":" + std::string(exact) + ",\"kind\":\"" +
               std::string(kindName(hit.kind)) + "\"}\n";
    case HitFormat::Csv:
        return std::to_string(hit.disc->id) + ',' + csvField(hit.disc->label) + ',' +
               csvField(hit.path) + ',' + size + ',' + std::string(exact) + ',' +
               std::string(kindName(hit.kind)) + '\n';
    }
    return {};
}

std::string jsonString(std::string_view text)
{
    std::string json = "\"";
    for (const char c : common::lineSafe(text)) {
        if (c == '"' || c == '\\') json += '\\';
        json += c;
    }
    return json + '"';
}

std::string csvField(std::string_view text)
{
    const std::string safe = common::lineSafe(text);
    if (safe.find_first_of(",\"") == std::string::npos) return safe;
    std::string field = "\"";
    for (const char c : safe) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

} // namespace tarvelo::catalog
