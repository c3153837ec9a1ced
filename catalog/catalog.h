// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/sqlite.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// How a disc came into the catalogue.
inline constexpr std::string_view kFromFolder = "folder";
inline constexpr std::string_view kFromImage = "image";
inline constexpr std::string_view kFromDrive = "drive";
inline constexpr std::string_view kFromReport = "report";

// One disc as the catalogue keeps it.
struct DiscRecord
{
    std::int64_t id = 0;
    std::string label;
    std::string name;
    std::string note;
    std::int64_t serial = 0;
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::string source;
    std::string sourceKind;
    std::string rootPath; // the report's root path, such as "disc/" or "D:\"
    char decimalSeparator = '.';
    std::string added; // ISO 8601, UTC
    bool exact = true; // every size is a byte count, none only a size text
    std::int64_t firstEntry = 0;
    std::int64_t lastEntry = -1;
};

// The catalogue file: a SQLite database in WAL mode, so reading goes on while a disc is
// added. Opening makes a missing file only when asked to, and checks that the file is a
// catalogue of a version this program reads.
class Catalog
{
public:
    enum class Missing
    {
        Make,
        Refuse,
    };

    Catalog(const std::string& path, Missing missing);

    Database& db() noexcept { return m_db; }

    std::vector<DiscRecord> discs();
    // A disc by the number `discs` shows, or by its label when no other disc has it.
    DiscRecord disc(std::string_view numberOrLabel);
    // The disc already added with these facts, if any: label, serial and size agree,
    // and for a folder its path too.
    std::vector<DiscRecord> sameDiscs(const DiscRecord& candidate);

    // Removes a disc and everything on it, in one transaction.
    void remove(const DiscRecord& disc);

private:
    Database m_db;
};

// Removes the disc's rows; the caller holds the transaction.
void removeRows(Database& db, const DiscRecord& disc);

// The root path's separator: "\" for reports of Windows drives, "/" otherwise.
char separatorOf(const DiscRecord& disc);

} // namespace tarvelo::catalog
