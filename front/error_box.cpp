#include "error_box.h"

#include <cstdarg>

#include "message_box.h"

namespace lumo::front {

namespace {
MessageHandler message_handler = nullptr;
void* message_context = nullptr;
}  // namespace

void set_message_handler(MessageHandler handler, void* context) {
    message_handler = handler;
    message_context = handler != nullptr ? context : nullptr;
}

void showErrorBox(const char* format, ...) {
    char text[MessageBufferSize];
    va_list values;
    va_start(values, format);
    platform::format_message(text, sizeof text, format, values);
    va_end(values);
    if (message_handler != nullptr) {
        message_handler(text, "LumoSpell", message_context);
    } else {
        platform::show_message_box(text, "LumoSpell");
    }
}

}  // namespace lumo::front
