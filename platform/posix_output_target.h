// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tarvelo::platform {

// What a report path names on this host, symbolic links followed: where a report may go
// and how it gets there.
struct OutputTarget
{
    enum class Kind
    {
        NewFile,     // nothing there yet: a file is made
        RegularFile, // an existing file, replaced as a whole once the report is complete
        Folder,      // never written
        Stream,      // a terminal, FIFO, socket, character device or descriptor alias such
                     // as /dev/stdout: written straight through, nothing is replaced
        BlockDevice, // written straight through, but its contents are lost: it exists
    };

    Kind kind = Kind::NewFile;
    // For files, the end of the link chain: the folder that receives the temporary file
    // and the name it is renamed to, so a link to the report stays a link.
    std::string path;
};

// Raises an error with the system's reason when the path cannot be resolved (a missing
// folder on the way, a loop of links).
OutputTarget resolveOutputTarget(const std::string& path);

// The folder part of a path ("." for a bare name).
std::string folderOf(const std::string& path);

} // namespace tarvelo::platform
