// The protocol's transport: JSON-RPC bodies framed by Content-Length
// headers over two file descriptors.
#pragma once

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

    // After a body that was no message: what follows it up to the next
    // Content-Length header is passed over, so that one bad frame costs
    // only itself.
    void resynchronise() { resync_ = true; }

    // Bytes passed over by the last Skipped.
    size_t skipped_bytes() const { return skipped_; }

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
    bool resync_ = false;
    size_t skipped_ = 0;
};

// Writes body as one message; false when the output is gone.
bool write_frame(int fd, const std::string& body);

}  // namespace lumo::tool
