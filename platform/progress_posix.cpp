#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/shift_jis.h"
#include "progress.h"

namespace lumo::platform {

namespace {

volatile sig_atomic_t interrupt_requested = 0;

extern "C" void note_interrupt(int) { interrupt_requested = 1; }

// Converts Shift-JIS text to the character set of the user's locale (taken
// from the environment, without touching the process locale).
class TerminalText {
public:
    TerminalText() {
        char codeset[64] = "UTF-8";
        locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (locale != static_cast<locale_t>(nullptr)) {
            const char* name = nl_langinfo_l(CODESET, locale);
            // Plain ASCII would turn every Japanese character into '?';
            // terminals left in the C locale nearly always take UTF-8.
            if (name != nullptr && *name != '\0' && std::strcmp(name, "ANSI_X3.4-1968") != 0)
                std::snprintf(codeset, sizeof codeset, "%s", name);
            freelocale(locale);
        }
        converter_ = iconv_open(codeset, "CP932");
        if (converter_ == reinterpret_cast<iconv_t>(-1))
            converter_ = iconv_open(codeset, "SHIFT_JIS");
    }
    ~TerminalText() {
        if (converter_ != reinterpret_cast<iconv_t>(-1)) iconv_close(converter_);
    }
    TerminalText(const TerminalText&) = delete;
    TerminalText& operator=(const TerminalText&) = delete;

    // Appends the converted bytes of text[0..length) to out, which holds
    // used of its capacity bytes; returns the new used count.  Characters
    // that cannot be converted become '?'.
    size_t append(const char* text, size_t length, char* out, size_t used, size_t capacity) {
        const bool usable = converter_ != reinterpret_cast<iconv_t>(-1);
        if (usable) iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text);
        size_t in_left = length;
        while (in_left > 0 && used < capacity) {
            if (usable) {
                char* dest = out + used;
                size_t dest_left = capacity - used;
                const size_t done = iconv(converter_, &in, &in_left, &dest, &dest_left);
                used = static_cast<size_t>(dest - out);
                if (done != static_cast<size_t>(-1) || errno == E2BIG) break;
            } else if (static_cast<unsigned char>(*in) < 0x80) {
                out[used++] = *in++;
                --in_left;
                continue;
            }
            const size_t skip =
                lumo::common::is_shift_jis_lead_byte(static_cast<unsigned char>(*in)) && in_left > 1
                    ? 2
                    : 1;
            in += skip;
            in_left -= skip;
            if (used < capacity) out[used++] = '?';
        }
        return used;
    }

private:
    iconv_t converter_;
};

// The user's character set is read once, at the first display or message.
TerminalText& terminal_text() {
    static TerminalText text;
    return text;
}

void write_to_stderr(const char* bytes, size_t length) {
    std::fwrite(bytes, 1, length, stderr);
    std::fflush(stderr);
}

enum class Mode { Closed, Terminal, Silent };

struct Display {
    Mode mode = Mode::Closed;
    void (*on_cancel)() = nullptr;
    struct sigaction previous_interrupt;
    bool interrupt_handled = false;
    char caption[256];
    size_t caption_length = 0;
};

Display display;

void draw_line(const char* status) {
    char line[512];
    size_t used = 0;
    line[used++] = '\r';
    std::memcpy(line + used, display.caption, display.caption_length);
    used += display.caption_length;
    if (status != nullptr) {
        line[used++] = ' ';
        used = terminal_text().append(status, std::strlen(status), line, used, sizeof line - 8);
    }
    // Clear what a longer earlier text left on the line.
    std::memcpy(line + used, "\x1b[K", 3);
    write_to_stderr(line, used + 3);
}

void open_terminal(const char* caption) {
    // Ctrl-C asks to cancel only while the display is open; a process that
    // ignores interrupts (started in the background) keeps ignoring them.
    interrupt_requested = 0;
    display.interrupt_handled = false;
    if (sigaction(SIGINT, nullptr, &display.previous_interrupt) == 0 &&
        (display.previous_interrupt.sa_flags & SA_SIGINFO ||
         display.previous_interrupt.sa_handler != SIG_IGN)) {
        struct sigaction handler;
        std::memset(&handler, 0, sizeof handler);
        handler.sa_handler = note_interrupt;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        display.interrupt_handled = sigaction(SIGINT, &handler, nullptr) == 0;
    }
    display.caption_length = terminal_text().append(caption, std::strlen(caption), display.caption,
                                                    0, sizeof display.caption);
    draw_line(nullptr);
}

bool is_open(ProgressHandle dialog) { return dialog == &display && display.mode != Mode::Closed; }

}  // namespace

ProgressHandle create_progress_dialog(void* /*owner*/, const char* caption, void (*on_cancel)()) {
    if (display.mode != Mode::Closed) return nullptr;
    display.on_cancel = on_cancel;
    if (isatty(STDERR_FILENO)) {
        display.mode = Mode::Terminal;
        open_terminal(caption != nullptr ? caption : "");
    } else {
        display.mode = Mode::Silent;
    }
    return &display;
}

bool progress_dialog_exists(ProgressHandle dialog) { return is_open(dialog); }

bool dispatch_progress_message(ProgressHandle dialog) {
    if (!is_open(dialog)) return false;
    bool cancel = false;
    if (display.mode == Mode::Terminal && interrupt_requested) {
        interrupt_requested = 0;
        cancel = true;
    }
    if (!cancel) return false;
    if (display.on_cancel != nullptr) display.on_cancel();
    return true;
}

void set_progress_text(ProgressHandle dialog, const char* text) {
    if (!is_open(dialog) || text == nullptr) return;
    if (display.mode == Mode::Terminal) draw_line(text);
}

void destroy_progress_dialog(ProgressHandle dialog) {
    if (!is_open(dialog)) return;
    const Mode mode = display.mode;
    display.mode = Mode::Closed;
    if (mode == Mode::Terminal) {
        if (display.interrupt_handled) sigaction(SIGINT, &display.previous_interrupt, nullptr);
        display.interrupt_handled = false;
        interrupt_requested = 0;
        write_to_stderr("\r\x1b[K", 4);
    }
}

void enable_owner_window(void* /*owner*/, bool /*enable*/) {}

void show_cannot_open(void* /*owner*/, const char* message, const char* path) {
    if (message == nullptr) return;
    TerminalText& text = terminal_text();
    char line[8192];
    const size_t capacity = sizeof line - 1;
    const char* inside = path != nullptr && *path != '\0' ? std::strstr(message, path) : nullptr;
    size_t used = 0;
    if (inside == nullptr) {
        used = text.append(message, std::strlen(message), line, used, capacity);
    } else {
        const size_t path_length = std::strlen(path);
        used = text.append(message, static_cast<size_t>(inside - message), line, used, capacity);
        const size_t room = capacity - used < path_length ? capacity - used : path_length;
        std::memcpy(line + used, path, room);
        used += room;
        const char* rest = inside + path_length;
        used = text.append(rest, std::strlen(rest), line, used, capacity);
    }
    line[used++] = '\n';
    write_to_stderr(line, used);
}

}  // namespace lumo::platform
