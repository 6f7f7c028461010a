// The Windows test programs' harness: counted checks that say what failed,
// and a deadline per step that ends the program when the step blocks (a
// window nobody answers), so that a test fails instead of hanging.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <type_traits>

namespace wincheck {

inline int passed = 0;
inline int failed = 0;
inline const char* group = "";

inline std::string shown(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out + "\"";
}

inline std::string shown(const std::wstring& text) {
    std::string out = "L\"";
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'"' && c != L'\\') {
            out += static_cast<char>(c);
        } else {
            char escape[12];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out + "\"";
}

template <typename Number,
          typename = std::enable_if_t<std::is_arithmetic_v<Number> || std::is_enum_v<Number>>>
std::string shown(Number value) {
    return std::to_string(static_cast<long long>(value));
}

inline std::string shown(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

inline bool record(bool ok, const std::string& what, const char* file, int line) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED [%s] %s:%d: %s\n", group, file, line, what.c_str());
        std::fflush(stdout);
    }
    return ok;
}

template <typename Actual, typename Expected>
bool record_equal(const Actual& actual, const Expected& expected, const char* what,
                  const char* file, int line) {
    const bool ok = actual == expected;
    return record(
        ok, ok ? "" : std::string(what) + " is " + shown(actual) + ", expected " + shown(expected),
        file, line);
}

// Prints the closing line and gives the exit code.
inline int summary(const char* program) {
    std::printf("%s: %d passed, %d failed\n", program, passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}

// Ends the whole program, as failed, unless destroyed within the time.
class Deadline {
public:
    Deadline(const char* step, DWORD seconds) : step_(step), milliseconds_(seconds * 1000) {
        group = step;
        done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, watch, this, 0, nullptr);
    }
    ~Deadline() {
        SetEvent(done_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(done_);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    static DWORD WINAPI watch(void* self) {
        const auto* deadline = static_cast<const Deadline*>(self);
        if (WaitForSingleObject(deadline->done_, deadline->milliseconds_) == WAIT_TIMEOUT) {
            std::printf("FAILED [%s]: not finished within %lu s (a window left unanswered?)\n",
                        deadline->step_,
                        static_cast<unsigned long>(deadline->milliseconds_ / 1000));
            ++failed;
            std::printf("timed out: %d passed, %d failed\n", passed, failed);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    const char* step_;
    DWORD milliseconds_;
    HANDLE done_;
    HANDLE thread_;
};

}  // namespace wincheck

#define CHECK(condition) wincheck::record((condition), #condition, __FILE__, __LINE__)
#define CHECK_EQ(actual, expected) \
    wincheck::record_equal((actual), (expected), #actual, __FILE__, __LINE__)
