#include "fix/fix_screen.h"

#define NCURSES_WIDECHAR 1
#include <langinfo.h>
#include <ncurses.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>

namespace lumo::tool {

volatile int fix_stop_signal = 0;

namespace {

const char* const Keys =
    "1-9,0 pick  r type  R all  i/I ignore  a/l/p add  u undo  x save  q quit  ? help";

const char* const Help[] = {
    "1..9, 0   replace with that suggestion",
    "r         type a replacement: the word is given to edit, Ctrl-U clears it,",
    "          Enter takes it, Escape cancels",
    "R         the same for this and every later occurrence",
    "i         ignore this once",
    "I         ignore it always (this session)",
    "a         add it to the user dictionary",
    "l         add it in lower case",
    "p         add it to the project's words (its .lumospell.toml's first word list)",
    "u         undo the last decision (the bottom line says what)",
    "x         save the file (FILE.bak keeps the old one), go on",
    "q         quit without saving",
    "?         this help; any key goes back",
};

// The bytes of the file shown on screen: in the locale's characters, each
// control character as one blank or '?'.
std::wstring displayed(std::string_view bytes, FileEncoding encoding) {
    OutputConverter converter(encoding, nl_langinfo(CODESET));
    const std::string shown = converter.convert(bytes);
    std::wstring wide;
    std::mbstate_t state{};
    const char* p = shown.data();
    const char* end = p + shown.size();
    while (p < end) {
        wchar_t c;
        const size_t n = std::mbrtowc(&c, p, static_cast<size_t>(end - p), &state);
        if (n == 0 || n > static_cast<size_t>(end - p)) {
            wide.push_back(L'?');
            state = std::mbstate_t{};
            ++p;
            continue;
        }
        if (c == L'\t')
            c = L' ';
        else if (c < 0x20 || c == 0x7F)
            c = L'?';
        wide.push_back(c);
        p += n;
    }
    return wide;
}

int width_of(wchar_t c) {
    const int w = wcwidth(c);
    return w < 0 ? 1 : w;
}

// The part of text that fits in width columns, from its start or (tail)
// from its end.
std::wstring fit(const std::wstring& text, int width, bool tail) {
    std::wstring out;
    int used = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        const wchar_t c = tail ? text[text.size() - 1 - k] : text[k];
        used += width_of(c);
        if (used > width) break;
        out.push_back(c);
    }
    if (tail) std::reverse(out.begin(), out.end());
    return out;
}

void put(int row, int col, const std::wstring& text, attr_t attributes = A_NORMAL) {
    if (row < 0 || row >= LINES || col >= COLS) return;
    attron(attributes);
    mvaddnwstr(row, col, fit(text, COLS - col, false).c_str(), -1);
    attroff(attributes);
}

std::wstring wide_of(const std::string& text) { return displayed(text, FileEncoding::Utf8); }

size_t line_start(std::string_view text, size_t offset) {
    while (offset > 0 && text[offset - 1] != '\n') --offset;
    return offset;
}

size_t line_end(std::string_view text, size_t offset) {
    const size_t nl = text.find('\n', offset);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    if (end > offset && text[end - 1] == '\r') --end;
    return end;
}

}  // namespace

bool FixScreen::open() {
    if (open_) return true;
    if (newterm(nullptr, stdout, stdin) == nullptr) return false;
    open_ = true;
    // Not raw: Ctrl-C stays a signal, so that it works while fix waits
    // on anything; at a prompt it is read as the key it always was.
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(50);
    timeout(250);
    curs_set(0);
    return true;
}

void FixScreen::close() {
    if (!open_) return;
    endwin();
    delscreen(set_term(nullptr));
    open_ = false;
}

void FixScreen::draw_bottom(const std::string& text) {
    move(LINES - 1, 0);
    clrtoeol();
    put(LINES - 1, 0, wide_of(text), A_BOLD);
}

