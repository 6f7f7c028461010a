// How the front reaches the engine library: loading it and its sixteen
// entry points, in ordinal order.
#pragma once

#include "dynload.h"
#include "lumospell/orthex.h"

namespace lumo::front {

constexpr int EngineEntryPointCount = 16;

// Ordinals of the engine functions the front calls.
enum EngineOrdinal {
    OrdinalSpellInit = 2,
    OrdinalSpellOptions = 3,
    OrdinalSpellCheck = 4,
    OrdinalSpellTerminate = 5,
    OrdinalSpellVerifyMdr = 6,
    OrdinalSpellOpenMdr = 7,
    OrdinalSpellOpenUdr = 8,
    OrdinalSpellAddUdr = 9,
    OrdinalSpellAddChangeUdr = 10
};

// The system's library functions by default; tests put in fakes.
struct LibraryOps {
    platform::LibraryHandle (*load)(const char* path);
    void* (*find)(platform::LibraryHandle library, int ordinal, const char* name);
    void (*release)(platform::LibraryHandle library);
};

const LibraryOps& system_library_ops();

// Name of the engine function with this ordinal (1 to 16).
const char* engine_function_name(int ordinal);

struct EngineEntryPoints {
    void* slots[EngineEntryPointCount] = {};

    template <typename Function>
    Function* at(int ordinal) const {
        return reinterpret_cast<Function*>(slots[ordinal - 1]);
    }
};

}  // namespace lumo::front
