#include "speller/project_config.h"

#include <re2/re2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "documents/text_modes.h"
#include "documents/utf8.h"
#include "speller/project_words.h"

namespace lumo::tool {

namespace {

constexpr size_t MaxPatternBytes = 64 * 1024;
// Directives are looked for within the first bytes of each line.
constexpr size_t LongestLine = 4096;

std::string place(const std::string& file, const toml::source_region& at) {
    return file + ":" + std::to_string(at.begin.line) + ":" + std::to_string(at.begin.column);
}

bool strings(const std::string& file, const toml::node& node, std::vector<std::string>& out,
             std::string& error) {
    const toml::array* a = node.as_array();
    if (a == nullptr) {
        error = place(file, node.source()) + ": a list of strings is wanted";
        return false;
    }
    for (const toml::node& item : *a) {
        const auto s = item.value<std::string>();
        if (!s) {
            error = place(file, item.source()) + ": a string is wanted";
            return false;
        }
        out.push_back(*s);
    }
    return true;
}

}  // namespace

std::string folder_of(const std::string& file) {
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : file.substr(0, slash == 0 ? 1 : slash);
}

bool load_project_config(const std::string& file, ProjectConfig& config, std::string& error,
                         std::vector<std::string>& warnings) {
    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
        error = file + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = file + ": not a regular file";
        return false;
    }
    toml::table table;
    try {
        table = toml::parse_file(file);
    } catch (const toml::parse_error& e) {
        error = place(file, e.source()) + ": " + std::string(e.description());
        return false;
    }
    config.file = file;
    const std::string folder = folder_of(file);
    for (const auto& [key, node] : table) {
        const std::string name(key.str());
        std::vector<std::string> list;
        if (name == "words") {
            if (!strings(file, node, list, error)) return false;
            config.words.insert(list.begin(), list.end());
        } else if (name == "word_lists") {
            if (!strings(file, node, list, error)) return false;
            for (const std::string& l : list) {
                const std::string path = !l.empty() && l[0] == '/' ? l : folder + "/" + l;
                config.word_lists.push_back(path);
                if (!read_word_list(path, config.words))
                    warnings.push_back(place(file, node.source()) + ": cannot read " + path);
            }
        } else if (name == "ignore_paths") {
            if (!strings(file, node, config.ignore_paths, error)) return false;
        } else if (name == "ignore_patterns") {
            if (!strings(file, node, list, error)) return false;
            const toml::array& a = *node.as_array();
            for (size_t k = 0; k < list.size(); ++k) {
                const std::string where = place(file, a[k].source());
                if (list[k].size() > MaxPatternBytes) {
                    error = where + ": a pattern longer than 64 KB";
                    return false;
                }
                RE2::Options options;
                options.set_log_errors(false);
                auto re = std::make_shared<RE2>(list[k], options);
                if (!re->ok()) {
                    error = where + ": " + re->error();
                    return false;
                }
                config.ignore_patterns.push_back(list[k]);
                config.patterns.push_back(std::move(re));
            }
        } else if (name == "language") {
            const auto s = node.value<std::string>();
            if (!s) {
                error = place(file, node.source()) + ": language is a string such as \"en_US\"";
                return false;
            }
            config.language = *s;
        } else if (name == "min_word_length") {
            const auto n = node.value<int64_t>();
            if (!n || *n < 0 || *n > 1000) {
                error = place(file, node.source()) + ": min_word_length is a number from 0";
                return false;
            }
            config.min_word_length = static_cast<size_t>(*n);
        } else if (name == "modes") {
            const toml::table* modes = node.as_table();
            if (modes == nullptr) {
                error = place(file, node.source()) + ": [modes] is a table of glob = \"mode\"";
                return false;
            }
            for (const auto& [glob, mode] : *modes) {
                const auto m = mode.value<std::string>();
                ModeChoice choice;
                if (!m || !parse_mode_name(*m, choice)) {
                    error = place(file, mode.source()) + ": not a mode";
                    return false;
                }
                config.modes.emplace_back(std::string(glob.str()), *m);
            }
        } else {
            warnings.push_back(place(file, node.source()) + ": unknown key '" + name +
                               "', ignored");
        }
    }
    return true;
}

std::string real_path(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) return {};
    std::string resolved(real);
    std::free(real);
    return resolved;
}

std::string find_project_config(const std::string& directory) {
    std::string dir = real_path(directory);
    if (dir.empty()) return {};
    for (;;) {
        const std::string candidate = (dir == "/" ? "" : dir) + "/.lumospell.toml";
        struct stat st;
        if (lstat(candidate.c_str(), &st) == 0) return candidate;
        if (stat(((dir == "/" ? "" : dir) + "/.git").c_str(), &st) == 0 || dir == "/") return {};
        dir = folder_of(dir);
    }
}

