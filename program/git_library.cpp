#include "program/git_library.h"

#include <dlfcn.h>

namespace lumo::tool {

namespace {

struct Loaded {
    GitLibrary functions{};
    bool ok = false;
    std::string why;
};

template <typename Function>
bool bind(void* library, const char* name, Function& function, std::string& why) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr && why.empty()) why = std::string("no ") + name + " in it";
    return function != nullptr;
}

Loaded load() {
    Loaded loaded;
    // Never closed: libgit2 keeps threads' state and handlers until exit.
    void* library = dlopen(LUMOSPELL_LIBGIT2_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* error = dlerror();
        loaded.why = error != nullptr ? error : LUMOSPELL_LIBGIT2_SONAME;
        return loaded;
    }
    GitLibrary& f = loaded.functions;
    std::string& why = loaded.why;
    loaded.ok = bind(library, "git_libgit2_init", f.libgit2_init, why) &
                bind(library, "git_libgit2_shutdown", f.libgit2_shutdown, why) &
                bind(library, "git_repository_open_ext", f.repository_open_ext, why) &
                bind(library, "git_repository_workdir", f.repository_workdir, why) &
                bind(library, "git_repository_free", f.repository_free, why) &
                bind(library, "git_ignore_add_rule", f.ignore_add_rule, why) &
                bind(library, "git_ignore_path_is_ignored", f.ignore_path_is_ignored, why);
    if (!loaded.ok) why = std::string(LUMOSPELL_LIBGIT2_SONAME) + ": " + why;
    return loaded;
}

}  // namespace

const GitLibrary* git_library(std::string* why) {
    static const Loaded loaded = load();
    if (!loaded.ok && why != nullptr) *why = loaded.why;
    return loaded.ok ? &loaded.functions : nullptr;
}

}  // namespace lumo::tool
