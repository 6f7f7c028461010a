// The language server: JSON-RPC 2.0 messages with Content-Length headers
// over two file descriptors, diagnostics for the open documents and code
// actions that correct, add or ignore a word.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace lumo::tool {

// Messages from the client, one body at a time.
class FrameReader {
public:
    enum class Result { Message, Timeout, Skipped, Closed };

    FrameReader(int fd, size_t max_body) : fd_(fd), max_body_(max_body) {}

    // The next body, waiting at most timeout_ms (negative: without end).
    // Skipped: a header without a usable length, or a body longer than
    // max_body, which is read past without being kept.
    Result next(std::string& body, int timeout_ms);

    // Puts bytes back in front of what is still unread: the start of a
    // message that a too-long Content-Length made part of the last body.
    void unread(const std::string& bytes) { buffer_.insert(0, bytes); }

private:
    enum class Parse { Complete, NeedMore, Skipped };
    Parse take(std::string& body);
    // False at the end of input or on a read error.
    bool fill(int timeout_ms, bool& timed_out);

    int fd_;
    size_t max_body_;
    std::string buffer_;
    size_t discard_ = 0;  // bytes of an oversized body still to pass over
    bool skipping_ = false;
};

struct ServerOptions {
    int debounce_ms = 5;
    size_t max_message_bytes = 32u << 20;
    size_t max_document_bytes = 8u << 20;
    // The dictionaries until the client's settings name others; empty: the defaults.
    std::string main_dict;
    std::string user_dict;
};

// Serves until exit or the end of input; returns the exit code: 0 after
// shutdown and exit, 1 otherwise.
int serve_lsp(int in_fd, int out_fd, const ServerOptions& options);

}  // namespace lumo::tool