namespace {

std::string stamp_of(const std::string& file) {
    struct stat st;
    if (stat(file.c_str(), &st) != 0) return {};
    return std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace

const ProjectConfig& ProjectConfigs::for_file(const std::string& file, bool& error) {
    std::string path = given_;
    if (path.empty()) {
        // Standard input is the current folder's.
        const std::string dir = file == "-" ? "." : folder_of(file);
        auto known = folders_.find(dir);
        if (known == folders_.end()) known = folders_.emplace(dir, find_project_config(dir)).first;
        path = known->second;
    }
    if (path.empty()) return none_;
    auto c = loaded_.find(path);
    if (c == loaded_.end()) {
        Loaded l;
        std::string message;
        std::vector<std::string> warnings;
        l.ok = load_project_config(path, l.config, message, warnings);
        for (const std::string& w : warnings) report_("warning: " + w);
        if (!l.ok) {
            report_(message);
            l.config = none_;
        }
        l.stamps.emplace_back(path, stamp_of(path));
        for (const std::string& list : l.config.word_lists)
            l.stamps.emplace_back(list, stamp_of(list));
        c = loaded_.emplace(path, std::move(l)).first;
    }
    if (!c->second.ok) error = true;
    return c->second.config;
}

void ProjectConfigs::refresh() {
    folders_.clear();
    for (auto at = loaded_.begin(); at != loaded_.end();) {
        bool same = true;
        for (const auto& [file, stamp] : at->second.stamps) same = same && stamp_of(file) == stamp;
        at = same ? std::next(at) : loaded_.erase(at);
    }
}

void Directives::scan(int fd) {
    char buffer[65536];
    std::string line;
    size_t number = 1;
    ssize_t n;
    off_t at = 0;
    while ((n = pread(fd, buffer, sizeof buffer, at)) > 0) {
        at += n;
        // Each line is read up to its first 4096 bytes; one that goes on
        // into the next read is gathered in line.
        for (size_t k = 0; k < static_cast<size_t>(n);) {
            const size_t rest = static_cast<size_t>(n) - k;
            const void* found = std::memchr(buffer + k, '\n', rest);
            const size_t end = found != nullptr ? static_cast<const char*>(found) - buffer : n;
            const size_t kept = std::min(end - k, LongestLine - std::min(line.size(), LongestLine));
            if (found != nullptr && line.empty()) {
                this->line(std::string_view(buffer + k, kept), number++);
            } else {
                line.append(buffer + k, kept);
                if (found != nullptr) {
                    this->line(line, number++);
                    line.clear();
                }
            }
            k = end + 1;
        }
    }
    this->line(line, number);
    if (disabled_from_ != 0) off_.emplace_back(disabled_from_, SIZE_MAX);
}

void Directives::scan_text(std::string_view text) {
    size_t number = 1, start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        line(text.substr(start, end - start), number++);
    line(text.substr(start), number);
    if (disabled_from_ != 0) off_.emplace_back(disabled_from_, SIZE_MAX);
}

void Directives::scan_more(std::string_view part) {
    for (size_t start = 0, end; start < part.size(); start = end + 1) {
        end = part.find('\n', start);
        if (end == std::string_view::npos) {
            if (partial_.size() < 4096) partial_.append(part.substr(start, 4096 - partial_.size()));
            return;
        }
        partial_.append(part.substr(start, std::min<size_t>(end - start, 4096)));
        line(partial_, next_line_++);
        partial_.clear();
    }
}

void Directives::line(std::string_view text, size_t number) {
    const size_t at = text.find("lumospell:");
    if (at == std::string_view::npos) return;
    const size_t column = 1 + utf8_characters(text.substr(0, at));
    std::string_view rest = text.substr(at + 10);
    auto word = [&rest]() {
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest[0])))
            rest.remove_prefix(1);
        size_t n = 0;
        while (n < rest.size() && !std::isspace(static_cast<unsigned char>(rest[n]))) ++n;
        const std::string_view w = rest.substr(0, n);
        rest.remove_prefix(n);
        return w;
    };
    const std::string_view what = word();
    if (what == "ignore") {
        for (std::string_view w = word(); !w.empty(); w = word()) {
            if (w == "-->" || w == "*/" || w == "-}" || w == "*)") break;
            words_.emplace(w);
        }
    } else if (what == "disable-next-line") {
        off_.emplace_back(number + 1, number + 1);
    } else if (what == "disable") {
        if (disabled_from_ == 0) disabled_from_ = number;
    } else if (what == "enable") {
        if (disabled_from_ != 0) off_.emplace_back(disabled_from_, number);
        disabled_from_ = 0;
    } else {
        return;
    }
    directive_column_[number] = column;
}

bool Directives::silences(const Finding& f, const TextPosition& at) const {
    if (words_.count(f.word) != 0) return true;
    if (disabled_from_ != 0 && at.line >= disabled_from_) return true;
    const auto d = directive_column_.find(at.line);
    if (d != directive_column_.end() && at.column >= d->second) return true;
    for (const auto& [first, last] : off_)
        if (at.line >= first && at.line <= last) return true;
    return false;
}

bool project_accepts(const ProjectConfig& c, const Finding& f) {
    if (f.too_long) return true;
    if (c.min_word_length > 0 && f.word.size() < c.min_word_length) return false;
    if (c.words.count(f.word) != 0) return false;
    std::string lower = f.word;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return c.words.count(lower) == 0;
}

void drop_pattern_matches(const ProjectConfig& c, std::string_view view,
                          std::vector<Finding>& words, size_t first) {
    if (c.patterns.empty() || first >= words.size()) return;
    std::vector<std::pair<size_t, size_t>> matched;
    for (const auto& re : c.patterns) {
        re2::StringPiece input(view.data(), view.size());
        re2::StringPiece match;
        size_t from = 0;
        while (from <= view.size() &&
               re->Match(input, from, view.size(), RE2::UNANCHORED, &match, 1)) {
            const size_t start = static_cast<size_t>(match.data() - view.data());
            matched.emplace_back(start, start + match.size());
            from = start + std::max<size_t>(match.size(), 1);
        }
    }
    if (matched.empty()) return;
    words.erase(std::remove_if(words.begin() + static_cast<std::ptrdiff_t>(first), words.end(),
                               [&](const Finding& f) {
                                   for (const auto& [b, e] : matched)
                                       if (f.offset >= b && f.offset + f.length <= e) return true;
                                   return false;
                               }),
                words.end());
}

}  // namespace lumo::tool
