#include "program/project_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <utility>

#include "program/git_library.h"
#include "speller/project_config.h"

namespace lumo::tool {

namespace {

const char* const VcsFolders[] = {".git", ".hg", ".svn", ".bzr", "_darcs", "CVS", ".jj", ".pijul"};

// The project's rules for its tools, not its prose.
const char* const RuleFiles[] = {".gitignore", ".gitattributes", ".gitmodules", ".lumospell-ignore",
                                 ".lumospell.toml"};

bool is_rule_file(const std::string& name) {
    for (const char* r : RuleFiles)
        if (name == r) return true;
    return false;
}

bool is_vcs_folder(const char* name) {
    for (const char* v : VcsFolders)
        if (std::strcmp(name, v) == 0) return true;
    return false;
}

std::vector<std::string> read_pattern_lines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

// Whether path (below the folder a set of patterns belongs to) matches one
// of them, as shell globs: the rules of a tree outside a repository.
bool matches_glob_rules(const std::vector<std::string>& patterns, const std::string& path,
                        bool directory) {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (std::string p : patterns) {
        if (!p.empty() && p.back() == '/') {
            if (!directory) continue;
            p.pop_back();
        }
        if (!p.empty() && p[0] == '/') p.erase(0, 1);
        const bool anchored = p.find('/') != std::string::npos;
        if (fnmatch(p.c_str(), anchored ? path.c_str() : name.c_str(),
                    anchored ? FNM_PATHNAME : 0) == 0)
            return true;
    }
    return false;
}

// A pattern of a .gitignore in folder (below the repository's root) as the
// root's .gitignore would say it.
std::string rooted_pattern(const std::string& folder, std::string p) {
    if (folder.empty()) return p;
    std::string negate;
    if (!p.empty() && p[0] == '!') {
        negate = "!";
        p.erase(0, 1);
    }
    std::string trailing;
    if (!p.empty() && p.back() == '/') {
        trailing = "/";
        p.pop_back();
    }
    const bool anchored = p.find('/') != std::string::npos;
    if (!p.empty() && p[0] == '/') p.erase(0, 1);
    return negate + "/" + folder + (anchored ? "/" : "/**/") + p + trailing;
}

// What the walk of one directory ignores: git's rules through libgit2 when
// the directory is in a repository (the project's patterns joined to its
// rules), else the project's patterns matched as shell globs.  git: nullptr
// when libgit2 could not be loaded.
class IgnoreRules {
public:
    IgnoreRules(const GitLibrary* git, const std::string& root) : git_(git) {
        root_ = real_path(root);
        if (git_ != nullptr) git_->libgit2_init();
        if (git_ != nullptr && git_->repository_open_ext(&repo_, root_.c_str(), 0, nullptr) == 0 &&
            git_->repository_workdir(repo_) != nullptr) {
            workdir_ = real_path(git_->repository_workdir(repo_));
            base_ = root_.size() > workdir_.size() ? root_.substr(workdir_.size() + 1) : "";
            add({workdir_, read_pattern_lines(workdir_ + "/.lumospell-ignore")});
        } else {
            if (repo_ != nullptr) git_->repository_free(repo_);
            repo_ = nullptr;
            add({root_, read_pattern_lines(root_ + "/.lumospell-ignore")});
        }
    }
    ~IgnoreRules() {
        if (repo_ != nullptr) git_->repository_free(repo_);
        if (git_ != nullptr) git_->libgit2_shutdown();
    }
    IgnoreRules(const IgnoreRules&) = delete;
    IgnoreRules& operator=(const IgnoreRules&) = delete;

    // The patterns of the configuration that holds below its folder.
    void add(const IgnorePaths& extra) {
        const std::string folder = extra.folder.empty() ? "" : real_path(extra.folder);
        config_folder_ = folder;
        if (folder.empty() || extra.patterns.empty()) return;
        if (repo_ == nullptr) {
            globs_.emplace_back(folder, extra.patterns);
            return;
        }
        const bool inside = folder.rfind(workdir_ + "/", 0) == 0;
        const std::string below = inside ? folder.substr(workdir_.size() + 1) : "";
        std::string rules;
        for (const std::string& p : extra.patterns) rules += rooted_pattern(below, p) + "\n";
        git_->ignore_add_rule(repo_, rules.c_str());
    }

