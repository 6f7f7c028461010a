// The engine's exports linked into a fuzz target and bound by name, as the
// front binds the library's by ordinal.
#pragma once

#include <cstring>

#include "engine_binding.h"
#include "lumospell/orthex.h"

namespace lumo::fuzz {

struct Export {
    const char* name;
    void* function;
};

inline const Export exports[] = {
    {"SpellVer", reinterpret_cast<void*>(&SpellVer)},
    {"SpellInit", reinterpret_cast<void*>(&SpellInit)},
    {"SpellOptions", reinterpret_cast<void*>(&SpellOptions)},
    {"SpellCheck", reinterpret_cast<void*>(&SpellCheck)},
    {"SpellTerminate", reinterpret_cast<void*>(&SpellTerminate)},
    {"SpellVerifyMdr", reinterpret_cast<void*>(&SpellVerifyMdr)},
    {"SpellOpenMdr", reinterpret_cast<void*>(&SpellOpenMdr)},
    {"SpellOpenUdr", reinterpret_cast<void*>(&SpellOpenUdr)},
    {"SpellAddUdr", reinterpret_cast<void*>(&SpellAddUdr)},
    {"SpellAddChangeUdr", reinterpret_cast<void*>(&SpellAddChangeUdr)},
    {"SpellDelUdr", reinterpret_cast<void*>(&SpellDelUdr)},
    {"SpellClearUdr", reinterpret_cast<void*>(&SpellClearUdr)},
    {"SpellGetSizeUdr", reinterpret_cast<void*>(&SpellGetSizeUdr)},
    {"SpellGetListUdr", reinterpret_cast<void*>(&SpellGetListUdr)},
    {"SpellCloseMdr", reinterpret_cast<void*>(&SpellCloseMdr)},
    {"SpellCloseUdr", reinterpret_cast<void*>(&SpellCloseUdr)},
};

inline int linked_engine;

inline lumo::platform::LibraryHandle load_linked(const char*) { return &linked_engine; }
inline void* find_linked(lumo::platform::LibraryHandle, int, const char* name) {
    for (const Export& e : exports)
        if (std::strcmp(e.name, name) == 0) return e.function;
    return nullptr;
}
inline void release_linked(lumo::platform::LibraryHandle) {}

inline const front::LibraryOps& linked_engine_ops() {
    static const front::LibraryOps ops = {load_linked, find_linked, release_linked};
    return ops;
}

}  // namespace lumo::fuzz
