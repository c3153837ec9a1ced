// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "platform/optical_drives.h"
#include "platform/volume.h"

class QComboBox;

namespace tarvelo::app {

// The entries of the "Uređaj:" list: the machine's drives as they are now, then the
// images and folders the user added, each with the label of what it holds. An entry's
// data is the source a run reads.
class DriveList
{
public:
    DriveList(QComboBox& box, const platform::DriveFinder& drives,
              const platform::VolumeOpener& volumes);

    // Reads the drives and every label again. The selected source stays selected while it
    // is listed; otherwise the last entry is.
    void refresh();

    // Adds an image or a folder and selects it; one already listed is selected again.
    // Raises the error that opening it gave, and then adds nothing.
    void add(const QString& path);

    QString selectedSource() const;
    bool isEmpty() const;

private:
    struct Entry
    {
        QString text;
        QString source;
    };

    std::vector<Entry> entriesNow() const;
    Entry addedEntry(const QString& path) const;
    void show(const std::vector<Entry>& entries, const QString& selected);

    QComboBox& m_box;
    const platform::DriveFinder& m_drives;
    const platform::VolumeOpener& m_volumes;
    QStringList m_added;
};

} // namespace tarvelo::app
