// libgit2, loaded on the first directory walk rather than linked: the
// commands that walk no directory (`list`, the pipe, the language server)
// then never map it and the dozen libraries it brings (TLS, SSH, Kerberos),
// which were most of their start-up memory.
#pragma once

#include <git2.h>

#include <string>

namespace lumo::tool {

struct GitLibrary {
    decltype(&git_libgit2_init) libgit2_init;
    decltype(&git_libgit2_shutdown) libgit2_shutdown;
    decltype(&git_repository_open_ext) repository_open_ext;
    decltype(&git_repository_workdir) repository_workdir;
    decltype(&git_repository_free) repository_free;
    decltype(&git_ignore_add_rule) ignore_add_rule;
    decltype(&git_ignore_path_is_ignored) ignore_path_is_ignored;
};

// Loaded once for the process; nullptr, with why, when it cannot be.
const GitLibrary* git_library(std::string* why);

}  // namespace lumo::tool