    const std::string& config_folder() const { return config_folder_; }
    const GitLibrary* git() const { return git_; }

    // relative: the path below the walked directory.
    bool ignored(const std::string& relative, bool directory) const {
        if (repo_ != nullptr) {
            const std::string path = base_.empty() ? relative : base_ + "/" + relative;
            int ignored = 0;
            const std::string asked = directory ? path + "/" : path;
            return git_->ignore_path_is_ignored(&ignored, repo_, asked.c_str()) == 0 && ignored;
        }
        const std::string full = root_ + "/" + relative;
        for (const auto& [folder, patterns] : globs_) {
            if (full.rfind(folder + "/", 0) != 0) continue;
            if (matches_glob_rules(patterns, full.substr(folder.size() + 1), directory))
                return true;
        }
        return false;
    }

private:
    const GitLibrary* git_;
    git_repository* repo_ = nullptr;
    std::string root_, workdir_, base_, config_folder_;
    std::vector<std::pair<std::string, std::vector<std::string>>> globs_;
};

bool file_looks_binary(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;  // the check reports why it cannot be read
    char bytes[8192];
    const ssize_t n = read(fd, bytes, sizeof bytes);
    close(fd);
    return n > 0 && looks_binary(std::string_view(bytes, static_cast<size_t>(n)));
}

// A glob's part below the folder its walk starts from: files match it at its
// depth (with FNM_PATHNAME and FNM_PERIOD, as the shell matches), a folder
// that matches is taken whole; without a pattern every file is taken.
struct WalkPattern {
    std::string glob;
    size_t depth = 0;  // its parts; 0 with "**": any depth
};

size_t parts_of(const std::string& relative) {
    return relative.empty()
               ? 0
               : 1 + static_cast<size_t>(std::count(relative.begin(), relative.end(), '/'));
}

struct Walk {
    const ExtraIgnores& extra;
    std::FILE* err;
    FileListing& out;
    const WalkPattern* pattern;  // null: every file
    bool sniff;                  // binary files left out here, not by the caller
    std::vector<std::string> found;

    // Whether a glob without "**" lets the walk take, or go into, this path.
    bool fixed_depth_match(const std::string& path, const std::string& rel, bool& whole) const {
        whole = pattern == nullptr || pattern->depth == 0;
        if (whole) return true;
        const size_t depth = parts_of(rel);
        if (depth < pattern->depth) return true;
        return depth == pattern->depth && (whole = fnmatch(pattern->glob.c_str(), path.c_str(),
                                                           FNM_PATHNAME | FNM_PERIOD) == 0);
    }