void FixScreen::draw(const FixView& v) {
    last_ = &v;
    erase();
    if (LINES < 3 || COLS < 10) {
        put(0, 0, L"terminal too small");
        refresh();
        return;
    }
    const size_t shown_offset = std::min(v.offset, v.text.size());
    const size_t line_number =
        1 + static_cast<size_t>(std::count(v.text.begin(), v.text.begin() + shown_offset, '\n'));
    std::string header = v.file_name;
    if (v.file_count > 1)
        header +=
            " (" + std::to_string(v.file_index + 1) + "/" + std::to_string(v.file_count) + ")";
    if (!v.at_end) header += "  line " + std::to_string(line_number);
    if (!v.language.empty()) header += "  " + v.language;
    attron(A_REVERSE);
    mvhline(0, 0, ' ', COLS);
    attroff(A_REVERSE);
    put(0, 0, wide_of(header), A_REVERSE);

    // Suggestions in columns, then as many lines of context as fit.
    int item_width = 4;
    for (const std::string& s : v.suggestions)
        item_width = std::max<int>(item_width, static_cast<int>(wide_of(s).size()) + 5);
    const int per_row = std::max(1, COLS / item_width);
    const int needed = static_cast<int>((v.suggestions.size() + per_row - 1) / per_row);
    const int room = LINES - 2;
    const int suggestion_rows = std::min(needed, std::max(0, room - 1));
    const int context_rows = std::max(1, room - suggestion_rows - (room - suggestion_rows > 2));
    if (!v.at_end) {
        const size_t start = line_start(v.text, shown_offset);
        const size_t end = line_end(v.text, shown_offset + v.length);
        const int middle = 1 + (context_rows - 1) / 2;
        // The word's line: its start shown only when the word stays in view.
        // Of a very long line only what can be shown is converted.
        size_t from = std::max(start, shown_offset - std::min<size_t>(shown_offset, 4 * COLS));
        while (from > start && from < shown_offset && v.encoding == FileEncoding::Utf8 &&
               (static_cast<unsigned char>(v.text[from]) & 0xC0) == 0x80)
            ++from;
        const std::wstring before = displayed(v.text.substr(from, shown_offset - from), v.encoding);
        const std::wstring word = displayed(v.text.substr(shown_offset, v.length), v.encoding);
        const size_t after_bytes = std::min<size_t>(end - shown_offset - v.length, 4 * COLS);
        const std::wstring after =
            displayed(v.text.substr(shown_offset + v.length, after_bytes), v.encoding);
        // The whole start when it fits beside the word and some of what
        // follows; else its end, marked as cut.
        int word_width = 0, before_width = 0, after_width = 0;
        for (wchar_t c : word) word_width += width_of(c);
        for (wchar_t c : before) before_width += width_of(c);
        for (wchar_t c : after) after_width += width_of(c);
        const int lead_room =
            std::max(COLS / 3, COLS - word_width - std::min(after_width, COLS / 3));
        const bool cut = from > start || before_width > lead_room;
        const std::wstring lead =
            cut ? L"..." + fit(before, std::max(0, lead_room - 3), true) : before;
        put(middle, 0, lead);
        int col = 0;
        for (wchar_t c : lead) col += width_of(c);
        put(middle, col, word, A_REVERSE | A_BOLD);
        for (wchar_t c : word) col += width_of(c);
        put(middle, col, after);
        size_t up = start;
        for (int row = middle - 1; row >= 1 && up > 0; --row) {
            const size_t s = line_start(v.text, up - 1);
            put(row, 0,
                displayed(v.text.substr(s, std::min<size_t>(line_end(v.text, s) - s, 4 * COLS)),
                          v.encoding));
            up = s;
        }
        size_t down = v.text.find('\n', shown_offset + v.length);
        for (int row = middle + 1; row <= context_rows && down != std::string_view::npos; ++row) {
            const size_t s = down + 1;
            put(row, 0,
                displayed(v.text.substr(s, std::min<size_t>(line_end(v.text, s) - s, 4 * COLS)),
                          v.encoding));
            down = v.text.find('\n', s);
        }
    }
    const int first_row = LINES - 1 - suggestion_rows;
    for (size_t k = 0; k < v.suggestions.size(); ++k) {
        const int row = first_row + static_cast<int>(k) / per_row;
        if (row >= LINES - 1) break;
        const std::string item = std::to_string((k + 1) % 10) + " " + v.suggestions[k];
        put(row, static_cast<int>(k % per_row) * item_width, wide_of(item));
    }
    draw_bottom(v.message.empty()
                    ? std::string(v.at_end ? "no more words: x save, q quit, u undo" : Keys)
                    : v.message);
    refresh();
}

