#include "lsp/transport.h"

#include <errno.h>
#include <poll.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

namespace lumo::tool {

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t MaxHeaderBytes = 8192;

bool starts_with_nocase(const std::string& line, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return line.size() >= n && strncasecmp(line.c_str(), prefix, n) == 0;
}

// Where the next Content-Length header may start, from position from.
size_t find_length_header(const std::string& text, size_t from) {
    static const char Name[] = "content-length:";
    for (size_t i = from; i < text.size(); ++i) {
        size_t n = 0;
        while (n + 1 < sizeof Name && i + n < text.size() &&
               std::tolower(static_cast<unsigned char>(text[i + n])) == Name[n])
            ++n;
        if (n + 1 == sizeof Name || i + n == text.size()) return i;
    }
    return std::string::npos;
}

}  // namespace

FrameReader::Parse FrameReader::take(std::string& body) {
    if (discard_ > 0) {
        const size_t n = std::min(discard_, buffer_.size());
        buffer_.erase(0, n);
        discard_ -= n;
        if (discard_ > 0) return Parse::NeedMore;
    }
    if (skipping_) {
        skipping_ = false;
        return Parse::Skipped;
    }
    if (resync_) {
        // A partial name at the end is kept: the rest may come.
        const size_t next = find_length_header(buffer_, 0);
        const size_t drop = next == std::string::npos ? buffer_.size() : next;
        buffer_.erase(0, drop);
        skipped_ += drop;
        if (next == std::string::npos || buffer_.size() < 15) return Parse::NeedMore;
        resync_ = false;
        if (skipped_ > 0) return Parse::Skipped;
    }
    size_t end = buffer_.find("\r\n\r\n");
    size_t separator = 4;
    if (end == std::string::npos) {
        end = buffer_.find("\n\n");
        separator = 2;
    }
    if (end == std::string::npos) {
        // Junk without a header end: keep only what may start one.
        if (buffer_.size() > MaxHeaderBytes) {
            const size_t next = find_length_header(buffer_, 1);
            const size_t drop = next == std::string::npos ? buffer_.size() : next;
            buffer_.erase(0, drop);
            skipped_ += drop;
            if (next == std::string::npos) resync_ = true;
            return Parse::Skipped;
        }
        return Parse::NeedMore;
    }
    bool has_length = false;
    unsigned long long length = 0;
    size_t start = 0;
    while (start < end) {
        size_t stop = buffer_.find('\n', start);
        if (stop == std::string::npos || stop > end) stop = end;
        std::string line = buffer_.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (starts_with_nocase(line, "Content-Length:")) {
            const char* digits = line.c_str() + std::strlen("Content-Length:");
            while (*digits == ' ' || *digits == '\t') ++digits;
            char* after = nullptr;
            errno = 0;
            length = std::strtoull(digits, &after, 10);
            has_length = after != digits && errno == 0 && *digits != '-';
            while (has_length && (*after == ' ' || *after == '\t')) ++after;
            if (has_length && *after != '\0') has_length = false;
        }
        start = stop + 1;
    }
    const size_t body_start = end + separator;
    if (!has_length) {
        // Junk in front of a header: pass over the junk only.
        const size_t next = find_length_header(buffer_, 1);
        if (next != std::string::npos && next < end) {
            buffer_.erase(0, next);
            skipped_ += next;
            return Parse::Skipped;
        }
        // A header without a usable length: its body is junk too.
        buffer_.erase(0, body_start);
        skipped_ += body_start;
        resync_ = true;
        return Parse::Skipped;
    }
    if (length > max_body_) {
        skipped_ += body_start + static_cast<size_t>(length);
        buffer_.erase(0, body_start);
        discard_ = static_cast<size_t>(length);
        skipping_ = true;
        return take(body);
    }
    if (buffer_.size() - body_start < length) return Parse::NeedMore;
    body.assign(buffer_, body_start, static_cast<size_t>(length));
    buffer_.erase(0, body_start + static_cast<size_t>(length));
    return Parse::Complete;
}

bool FrameReader::fill(int timeout_ms, bool& timed_out) {
    timed_out = false;
    pollfd p{fd_, POLLIN, 0};
    int ready;
    do {
        ready = poll(&p, 1, timeout_ms);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        timed_out = true;
        return true;
    }
    if (ready < 0) return false;
    char chunk[65536];
    ssize_t n;
    do {
        n = read(fd_, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    // While passing over an oversized body, nothing of it is kept.
    size_t from = 0;
    if (discard_ > 0 && buffer_.empty()) {
        from = std::min(discard_, static_cast<size_t>(n));
        discard_ -= from;
    }
    buffer_.append(chunk + from, static_cast<size_t>(n) - from);
    return true;
}

FrameReader::Result FrameReader::next(std::string& body, int timeout_ms) {
    skipped_ = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const Parse parsed = take(body);
        if (parsed == Parse::Complete) return Result::Message;
        if (parsed == Parse::Skipped) return Result::Skipped;
        int wait = -1;
        if (timeout_ms >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            wait = static_cast<int>(std::max<long long>(0, left.count()));
        }
        bool timed_out = false;
        if (!fill(wait, timed_out)) return Result::Closed;
        if (timed_out) return Result::Timeout;
    }
}

bool write_frame(int fd, const std::string& body) {
    const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = write(fd, frame.data() + done, frame.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace lumo::tool
