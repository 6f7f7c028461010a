#include <dlfcn.h>

#include <algorithm>
#include <cstring>

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

void library_error_text(char* text, std::size_t size) {
    if (text == nullptr || size == 0) return;
    const char* reason = dlerror();
    if (reason == nullptr) reason = "";
    const std::size_t length = std::min(std::strlen(reason), size - 1);
    std::memcpy(text, reason, length);
    text[length] = '\0';
}

}  // namespace lumo::platform