int FixScreen::read_key() {
    for (;;) {
        if (fix_stop_signal == SIGINT) {
            fix_stop_signal = 0;
            return 3;
        }
        if (fix_stop_signal) return KeyStop;
        wint_t key;
        const int kind = get_wch(&key);
        if (kind == ERR) {
            termios t;
            if (tcgetattr(STDIN_FILENO, &t) != 0) {
                // A terminal that is gone counts as a hangup, signal or not.
                if (!fix_stop_signal) fix_stop_signal = SIGHUP;
                return KeyStop;
            }
            continue;
        }
        if (kind == KEY_CODE_YES && key == KEY_RESIZE) return KeyResize;
        if (kind == KEY_CODE_YES) return 0x100000 + static_cast<int>(key);
        return static_cast<int>(key);
    }
}

bool FixScreen::edit_line(const std::string& prompt, std::string& line) {
    std::wstring text = wide_of(line);
    size_t cursor = text.size();
    curs_set(1);
    for (;;) {
        move(LINES - 1, 0);
        clrtoeol();
        const std::wstring p = wide_of(prompt);
        put(LINES - 1, 0, p, A_BOLD);
        const int room = std::max(1, COLS - static_cast<int>(p.size()) - 1);
        const size_t first = cursor > static_cast<size_t>(room) ? cursor - room : 0;
        put(LINES - 1, static_cast<int>(p.size()), text.substr(first));
        move(LINES - 1, std::min(COLS - 1, static_cast<int>(p.size() + cursor - first)));
        refresh();
        const int key = read_key();
        if (key == KeyResize) {
            if (last_) draw(*last_);
            continue;
        }
        if (key == KeyStop || key == 27 || key == 3 || key == 7) break;
        if (key == '\r' || key == '\n' || key == 0x100000 + KEY_ENTER) {
            curs_set(0);
            line.clear();
            for (wchar_t c : text) {
                char bytes[MB_LEN_MAX];
                std::mbstate_t state{};
                const size_t n = std::wcrtomb(bytes, c, &state);
                if (n != static_cast<size_t>(-1)) line.append(bytes, n);
            }
            return true;
        }
        if ((key == 127 || key == 8 || key == 0x100000 + KEY_BACKSPACE) && cursor > 0) {
            text.erase(--cursor, 1);
        } else if (key == 0x100000 + KEY_DC && cursor < text.size()) {
            text.erase(cursor, 1);
        } else if (key == 0x100000 + KEY_LEFT && cursor > 0) {
            --cursor;
        } else if (key == 0x100000 + KEY_RIGHT && cursor < text.size()) {
            ++cursor;
        } else if (key == 0x100000 + KEY_HOME || key == 1) {
            cursor = 0;
        } else if (key == 0x100000 + KEY_END || key == 5) {
            cursor = text.size();
        } else if (key == 21) {
            text.erase(0, cursor);
            cursor = 0;
        } else if (key >= 0x20 && key < 0x100000 && key != 127) {
            text.insert(cursor++, 1, static_cast<wchar_t>(key));
        }
    }
    curs_set(0);
    return false;
}

bool FixScreen::ask_yes_no(const std::string& question) {
    for (;;) {
        draw_bottom(question + " (y/n)");
        refresh();
        const int key = read_key();
        if (key == KeyResize) {
            if (last_) draw(*last_);
            continue;
        }
        if (key == 'y' || key == 'Y') return true;
        if (key == 'n' || key == 'N' || key == 27 || key == KeyStop) return false;
    }
}

void FixScreen::show_help() {
    for (;;) {
        erase();
        int row = 0;
        for (const char* line : Help) put(row++, 0, wide_of(line));
        refresh();
        const int key = read_key();
        if (key != KeyResize) break;
    }
    if (last_) draw(*last_);
}

}  // namespace lumo::tool
