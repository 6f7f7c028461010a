// The front's error messages: formatted as the Windows formatter would and
// shown under the caption "LumoSpell" before the failing call returns.
#pragma once

#include <cstddef>

#include "lumospell/orthbridge.h"

namespace lumo::front {

constexpr std::size_t MessageBufferSize = 4096;

// The host's handler, with the public header's calling convention.
using MessageHandler = LumoSpellMessageHandler;

// A null handler restores the platform's message box.
void set_message_handler(MessageHandler handler, void* context);

// Only %d (signed decimal) and %x (lower-case hexadecimal) of int values
// and %s are used.  The platform formats them: wvsprintfA on Windows, elsewhere
// snprintf, which writes them the same way.
void showErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace lumo::front
