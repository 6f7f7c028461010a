#include <dlfcn.h>

#include "dynload.h"

namespace lumo::platform {

LibraryHandle load_library(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* find_function(LibraryHandle library, int /*ordinal*/, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return dlsym(library, name);
}

void free_library(LibraryHandle library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace lumo::platform
