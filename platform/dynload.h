// Loading a shared library at run time and finding its functions.
#pragma once

#include <cstddef>

namespace lumo::platform {

using LibraryHandle = void*;

// Null when the library cannot be loaded.  On Windows a path that is not
// full is taken relative to the folder of the module holding this code,
// never the current folder or PATH.
LibraryHandle load_library(const char* path);

// Finds an export: by its ordinal where the system has ordinals (Windows),
// otherwise by its name.  Null when there is none.
void* find_function(LibraryHandle library, int ordinal, const char* name);

void free_library(LibraryHandle library);

// Why the last load_library of this thread failed, in the system's words,
// NUL-terminated within size bytes; empty when the system does not say.
void library_error_text(char* text, std::size_t size);

}  // namespace lumo::platform
