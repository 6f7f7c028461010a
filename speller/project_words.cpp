#include "speller/project_words.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "common/save_names.h"
#include "speller/project_config.h"

namespace lumo::tool {

bool read_word_list(const std::string& file, std::set<std::string>& words) {
    std::ifstream in(file);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (!line.empty() && line[0] != '#') words.insert(line);
    }
    return true;
}

bool add_project_words(const std::string& list, const std::vector<std::string>& words,
                       std::vector<std::string>& added, std::string& error) {
    const common::SavePaths names =
        common::native_save_paths(list.c_str(), [](unsigned char) { return false; });
    const int lock = open(names.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        error = names.lock + ": " + std::strerror(errno);
        if (lock >= 0) close(lock);
        return false;
    }
    std::set<std::string> all;
    read_word_list(list, all);  // read under the lock, so that concurrent adds merge
    for (const std::string& w : words)
        if (all.insert(w).second) added.push_back(w);
    bool ok = true;
    if (!added.empty()) {
        std::FILE* out = std::fopen(names.temporary.c_str(), "wb");
        ok = out != nullptr;
        for (const std::string& w : all)
            if (ok) ok = std::fprintf(out, "%s\n", w.c_str()) >= 0;
        if (out != nullptr) ok = std::fflush(out) == 0 && fsync(fileno(out)) == 0 && ok;
        if (out != nullptr) ok = std::fclose(out) == 0 && ok;
        if (ok) ok = std::rename(names.temporary.c_str(), list.c_str()) == 0;
        if (!ok) {
            error = list + ": " + std::strerror(errno);
            std::remove(names.temporary.c_str());
        }
    }
    close(lock);
    std::remove(names.lock.c_str());
    return ok;
}

bool add_to_project(const ProjectConfig& config, const std::vector<std::string>& words,
                    std::vector<std::string>& added, std::string& error) {
    if (config.word_lists.empty()) {
        error = (config.file.empty() ? std::string("no .lumospell.toml")
                                     : config.file + " names no word list") +
                ": name one in .lumospell.toml, word_lists = [\"words.txt\"]";
        return false;
    }
    for (const std::string& word : words) {
        if (word.empty() || word.find_first_of(" \t\r\n,") != std::string::npos) {
            error = "'" + word + "' is not a single word";
            return false;
        }
    }
    return add_project_words(config.word_lists.front(), words, added, error);
}

}  // namespace lumo::tool
