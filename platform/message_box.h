// Formatting an error message and showing it to the user until it was seen.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace lumo::platform {

// Formats as the system's message formatter does (wvsprintfA on Windows,
// which writes at most 1024 characters; vsnprintf elsewhere).  The result
// is always NUL-terminated within size bytes; empty when formatting fails.
void format_message(char* buffer, std::size_t size, const char* format, std::va_list values);

// Presents text under the caption; returns once the user has seen it.
void show_message_box(const char* text, const char* caption);

}  // namespace lumo::platform
