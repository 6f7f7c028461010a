#include <cstdio>

#include "message_box.h"

namespace lumo::platform {

void show_message_box(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

}  // namespace lumo::platform
