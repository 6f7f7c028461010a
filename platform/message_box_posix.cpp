#include <cstdio>

#include "message_box.h"

namespace lumo::platform {

void format_message(char* buffer, std::size_t size, const char* format, std::va_list values) {
    if (buffer == nullptr || size == 0) return;
    if (format == nullptr || std::vsnprintf(buffer, size, format, values) < 0) buffer[0] = '\0';
}

void show_message_box(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

}  // namespace lumo::platform
