#include <windows.h>

#include "dynload.h"

namespace lumo::platform {

LibraryHandle load_library(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    return LoadLibraryA(path);
}

void* find_function(LibraryHandle library, int ordinal, const char* name) {
    if (library == nullptr) return nullptr;
    const HMODULE module = static_cast<HMODULE>(library);
    FARPROC function = nullptr;
    // An ordinal is a 16-bit number passed in place of the name's address.
    if (ordinal >= 1 && ordinal <= 0xFFFF) {
        function = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    } else if (name != nullptr) {
        function = GetProcAddress(module, name);
    }
    return reinterpret_cast<void*>(function);
}

void free_library(LibraryHandle library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace lumo::platform
