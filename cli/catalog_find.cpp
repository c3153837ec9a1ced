// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_commands.h"

#include "catalog/find.h"
#include "platform/posix_fd_writer.h"
#include "cli/cli_run_ui.h"
#include "common/civil_time.h"
#include "common/error.h"

#include <unistd.h>

#include <functional>
#include <set>

namespace tarvelo::cli {
namespace {

catalog::HitFormat findFormat(const std::string& typed)
{
    if (typed.empty() || typed == "text") return catalog::HitFormat::Text;
    if (typed == "jsonl") return catalog::HitFormat::Jsonl;
    if (typed == "csv") return catalog::HitFormat::Csv;
    throw UsageProblem("unknown --format '" + typed + "' (text, jsonl or csv)");
}

std::string discLine(catalog::HitFormat format, const catalog::DiscRecord& disc)
{
    using catalog::csvField;
    using catalog::jsonString;
    const std::string number = std::to_string(disc.id);
    const std::string exact = disc.exact ? "true" : "false";
    switch (format) {
    case catalog::HitFormat::Text:
        return number + '\t' + disc.label + '\t' + disc.name + '\t' + std::to_string(disc.files) +
               " files\t" + std::to_string(disc.folders) + " folders\t" + disc.added + '\t' +
               disc.source + '\n';
    case catalog::HitFormat::Jsonl:
        return "{\"disc\":" + number + ",\"label\":" + jsonString(disc.label) +
               ",\"name\":" + jsonString(disc.name) + ",\"note\":" + jsonString(disc.note) +
               ",\"serial\":" + std::to_string(disc.serial) +
               ",\"size\":" + std::to_string(disc.totalBytes) +
               ",\"free\":" + std::to_string(disc.freeBytes) +
               ",\"files\":" + std::to_string(disc.files) +
               ",\"folders\":" + std::to_string(disc.folders) +
               ",\"source\":" + jsonString(disc.source) + ",\"added\":" + jsonString(disc.added) +
               ",\"exact\":" + exact + "}\n";
    case catalog::HitFormat::Csv:
        return number + ',' + csvField(disc.label) + ',' + csvField(disc.name) + ',' +
               csvField(disc.note) + ',' + std::to_string(disc.serial) + ',' +
               std::to_string(disc.totalBytes) + ',' + std::to_string(disc.freeBytes) + ',' +
               std::to_string(disc.files) + ',' + std::to_string(disc.folders) + ',' +
               csvField(disc.source) + ',' + disc.added + ',' + exact + '\n';
    }
    return {};
}

// What an entry puts in the listing of a folder: its own name when it stands directly in
// it, else the name of the subfolder it is in ("a" for "a/b/c.txt": archives need not
// list their folders); nothing when it lies elsewhere.
struct ListedName
{
    std::string_view name;
    bool isFolder = false;
};

std::optional<ListedName> listedName(const catalog::Hit& hit, std::string_view folder)
{
    std::string_view path = hit.path;
    if (!folder.empty()) {
        if (!path.starts_with(folder) || path.size() <= folder.size() || path[folder.size()] != '/')
            return std::nullopt;
        path.remove_prefix(folder.size() + 1);
    }
    const std::size_t slash = path.find('/');
    if (path.empty() || slash == 0) return std::nullopt;
    if (slash != std::string_view::npos) return ListedName{path.substr(0, slash), true};
    return ListedName{path, hit.kind == catalog::HitKind::Folder};
}

} // namespace

int findEntries(const CatalogOptions& options, const std::string& catalogFile)
{
    const catalog::HitFormat format = findFormat(options.format);
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    catalog::FindQuery query = options.query;
    if (!options.discSpec.empty()) query.disc = catalog.disc(options.discSpec).id;
    platform::FdWriter out(STDOUT_FILENO);
    out.write(catalog::hitListingStart(format));
    bool found = false;
    std::string line;
    catalog::find(catalog, query, [&](const catalog::Hit& hit) {
        line.clear();
        catalog::appendHitLine(line, format, hit);
        out.write(line);
        found = true;
    });
    out.flush();
    return found ? 0 : 1;
}

int listDiscs(const CatalogOptions& options, const std::string& catalogFile)
{
    const catalog::HitFormat format = findFormat(options.format);
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    platform::FdWriter out(STDOUT_FILENO);
    if (format == catalog::HitFormat::Csv)
        out.write("disc,label,name,note,serial,size,free,files,folders,source,added,exact\n");
    for (const catalog::DiscRecord& disc : catalog.discs())
        out.write(discLine(format, disc));
    out.flush();
    return 0;
}

int showFolder(const CatalogOptions& options, const std::string& catalogFile)
{
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    const catalog::DiscRecord disc = catalog.disc(options.operands.front());
    std::string folder = options.operands.size() > 1 ? options.operands[1] : std::string();
    while (folder.ends_with('/'))
        folder.pop_back();
    platform::FdWriter out(STDOUT_FILENO);
    bool any = false;
    // Each name once: a subfolder for all the entries in it, an archive as the file it is
    // and not again as the folder of its entries.
    std::set<std::string, std::less<>> names;
    catalog::listEntries(catalog, {disc}, [&](const catalog::Hit& hit) {
        const auto listed = listedName(hit, folder);
        if (!listed) return;
        any = true;
        if (!names.emplace(listed->name).second) return;
        if (listed->isFolder)
            out.write(std::string(listed->name) + "/\n");
        else
            out.write(std::string(listed->name) + '\t' + catalog::sizeField(hit) +
                      (hit.modified ? '\t' + common::isoUtcText(*hit.modified) : "") + '\n');
    });
    out.flush();
    if (!any && !folder.empty()) {
        printMessage("no folder '" + folder + "' with entries on disc " + std::to_string(disc.id));
        return 1;
    }
    return 0;
}

} // namespace tarvelo::cli
