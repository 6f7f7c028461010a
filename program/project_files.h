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

// Expands each argument: a directory is walked (files git ignores and
// .lumospell-ignore patterns skipped, version-control folders and links
// not followed, binary files left out silently, special files skipped with
// a message), a glob ("*.md", "docs/**/*.txt") is matched, anything else is
// kept as given. Walked files come sorted by path; extra_ignores(root) gives
// more patterns in .gitignore's syntax for a walk from root. Messages go to err.
using ExtraIgnores = std::function<std::vector<std::string>(const std::string& root)>;
FileListing list_files(const std::vector<std::string>& arguments, const ExtraIgnores& extra_ignores,
                       std::FILE* err);

}  // namespace lumo::tool
