// Loading a shared library at run time and finding its functions.
#pragma once

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

}  // namespace lumo::platform
