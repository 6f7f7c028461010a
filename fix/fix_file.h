// Reading a file to correct and writing it back so that nothing that
// stops the program half-way can leave it damaged.
#pragma once

#include <sys/types.h>

#include <string>

namespace lumo::tool {

struct FileSnapshot {
    std::string bytes;
    mode_t mode = 0;
};

// Reads a regular file the program may write; false with a message
// ("No such file or directory", "not writable: ...") in error.
bool read_for_fixing(const std::string& path, FileSnapshot& snapshot, std::string& error);

// Whether the file on disk still holds what was read.
bool unchanged_on_disk(const std::string& path, const FileSnapshot& snapshot);

// Writes text in place of the file: the bytes on disk go to path.bak, the
// new ones to a temporary file in the same folder that is renamed over the
// file, with its permissions.  The signals that end the program wait until
// both renames are done.  A link stays a link to the new content.  False with a message in error;
// the file is then as it was.
bool write_fixed(const std::string& path, const FileSnapshot& snapshot, const std::string& text,
                 std::string& error);

}  // namespace lumo::tool
