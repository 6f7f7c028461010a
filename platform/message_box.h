// Showing an error message to the user and waiting until it was seen.
#pragma once

namespace lumo::platform {

// Presents text under the caption; returns once the user has seen it.
void show_message_box(const char* text, const char* caption);

}  // namespace lumo::platform
