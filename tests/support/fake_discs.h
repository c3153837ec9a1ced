// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "platform/optical_drives.h"
#include "platform/volume.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {

// Drives as sysfs and /dev show them, laid out in a temporary folder.
class FakeDriveTree
{
public:
    // A block device with its SCSI device type, and its node under dev/ when wanted.
    void addBlockDevice(const std::string& name, int scsiType, bool withNode = true)
    {
        m_dir.write("sys/block/" + name + "/device/type", std::to_string(scsiType) + "\n");
        if (withNode) m_dir.write("dev/" + name, "");
    }

    const std::filesystem::path& root() const noexcept { return m_dir.path(); }

private:
    TempDir m_dir;
};

// Answers "disc present" for the device nodes named, and remembers what it was asked.
class FakeDiscProbe final : public platform::DiscProbe
{
public:
    explicit FakeDiscProbe(std::set<std::string> nodesWithDisc) : m_withDisc(std::move(nodesWithDisc)) {}

    bool discPresent(const std::filesystem::path& deviceNode) const override
    {
        m_asked.push_back(deviceNode);
        return m_withDisc.count(deviceNode.filename().string()) != 0;
    }

    const std::vector<std::filesystem::path>& asked() const noexcept { return m_asked; }

private:
    std::set<std::string> m_withDisc;
    mutable std::vector<std::filesystem::path> m_asked;
};

// A disc with its facts and nothing on it but the root folder.
class EmptyDisc final : public platform::Volume
{
public:
    explicit EmptyDisc(platform::VolumeFacts facts) : m_facts(std::move(facts)) {}

    platform::VolumeFacts facts() const override { return m_facts; }
    std::string rootPath() const override { return "D:\\"; }
    char separator() const override { return '\\'; }
    std::vector<platform::FolderEntry> listFolder(const std::string&) const override { return {}; }
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override
    {
        throw Error(ErrorNumber::FileNotFound, path + ": no such file");
    }

private:
    platform::VolumeFacts m_facts;
};

// Opens the empty discs it holds by source; any other source is not ready.
class FakeDiscOpener final : public platform::VolumeOpener
{
public:
    void insert(const std::string& source, platform::VolumeFacts facts) { m_discs[source] = std::move(facts); }

    std::unique_ptr<platform::Volume> openVolume(const std::string& source) const override
    {
        const auto disc = m_discs.find(source);
        if (disc == m_discs.end()) throw Error(ErrorNumber::DiskNotReady, source + ": no disc");
        return std::make_unique<EmptyDisc>(disc->second);
    }

private:
    std::map<std::string, platform::VolumeFacts> m_discs;
};

} // namespace tarvelo::test
