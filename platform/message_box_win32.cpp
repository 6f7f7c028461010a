#include <windows.h>

#include <algorithm>
#include <cstring>

#include "message_box.h"

namespace lumo::platform {

namespace {
// wvsprintfA never writes more than this many characters and the NUL.
constexpr std::size_t FormatterLimit = 1024;
}  // namespace

void format_message(char* buffer, std::size_t size, const char* format, std::va_list values) {
    if (buffer == nullptr || size == 0) return;
    buffer[0] = '\0';
    if (format == nullptr) return;
    if (size > FormatterLimit) {
        if (wvsprintfA(buffer, format, values) < 0) buffer[0] = '\0';
        return;
    }
    // A smaller buffer gets the formatter's result cut to fit.
    char text[FormatterLimit + 1];
    if (wvsprintfA(text, format, values) < 0) return;
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

void show_message_box(const char* text, const char* caption) {
    MessageBoxA(nullptr, text != nullptr ? text : "", caption != nullptr ? caption : "", MB_OK);
}

}  // namespace lumo::platform
