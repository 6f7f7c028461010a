#include "program/project_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <utility>

#include "program/git_library.h"

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

std::string real_path(const std::string& path) {
    char* r = realpath(path.c_str(), nullptr);
    if (r == nullptr) return {};
    std::string s(r);
    std::free(r);
    return s;
}

// What the walk of one directory ignores: git's rules through libgit2 when
// the directory is in a repository (the project's patterns joined to its
// rules), else the project's patterns matched as shell globs.  git: nullptr
// when libgit2 could not be loaded.
class IgnoreRules {
public:
    IgnoreRules(const GitLibrary* git, const std::string& root,
                const std::vector<std::string>& extra)
        : git_(git) {
        root_ = real_path(root);
        if (git_ != nullptr) git_->libgit2_init();
        if (git_ != nullptr && git_->repository_open_ext(&repo_, root_.c_str(), 0, nullptr) == 0 &&
            git_->repository_workdir(repo_) != nullptr) {
            std::string workdir = real_path(git_->repository_workdir(repo_));
            base_ = root_.size() > workdir.size() ? root_.substr(workdir.size() + 1) : "";
            patterns_ = read_pattern_lines(workdir + "/.lumospell-ignore");
        } else {
            if (repo_ != nullptr) git_->repository_free(repo_);
            repo_ = nullptr;
            patterns_ = read_pattern_lines(root_ + "/.lumospell-ignore");
        }
        patterns_.insert(patterns_.end(), extra.begin(), extra.end());
        if (repo_ != nullptr) {
            std::string rules;
            for (const std::string& p : patterns_) rules += p + "\n";
            if (!rules.empty()) git_->ignore_add_rule(repo_, rules.c_str());
        }
    }
    ~IgnoreRules() {
        if (repo_ != nullptr) git_->repository_free(repo_);
        if (git_ != nullptr) git_->libgit2_shutdown();
    }
    IgnoreRules(const IgnoreRules&) = delete;
    IgnoreRules& operator=(const IgnoreRules&) = delete;

    // relative: the path below the walked directory.
    bool ignored(const std::string& relative, bool directory) const {
        const std::string path = base_.empty() ? relative : base_ + "/" + relative;
        if (repo_ != nullptr) {
            int ignored = 0;
            const std::string asked = directory ? path + "/" : path;
            return git_->ignore_path_is_ignored(&ignored, repo_, asked.c_str()) == 0 && ignored;
        }
        const size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        for (std::string p : patterns_) {
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

private:
    const GitLibrary* git_;
    git_repository* repo_ = nullptr;
    std::string root_, base_;
    std::vector<std::string> patterns_;
};

bool file_looks_binary(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;  // the check reports why it cannot be read
    char bytes[8192];
    const ssize_t n = read(fd, bytes, sizeof bytes);
    close(fd);
    return n > 0 && looks_binary(std::string_view(bytes, static_cast<size_t>(n)));
}

struct Walk {
    const IgnoreRules& rules;
    std::FILE* err;
    FileListing& out;
    std::vector<std::string> found;

    void directory(const std::string& shown, const std::string& relative) {
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
        for (const std::string& name : names) {
            const std::string path =
                shown == "." ? name : (shown.back() == '/' ? shown + name : shown + "/" + name);
            const std::string rel = relative.empty() ? name : relative + "/" + name;
            struct stat st;
            if (lstat(path.c_str(), &st) != 0) continue;  // gone while walking
            if (S_ISDIR(st.st_mode)) {
                if (is_vcs_folder(name.c_str()) || rules.ignored(rel, true)) continue;
                directory(path, rel);
            } else if (S_ISLNK(st.st_mode)) {
                // Links are not followed: what they point to in the tree is walked itself,
                // and what lies outside is not the project's.
                struct stat target;
                if (stat(path.c_str(), &target) != 0 && errno == ELOOP &&
                    !rules.ignored(rel, false))
                    std::fprintf(err, "lumospell: %s: a loop of links, skipped\n", path.c_str());
            } else if (is_rule_file(name) || rules.ignored(rel, false)) {
                continue;
            } else if (!S_ISREG(st.st_mode)) {
                std::fprintf(err, "lumospell: %s: not a regular file, skipped\n", path.c_str());
            } else if (!file_looks_binary(path)) {
                found.push_back(path);
            }
        }
    }
};

bool has_glob_characters(const std::string& s) {
    return s.find_first_of("*?[") != std::string::npos;
}

void walk(const std::string& root, const ExtraIgnores& extra, std::FILE* err, FileListing& out,
          const std::string& pattern = {}) {
    std::string why;
    const GitLibrary* git = git_library(&why);
    if (git == nullptr) {
        // The walk may then take in files git ignores: said, and failed.
        std::fprintf(err, "lumospell: %s: git's ignore rules not applied: %s\n", root.c_str(),
                     why.c_str());
        out.error = true;
    }
    const IgnoreRules rules(git, root, extra ? extra(root) : std::vector<std::string>());
    Walk w{rules, err, out, {}};
    w.directory(root, "");
    std::sort(w.found.begin(), w.found.end());
    for (std::string& f : w.found) {
        if (!pattern.empty()) {
            std::string without = pattern;
            for (size_t at; (at = without.find("**/")) != std::string::npos;) without.erase(at, 3);
            if (fnmatch(pattern.c_str(), f.c_str(), 0) != 0 &&
                fnmatch(without.c_str(), f.c_str(), FNM_PATHNAME) != 0)
                continue;
        }
        out.files.push_back({std::move(f), false});
    }
}

}  // namespace

FileListing list_files(const std::vector<std::string>& arguments, const ExtraIgnores& extra_ignores,
                       std::FILE* err) {
    FileListing out;
    for (const std::string& arg : arguments) {
        struct stat st;
        if (arg != "-" && stat(arg.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            walk(arg, extra_ignores, err, out);
        } else if (arg != "-" && has_glob_characters(arg) && lstat(arg.c_str(), &st) != 0) {
            const size_t first = arg.find_first_of("*?[");
            const size_t slash = arg.rfind('/', first);
            if (arg.find("**") != std::string::npos) {
                const std::string root = slash == std::string::npos ? "." : arg.substr(0, slash);
                const size_t before = out.files.size();
                walk(root, extra_ignores, err, out, arg);
                if (out.files.size() == before) {
                    std::fprintf(err, "lumospell: %s: no file matches\n", arg.c_str());
                    out.error = true;
                }
                continue;
            }
            glob_t g{};
            if (glob(arg.c_str(), 0, nullptr, &g) != 0) {
                std::fprintf(err, "lumospell: %s: no file matches\n", arg.c_str());
                out.error = true;
            }
            for (size_t k = 0; k < g.gl_pathc; ++k) {
                const std::string match = g.gl_pathv[k];
                if (stat(match.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                    walk(match, extra_ignores, err, out);
                else if (stat(match.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                         !file_looks_binary(match))
                    out.files.push_back({match, false});
            }
            globfree(&g);
        } else {
            out.files.push_back({arg, true});
        }
    }
    return out;
}

}  // namespace lumo::tool
