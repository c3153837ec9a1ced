// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalog.h"

#include "catalog/disc_index.h"
#include "catalog/schema.h"
#include "common/error.h"

#include <charconv>
#include <filesystem>

namespace tarvelo::catalog {
namespace {

constexpr std::string_view kDiscColumns =
    "id, label, name, note, serial, total_bytes, free_bytes, files, folders, source, "
    "source_kind, root_path, decimal_separator, added, exact, first_entry, last_entry";

Database openDatabase(const std::string& path, Catalog::Missing missing)
{
    // SQLite takes an empty file for an empty database: reading it must not make one there.
    std::error_code error;
    const bool none =
        !std::filesystem::exists(path, error) || (std::filesystem::is_regular_file(path, error) &&
                                                  std::filesystem::file_size(path, error) == 0);
    if (missing == Catalog::Missing::Refuse && none)
        throw Error(ErrorNumber::FileNotFound, path + ": no catalogue there yet (add a disc first)");
    return Database(path, Database::Access::ReadWrite);
}

DiscRecord discOf(const Statement& row)
{
    DiscRecord disc;
    disc.id = row.integer(0);
    disc.label = row.text(1);
    disc.name = row.text(2);
    disc.note = row.text(3);
    disc.serial = row.integer(4);
    disc.totalBytes = static_cast<std::uint64_t>(row.integer(5));
    disc.freeBytes = static_cast<std::uint64_t>(row.integer(6));
    disc.files = row.integer(7);
    disc.folders = row.integer(8);
    disc.source = row.text(9);
    disc.sourceKind = row.text(10);
    disc.rootPath = row.text(11);
    const std::string_view separator = row.text(12);
    disc.decimalSeparator = separator.empty() ? '.' : separator.front();
    disc.added = row.text(13);
    disc.exact = row.integer(14) != 0;
    disc.firstEntry = row.integer(15);
    disc.lastEntry = row.integer(16);
    return disc;
}

std::vector<DiscRecord> discsWhere(Database& db, std::string_view condition,
                                   const std::vector<std::string>& values)
{
    Statement query = db.prepare("SELECT " + std::string(kDiscColumns) + " FROM disc " +
                                 std::string(condition) + " ORDER BY id");
    for (std::size_t i = 0; i < values.size(); ++i)
        query.bind(static_cast<int>(i + 1), values[i]);
    std::vector<DiscRecord> discs;
    while (query.step())
        discs.push_back(discOf(query));
    return discs;
}

} // namespace

Catalog::Catalog(const std::string& path, Missing missing) : m_db(openDatabase(path, missing))
{
    prepareSchema(m_db);
}

std::vector<DiscRecord> Catalog::discs()
{
    return discsWhere(m_db, "", {});
}

DiscRecord Catalog::disc(std::string_view numberOrLabel)
{
    std::int64_t number = 0;
    const char* end = numberOrLabel.data() + numberOrLabel.size();
    const auto parsed = std::from_chars(numberOrLabel.data(), end, number);
    if (parsed.ec == std::errc{} && parsed.ptr == end) {
        const auto found = discsWhere(m_db, "WHERE id = ?", {std::to_string(number)});
        if (!found.empty()) return found.front();
    }
    const auto found = discsWhere(m_db, "WHERE label = ?", {std::string(numberOrLabel)});
    if (found.size() == 1) return found.front();
    const std::string quoted = "'" + std::string(numberOrLabel) + "'";
    if (found.empty()) throw Error(ErrorNumber::FileNotFound, "no disc " + quoted + " in the catalogue");
    std::string numbers;
    for (const DiscRecord& disc : found)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(disc.id);
    throw Error(ErrorNumber::BadFileName,
                "more than one disc has the label " + quoted + "; choose by number: " + numbers);
}

std::vector<DiscRecord> Catalog::sameDiscs(const DiscRecord& candidate)
{
    std::string condition = "WHERE label = ? AND serial = ? AND total_bytes = ?";
    std::vector<std::string> values{candidate.label, std::to_string(candidate.serial),
                                    std::to_string(static_cast<std::int64_t>(candidate.totalBytes))};
    // A folder's facts are those of the file system holding it: its path tells it apart.
    if (candidate.sourceKind == kFromFolder) {
        condition += " AND source_kind = ? AND source = ?";
        values.insert(values.end(), {candidate.sourceKind, candidate.source});
    }
    return discsWhere(m_db, condition, values);
}

void Catalog::remove(const DiscRecord& disc)
{
    Transaction transaction(m_db);
    removeRows(m_db, disc);
    transaction.commit();
}

void removeRows(Database& db, const DiscRecord& disc)
{
    removeDiscIndex(db, disc.id);
    db.prepare("DELETE FROM entry WHERE id BETWEEN ? AND ?")
        .bind(1, disc.firstEntry)
        .bind(2, disc.lastEntry)
        .run();
    db.prepare("DELETE FROM disc_report WHERE disc = ?").bind(1, disc.id).run();
    db.prepare("DELETE FROM disc WHERE id = ?").bind(1, disc.id).run();
}

char separatorOf(const DiscRecord& disc)
{
    return !disc.rootPath.empty() && disc.rootPath.back() == '\\' ? '\\' : '/';
}

} // namespace tarvelo::catalog
