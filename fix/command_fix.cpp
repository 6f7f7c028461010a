#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "speller/checker.h"
#include "program/commands.h"
#include "fix/fix_file.h"
#include "fix/fix_screen.h"
#include "fix/fix_session.h"

namespace lumo::tool {

namespace {

constexpr size_t ShownSuggestions = 10;

// The front as the correction session asks it.  Decisions of the files
// already done stay with it when undo makes it forget the current one's.
class FrontFixSpeller : public FixSpeller {
public:
    explicit FrontFixSpeller(Session& s) : s_(s), checker_(s.api, TextEncoding::Utf8) {
        s_.ranked.set_max(ShownSuggestions);
    }

    bool find(std::string_view view, size_t from, size_t to, FixFinding& found) override {
        while (from < to) {
            const size_t end = piece_end(view.substr(0, to), from, 2048);
            std::vector<Finding> findings;
            if (!checker_.check(view.substr(from, end - from), false, findings)) return false;
            if (!findings.empty()) {
                const Finding& f = findings.front();
                found.offset = from + f.offset;
                found.length = f.length;
                found.word = f.word;
                found.change_always = f.status == CheckChangeAlways;
                if (found.change_always && !f.suggestions.empty()) found.replacement = f.suggestions[0];
                return true;
            }
            from = end;
        }
        return false;
    }

    std::vector<std::string> suggest(const std::string& word) override {
        if (s_.ranked.active()) {
            std::vector<std::string> list = s_.ranked.suggest(word);
            if (!list.empty()) return list;
        }
        CheckResult result;
        if (s_.api.check(word.c_str(), &result) != CheckUnknownWord) return {};
        std::vector<std::string> list = checker_.suggestions_for_last_check();
        if (list.size() > ShownSuggestions) list.resize(ShownSuggestions);
        return list;
    }

    void ignore_always(const std::string& word) override {
        s_.api.ignore_always(word.c_str());
        s_.ranked.learn_word(word);
        current_ignores_.push_back(word);
    }
    void change_always(const std::string& word, const std::string& with) override {
        s_.api.change_always(word.c_str(), with.c_str());
        s_.ranked.learn_change(word, with);
        current_changes_.emplace_back(word, with);
    }
    void forget_decisions() override {
        s_.close();
        std::string error;
        if (!s_.open(error)) {
            std::fprintf(stderr, "lumospell: %s\n", error.c_str());
            std::exit(ExitError);
        }
        set_mode();
        for (const std::string& w : kept_ignores_) s_.api.ignore_always(w.c_str());
        for (const auto& [w, with] : kept_changes_) s_.api.change_always(w.c_str(), with.c_str());
        current_ignores_.clear();
        current_changes_.clear();
    }
    // The file is done: its decisions hold for the files after it.
    void keep_decisions() {
        kept_ignores_.insert(kept_ignores_.end(), current_ignores_.begin(), current_ignores_.end());
        kept_changes_.insert(kept_changes_.end(), current_changes_.begin(), current_changes_.end());
        current_ignores_.clear();
        current_changes_.clear();
    }
    void set_mode(unsigned extra = 0) {
        extra_mode_ = extra;
        s_.api.mode(s_.mode | extra_mode_);
    }

private:
    Session& s_;
    Checker checker_;
    unsigned extra_mode_ = 0;
    std::vector<std::string> kept_ignores_, current_ignores_;
    std::vector<std::pair<std::string, std::string>> kept_changes_, current_changes_;
};

extern "C" void on_stop_signal(int signal) { fix_stop_signal = signal; }

void catch_stop_signals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) sigaction(s, &action, nullptr);
}

bool is_ascii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

enum class FileOutcome { Next, Quit, Stopped };

struct FixRun {
    Session& session;
    FrontFixSpeller& speller;
    FixScreen& screen;
    std::vector<std::string> problems;
};

