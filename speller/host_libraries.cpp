#include "speller/host_libraries.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <vector>

namespace lumo::tool {

namespace {

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

template <typename F>
bool bind(void* library, const char* name, F& slot, std::string& error) {
    slot = reinterpret_cast<F>(dlsym(library, name));
    if (slot == nullptr) error = std::string("missing function ") + name;
    return slot != nullptr;
}

void* open_library(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        error = why ? why : ("cannot load " + path);
    }
    return library;
}

}  // namespace

std::string program_dir() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string find_library(const char* file_name) {
    const std::string bin = program_dir();
    const std::vector<std::string> folders = {bin + "/" LUMOSPELL_RELATIVE_LIBDIR, bin + "/../lib",
                                              bin};
    for (const std::string& folder : folders) {
        const std::string candidate = folder + "/" + file_name;
        if (exists(candidate)) return candidate;
    }
    return {};
}

bool bind_front(const std::string& path, FrontApi& api, std::string& error) {
    void* library = open_library(path, error);
    if (library == nullptr) return false;
    const bool ok = bind(library, "LumoSpellInit", api.init, error) &&
                    bind(library, "LumoSpellInit2", api.init2, error) &&
                    bind(library, "LumoSpellTerminate", api.terminate, error) &&
                    bind(library, "LumoSpellCheck", api.check, error) &&
                    bind(library, "LumoSpellGetSuggestionFirst", api.suggestion_first, error) &&
                    bind(library, "LumoSpellGetSuggestionNext", api.suggestion_next, error) &&
                    bind(library, "LumoSpellIgnoreAlways", api.ignore_always, error) &&
                    bind(library, "LumoSpellChangeAlways", api.change_always, error) &&
                    bind(library, "LumoSpellAddWord", api.add_word, error) &&
                    bind(library, "LumoSpellMode", api.mode, error) &&
                    bind(library, "LumoSpellSetMessageHandler", api.set_message_handler, error) &&
                    bind(library, "LumoSpellGetSaveResult", api.get_save_result, error);
    if (!ok) dlclose(library);
    return ok;
}

bool bind_builder(const std::string& path, BuilderApi& api, std::string& error) {
    void* library = open_library(path, error);
    if (library == nullptr) return false;
    const bool ok =
        bind(library, "LumoSpellMakeDic", api.make_dic, error) &&
        bind(library, "LumoSpellSetProgressPresenter", api.set_progress_presenter, error);
    if (!ok) dlclose(library);
    return ok;
}

bool bind_ranker(const std::string& path, RankerApi& api, std::string& error) {
    void* library = open_library(path, error);
    if (library == nullptr) return false;
    const bool ok = bind(library, "LumoRankOpen", api.open, error) &&
                    bind(library, "LumoRankUsesIndex", api.uses_index, error) &&
                    bind(library, "LumoRankOpenUserDict", api.open_user_dict, error) &&
                    bind(library, "LumoRankAddWord", api.add_word, error) &&
                    bind(library, "LumoRankChangeAlways", api.change_always, error) &&
                    bind(library, "LumoRankSuggest", api.suggest, error) &&
                    bind(library, "LumoRankClose", api.close, error);
    if (!ok) dlclose(library);
    return ok;
}

}  // namespace lumo::tool
