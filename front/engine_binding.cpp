#include "engine_binding.h"

namespace lumo::front {

const LibraryOps& system_library_ops() {
    static const LibraryOps ops = {platform::load_library, platform::find_function,
                                   platform::free_library};
    return ops;
}

const char* engine_function_name(int ordinal) {
    static const char* const names[EngineEntryPointCount] = {ORTHEX_EXPORT_NAMES};
    if (ordinal < 1 || ordinal > EngineEntryPointCount) return nullptr;
    return names[ordinal - 1];
}

}  // namespace lumo::front
