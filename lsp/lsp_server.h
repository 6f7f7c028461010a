// The language server: the protocol's methods over its transport
// (lsp/transport.h), diagnostics for the open documents (lsp/diagnostics.h)
// and code actions that correct, add or ignore a word.
#pragma once

#include <cstddef>
#include <string>

namespace lumo::tool {

struct ServerOptions {
    int debounce_ms = 5;
    size_t max_message_bytes = 32u << 20;
    size_t max_document_bytes = 8u << 20;
    // Diagnostics published per document; one more tells how many are not.
    size_t max_diagnostics = 100;
    // The dictionaries until the client's settings name others; empty: the defaults.
    std::string main_dict;
    std::string user_dict;
    std::string language;  // --lang; empty: the locale's
};

// Serves until exit or the end of input; returns the exit code: 0 after
// shutdown and exit, 1 otherwise.
int serve_lsp(int in_fd, int out_fd, const ServerOptions& options);

}  // namespace lumo::tool
