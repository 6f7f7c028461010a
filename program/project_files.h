// The files a command line names: files as given, directories walked the
// way the project's version control sees them, and globs.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "documents/text_encoding.h"

namespace lumo::tool {

struct ListedFile {
    std::string path;
    bool named = false;  // given on the command line: told when it looks binary
};

struct FileListing {
    std::vector<ListedFile> files;
    bool error = false;  // a directory could not be read, a glob matched nothing, ...
};

// Patterns in .gitignore's syntax as a .gitignore in folder would hold them.
struct IgnorePaths {
    std::string folder;  // empty: none apply
    std::vector<std::string> patterns;
};
// Those that apply from a directory on (its project's ignore_paths).
using ExtraIgnores = std::function<IgnorePaths(const std::string& directory)>;

// Expands each argument: a directory is walked (files git ignores and
// .lumospell-ignore patterns skipped, version-control folders and links
// not followed, binary files left out silently, special files skipped with
// a message), a glob ("*.md", "docs/**/*.txt") is matched against the files
// such a walk finds, anything else is kept as given. Walked files come
// sorted by path; extra_ignores is asked for the walk's start and each folder
// holding a .lumospell.toml. Messages go to err. Without sniff_binary the
// caller leaves out the binary files it is given unnamed (in parallel).
FileListing list_files(const std::vector<std::string>& arguments, const ExtraIgnores& extra_ignores,
                       std::FILE* err, bool sniff_binary = true);

}  // namespace lumo::tool
