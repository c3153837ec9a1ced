// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/hit.h"

#include "common/text.h"
#include "report/size_text.h"

#include <charconv>

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
    std::string line;
    appendHitLine(line, format, hit);
    return line;
}

void appendHitLine(std::string& out, HitFormat format, const Hit& hit)
{
    char number[24];
    const auto decimal = [&number](auto value) {
        const char* end = std::to_chars(number, number + sizeof number, value).ptr;
        return std::string_view(number, static_cast<std::size_t>(end - number));
    };
    const std::string_view exact = hit.exact ? "true" : "false";
    switch (format) {
    case HitFormat::Text:
        out.append(hit.disc->label).append(1, '\t').append(hit.path).append(1, '\t');
        if (hit.exact)
            out.append(decimal(hit.size));
        else
            out.append(sizeField(hit));
        out.append(1, '\n');
        return;
    case HitFormat::Jsonl:
        out.append("{\"disc\":").append(decimal(hit.disc->id)).append(",\"label\":");
        out.append(jsonString(hit.disc->label)).append(",\"path\":").append(jsonString(hit.path));
        out.append(",\"size\":").append(decimal(hit.size)).append(",\"exact\":").append(exact);
        out.append(",\"kind\":\"").append(kindName(hit.kind)).append("\"}\n");
        return;
    case HitFormat::Csv:
        out.append(decimal(hit.disc->id)).append(1, ',').append(csvField(hit.disc->label)).append(1, ',');
        out.append(csvField(hit.path)).append(1, ',').append(decimal(hit.size)).append(1, ',');
        out.append(exact).append(1, ',').append(kindName(hit.kind)).append(1, '\n');
        return;
    }
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
