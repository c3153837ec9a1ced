// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/drive_list.h"

#include "common/error.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

namespace tarvelo::app {
namespace {

// The entry of an image or folder: its own name, as a drive's entry is the device's.
QString nameOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name; // the root folder has no name of its own
}

QString withLabel(const QString& text, const std::string& label)
{
    return QStringLiteral("%1  [%2]").arg(text, QString::fromStdString(label));
}

} // namespace

DriveList::DriveList(QComboBox& box, const platform::DriveFinder& drives,
                     const platform::VolumeOpener& volumes)
    : m_box(box), m_drives(drives), m_volumes(volumes)
{
}

void DriveList::refresh()
{
    show(entriesNow(), selectedSource());
}

void DriveList::add(const QString& path)
{
    const QString source = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!m_added.contains(source)) {
        m_volumes.openVolume(source.toStdString()); // what cannot be read is not listed
        m_added << source;
    }
    show(entriesNow(), source);
}

QString DriveList::selectedSource() const
{
    return m_box.currentData().toString();
}

bool DriveList::isEmpty() const
{
    return m_box.count() == 0;
}

std::vector<DriveList::Entry> DriveList::entriesNow() const
{
    std::vector<Entry> entries;
    for (const auto& drive : m_drives.findDrives())
        entries.push_back(
            {QString::fromStdString(drive.entryText()), QString::fromStdString(drive.source())});
    for (const QString& path : m_added)
        entries.push_back(addedEntry(path));
    return entries;
}

// An image or folder that can no longer be opened keeps its entry without a label, like
// an empty drive: the run then says why it cannot be read.
DriveList::Entry DriveList::addedEntry(const QString& path) const
{
    try {
        return {withLabel(nameOf(path), m_volumes.openVolume(path.toStdString())->facts().label),
                path};
    } catch (const Error&) {
        return {nameOf(path), path};
    }
}

void DriveList::show(const std::vector<Entry>& entries, const QString& selected)
{
    m_box.clear();
    for (const Entry& entry : entries)
        m_box.addItem(entry.text, entry.source);
    const int index = m_box.findData(selected);
    m_box.setCurrentIndex(index >= 0 ? index : m_box.count() - 1);
}

} // namespace tarvelo::app
