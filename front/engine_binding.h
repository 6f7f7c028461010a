// How the front reaches the engine library: loading it and its sixteen
// entry points, in ordinal order.
#pragma once

#include <cstdint>
#include <type_traits>

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

// The engine functions the front calls, spelled out with the public
// header's calling convention; the asserts keep them equal to the header.
using SpellInitFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t*, void*);
using SpellOptionsFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, uint32_t);
using SpellCheckFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, uint32_t, SpellInputBuffer*,
                                                     SpellReturnBuffer*);
using SpellTerminateFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, uint32_t);
using SpellVerifyMdrFunction = uint16_t(LUMOSPELL_CALL*)(const char*, uint16_t, uint16_t*);
using SpellOpenMdrFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, const char*, const char*, int, int,
                                                       uint16_t, void*);
using SpellOpenUdrFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, const char*, int, uint16_t,
                                                       uint32_t*, int*);
using SpellAddUdrFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, uint32_t, const char*);
using SpellAddChangeUdrFunction = uint16_t(LUMOSPELL_CALL*)(uint32_t, uint32_t, const char*,
                                                            const char*);
static_assert(std::is_same_v<SpellInitFunction, decltype(&SpellInit)>);
static_assert(std::is_same_v<SpellOptionsFunction, decltype(&SpellOptions)>);
static_assert(std::is_same_v<SpellCheckFunction, decltype(&SpellCheck)>);
static_assert(std::is_same_v<SpellTerminateFunction, decltype(&SpellTerminate)>);
static_assert(std::is_same_v<SpellVerifyMdrFunction, decltype(&SpellVerifyMdr)>);
static_assert(std::is_same_v<SpellOpenMdrFunction, decltype(&SpellOpenMdr)>);
static_assert(std::is_same_v<SpellOpenUdrFunction, decltype(&SpellOpenUdr)>);
static_assert(std::is_same_v<SpellAddUdrFunction, decltype(&SpellAddUdr)>);
static_assert(std::is_same_v<SpellAddChangeUdrFunction, decltype(&SpellAddChangeUdr)>);

struct EngineEntryPoints {
    void* slots[EngineEntryPointCount] = {};

    // FunctionPointer: one of the types above.
    template <typename FunctionPointer>
    FunctionPointer at(int ordinal) const {
        return reinterpret_cast<FunctionPointer>(slots[ordinal - 1]);
    }
};

}  // namespace lumo::front