    // relative: below the walk's start; below: below where rules start.
    void directory(const std::string& shown, const std::string& relative, IgnoreRules& outer,
                   const std::string& below) {
        DIR* dir = opendir(shown.c_str());
        if (dir == nullptr) {
            std::fprintf(err, "lumospell: %s: %s\n", shown.c_str(), std::strerror(errno));
            out.error = true;
            return;
        }
        std::vector<std::string> names;
        while (const dirent* e = readdir(dir)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            names.emplace_back(e->d_name);
        }
        closedir(dir);
        std::sort(names.begin(), names.end());
        // A folder with its own configuration takes its ignore paths, not those above.
        IgnoreRules* rules = &outer;
        std::unique_ptr<IgnoreRules> own;
        std::string base = below;
        if (extra && std::find(names.begin(), names.end(), ".lumospell.toml") != names.end()) {
            const IgnorePaths paths = extra(shown);
            if ((paths.folder.empty() ? "" : real_path(paths.folder)) != outer.config_folder()) {
                own = std::make_unique<IgnoreRules>(outer.git(), shown);
                own->add(paths);
                rules = own.get();
                base.clear();
            }
        }
        for (const std::string& name : names) {
            const std::string path =
                shown == "." ? name : (shown.back() == '/' ? shown + name : shown + "/" + name);
            const std::string rel = relative.empty() ? name : relative + "/" + name;
            const std::string ruled = base.empty() ? name : base + "/" + name;
            struct stat st;
            if (lstat(path.c_str(), &st) != 0) continue;  // gone while walking
            bool whole = false;
            if (S_ISDIR(st.st_mode)) {
                if (is_vcs_folder(name.c_str()) || rules->ignored(ruled, true)) continue;
                if (!fixed_depth_match(path, rel, whole)) continue;
                if (whole && pattern != nullptr && pattern->depth > 0) {
                    // A folder the glob names is walked whole.
                    const WalkPattern* named = pattern;
                    pattern = nullptr;
                    directory(path, rel, *rules, ruled);
                    pattern = named;
                } else {
                    directory(path, rel, *rules, ruled);
                }
            } else if (S_ISLNK(st.st_mode)) {
                // Links are not followed: what they point to in the tree is walked itself,
                // and what lies outside is not the project's.
                struct stat target;
                if (stat(path.c_str(), &target) != 0 && errno == ELOOP &&
                    !rules->ignored(ruled, false))
                    std::fprintf(err, "lumospell: %s: a loop of links, skipped\n", path.c_str());
            } else if (is_rule_file(name) || rules->ignored(ruled, false) ||
                       !fixed_depth_match(path, rel, whole) || !whole) {
                continue;
            } else if (!S_ISREG(st.st_mode)) {
                std::fprintf(err, "lumospell: %s: not a regular file, skipped\n", path.c_str());
            } else if (!sniff || !file_looks_binary(path)) {
                found.push_back(path);
            }
        }
    }
};

bool has_glob_characters(const std::string& s) {
    return s.find_first_of("*?[") != std::string::npos;
}

void walk(const std::string& root, const ExtraIgnores& extra, bool sniff, std::FILE* err,
          FileListing& out, const std::string& glob = {}) {
    std::string why;
    const GitLibrary* git = git_library(&why);
    if (git == nullptr) {
        // The walk may then take in files git ignores: said, and failed.
        std::fprintf(err, "lumospell: %s: git's ignore rules not applied: %s\n", root.c_str(),
                     why.c_str());
        out.error = true;
    }
    IgnoreRules rules(git, root);
    if (extra) rules.add(extra(root));
    WalkPattern pattern{glob, 0};
    if (!glob.empty() && glob.find("**") == std::string::npos)
        pattern.depth =
            parts_of(root == "." ? glob : glob.substr(root.size() + (root == "/" ? 0 : 1)));
    Walk w{extra, err, out, glob.empty() ? nullptr : &pattern, sniff, {}};
    w.directory(root, "", rules, "");
    std::sort(w.found.begin(), w.found.end());
    for (std::string& f : w.found) {
        if (!glob.empty() && pattern.depth == 0) {
            std::string without = glob;
            for (size_t at; (at = without.find("**/")) != std::string::npos;) without.erase(at, 3);
            if (fnmatch(glob.c_str(), f.c_str(), 0) != 0 &&
                fnmatch(without.c_str(), f.c_str(), FNM_PATHNAME) != 0)
                continue;
        }
        out.files.push_back({std::move(f), false});
    }
}

}  // namespace

FileListing list_files(const std::vector<std::string>& arguments, const ExtraIgnores& extra_ignores,
                       std::FILE* err, bool sniff_binary) {
    FileListing out;
    for (const std::string& arg : arguments) {
        struct stat st;
        if (arg != "-" && stat(arg.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            walk(arg, extra_ignores, sniff_binary, err, out);
        } else if (arg != "-" && has_glob_characters(arg) && lstat(arg.c_str(), &st) != 0) {
            const size_t first = arg.find_first_of("*?[");
            const size_t slash = arg.rfind('/', first);
            const std::string root = slash == std::string::npos ? "."
                                     : slash == 0               ? "/"
                                                                : arg.substr(0, slash);
            // Matched against the walk's names: "./*.md" as "*.md".
            const std::string glob = root == "." && slash == 1 ? arg.substr(2) : arg;
            const size_t before = out.files.size();
            walk(root, extra_ignores, sniff_binary, err, out, glob);
            if (out.files.size() == before) {
                std::fprintf(err, "lumospell: %s: no file matches\n", arg.c_str());
                out.error = true;
            }
        } else {
            out.files.push_back({arg, true});
        }
    }
    return out;
}

}  // namespace lumo::tool
