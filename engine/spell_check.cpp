#include "engine.h"

namespace lumo::engine {

void Engine::check(uint32_t /*command*/, SpellInputBuffer* /*input*/, SpellReturnBuffer* /*output*/) {}

}  // namespace lumo::engine
