// The one rule of every exported function: its file checks the caller's
// arguments, then runs the work through guarded, so that nothing throws
// past a C export; an exception becomes the function's failure answer.
#pragma once

#include <type_traits>

namespace lumo::common {

// on_failure takes the type that work returns.
template <typename Work>
std::invoke_result_t<Work&> guarded(std::invoke_result_t<Work&> on_failure, Work work) noexcept {
    try {
        return work();
    } catch (...) {
        return on_failure;
    }
}

template <typename Work>
void guarded(Work work) noexcept {
    try {
        work();
    } catch (...) {}
}

}  // namespace lumo::common
