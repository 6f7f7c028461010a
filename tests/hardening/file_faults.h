// Link-time wrappers of the C library's file calls (fopen, fgets, fflush,
// fclose, unlink) that fail on request for one chosen file, so that each
// file operation of a build can be made to fail in turn.
#pragma once

#include <string>

namespace lumo::test {

struct FileFaults {
    std::string path;           // the file the faults apply to
    bool fail_open = false;     // fopen of path returns null (EACCES)
    int fail_read_after = -1;   // fgets on path fails after this many pieces
    bool fail_flush = false;    // fflush of path's stream fails (EIO)
    bool fail_close = false;    // fclose of path's stream closes but reports EIO
    bool fail_unlink = false;   // unlink of path fails (EACCES)
};

// Arms the wrappers; a default FileFaults disarms them.
void arm_file_faults(const FileFaults& faults);

// Descriptors this process has open now.
int open_descriptor_count();

}  // namespace lumo::test