FileOutcome fix_file(FixRun& run, const std::string& path, size_t index, size_t count) {
    FileSnapshot snapshot;
    std::string error;
    if (!read_for_fixing(path, snapshot, error)) {
        run.problems.push_back(path + ": " + error);
        return FileOutcome::Next;
    }
    if (looks_binary(snapshot.bytes)) {
        run.problems.push_back(path + ": looks like a binary file; left alone");
        return FileOutcome::Next;
    }
    const ModeChoice mode = mode_for_file_name(path);
    run.speller.set_mode(mode_accepts_words_with_digits(mode.mode) ? ModeIgnoreWordsWithDigits : 0);
    FixSession fix(snapshot.bytes, detect_encoding(snapshot.bytes), mode, run.speller);
    FixView view;
    view.file_name = path;
    view.file_index = index;
    view.file_count = count;
    view.encoding = fix.encoding();
    fix.advance();
    auto refresh_view = [&] {
        view.text = fix.text();
        view.at_end = fix.at_end();
        view.offset = fix.at_end() ? fix.text().size() : fix.current().offset;
        view.length = fix.at_end() ? 0 : fix.current().length;
        view.suggestions = fix.at_end() ? std::vector<std::string>{} : run.speller.suggest(fix.current().word);
    };
    auto finish = [&](FileOutcome outcome) {
        for (const std::string& word : fix.added_words()) run.session.api.add_word(word.c_str());
        run.speller.keep_decisions();
        return outcome;
    };
    refresh_view();
    for (;;) {
        run.screen.draw(view);
        view.message.clear();
        const int key = run.screen.read_key();
        if (key == FixScreen::KeyStop) return finish(FileOutcome::Stopped);
        if (key == FixScreen::KeyResize) continue;
        if (key == '?') {
            run.screen.show_help();
            continue;
        }
        if (key == 'q' || key == 3) {
            if (!fix.changed() || run.screen.ask_yes_no("Quit without saving " + path + "?"))
                return finish(FileOutcome::Quit);
            continue;
        }
        if (key == 'x') {
            if (!fix.changed()) return finish(FileOutcome::Next);
            if (!unchanged_on_disk(path, snapshot) &&
                !run.screen.ask_yes_no(path + " changed on disk since it was read. Overwrite?")) {
                view.message = "not saved: " + path + " changed on disk";
                continue;
            }
            FileSnapshot on_disk = snapshot;
            on_disk.bytes.clear();
            std::string reread_error;
            if (!read_for_fixing(path, on_disk, reread_error)) on_disk = snapshot;
            if (!write_fixed(path, on_disk, fix.text(), error)) {
                view.message = "cannot save " + path + ": " + error;
                continue;
            }
            return finish(FileOutcome::Next);
        }
        if (key == 'u') {
            if (!fix.undo()) view.message = "nothing to undo";
            refresh_view();
            continue;
        }
        if (fix.at_end()) {
            view.message = "no more words: x save, q quit, u undo";
            continue;
        }
        const FixFinding& word = fix.current();
        std::string replacement;
        bool replace_all = key == 'R';
        if (key >= '0' && key <= '9') {
            const size_t pick = key == '0' ? 9 : static_cast<size_t>(key - '1');
            if (pick >= view.suggestions.size()) {
                view.message = "no suggestion " + std::string(1, static_cast<char>(key));
                continue;
            }
            replacement = view.suggestions[pick];
        } else if (key == 'r' || key == 'R') {
            replacement = word.word;
            if (!run.screen.edit_line(replace_all ? "Replace every one with: " : "Replace with: ",
                                      replacement))
                continue;
            if (replacement.empty()) continue;
            if (!is_ascii(replacement) && fix.encoding() != FileEncoding::Utf8) {
                view.message = "only ASCII can be typed into this file's encoding";
                continue;
            }
        }
        if (!replacement.empty()) {
            fix.decide(replace_all ? Decision::ReplaceAll : Decision::Replace, replacement);
        } else if (key == 'i') {
            fix.decide(Decision::IgnoreOnce);
        } else if (key == 'I') {
            fix.decide(Decision::IgnoreAlways);
        } else if (key == 'a') {
            fix.decide(Decision::Add);
        } else if (key == 'l') {
            fix.decide(Decision::AddLower);
        } else {
            view.message = "unknown key; ? shows the keys";
            continue;
        }
        refresh_view();
    }
}

}  // namespace

int run_fix(const Options& o, Session& s) {
    if (o.arguments.empty()) usage_error("fix needs at least one FILE");
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::fprintf(stderr,
                     "lumospell: fix needs a terminal on standard input and output; "
                     "scripts can use 'lumospell check --json'\n");
        return ExitError;
    }
    catch_stop_signals();
    FrontFixSpeller speller(s);
    FixScreen screen;
    if (!screen.open()) {
        std::fprintf(stderr, "lumospell: cannot use this terminal (TERM=%s)\n",
                     std::getenv("TERM") ? std::getenv("TERM") : "");
        return ExitError;
    }
    FixRun run{s, speller, screen, {}};
    FileOutcome outcome = FileOutcome::Next;
    for (size_t k = 0; k < o.arguments.size() && outcome == FileOutcome::Next; ++k)
        outcome = fix_file(run, o.arguments[k], k, o.arguments.size());
    screen.close();
    for (const std::string& problem : run.problems) std::fprintf(stderr, "lumospell: %s\n", problem.c_str());
    if (outcome == FileOutcome::Stopped) return 128 + fix_stop_signal;
    return run.problems.empty() ? ExitClean : ExitError;
}

}  // namespace lumo::tool
