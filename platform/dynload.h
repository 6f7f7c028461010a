// Loading a shared library at run time and finding its functions.
#pragma once

namespace lumo::platform {

using LibraryHandle = void*;

// Null when the library cannot be loaded.
LibraryHandle load_library(const char* path);

// Finds an export: by its ordinal where the system has ordinals (Windows),
// otherwise by its name.  Null when there is none.
void* find_function(LibraryHandle library, int ordinal, const char* name);

void free_library(LibraryHandle library);

}  // namespace lumo::platform
