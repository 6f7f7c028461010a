// LumoRank.dll as a Windows host uses it: bound by name at run time, over
// the build's default dictionary, its index and the frequency file, copied
// into a folder whose name is not ASCII (Shift-JIS under code page 932,
// with a trail byte 0x5C; "café" otherwise).  Prints the ranked first
// suggestion beside the engine's for the example host's misspellings.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lumospell/orthbridge.h"
#include "lumospell/ranker.h"
#include "scratch_files.h"
#include "windows_check.h"

using wincheck::Deadline;
using wincheck::ScratchFolder;

namespace {

template <typename Function>
Function find(HMODULE module, const char* name) {
    const FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    CHECK(address != nullptr);
    Function function = nullptr;
    std::memcpy(&function, &address, sizeof function);
    return function;
}
#define FIND(module, function) find<decltype(&function)>(module, #function)

struct Ranker {
    HMODULE module = nullptr;
    decltype(&LumoRankOpen) open = nullptr;
    decltype(&LumoRankUsesIndex) uses_index = nullptr;
    decltype(&LumoRankOpenUserDict) open_user = nullptr;
    decltype(&LumoRankAddWord) add = nullptr;
    decltype(&LumoRankChangeAlways) change = nullptr;
    decltype(&LumoRankSuggest) suggest = nullptr;
    decltype(&LumoRankClose) close = nullptr;

    explicit Ranker(const std::string& path) : module(LoadLibraryA(path.c_str())) {
        if (!CHECK(module != nullptr)) return;
        open = FIND(module, LumoRankOpen);
        uses_index = FIND(module, LumoRankUsesIndex);
        open_user = FIND(module, LumoRankOpenUserDict);
        add = FIND(module, LumoRankAddWord);
        change = FIND(module, LumoRankChangeAlways);
        suggest = FIND(module, LumoRankSuggest);
        close = FIND(module, LumoRankClose);
    }
    bool bound() const { return close != nullptr; }
    std::vector<std::string> ranked(LumoRanker* handle, const char* word) const {
        char area[1024];
        const int32_t count = suggest(handle, word, area, sizeof area, 10);
        std::vector<std::string> list;
        for (const char* p = area; count > 0 && *p != '\0'; p += std::strlen(p) + 1)
            list.emplace_back(p);
        return list;
    }
};

std::string first(const std::vector<std::string>& list) { return list.empty() ? "-" : list[0]; }

bool copy_data(const std::string& from, const std::string& to) {
    bool ok = CreateDirectoryA(to.c_str(), nullptr) != 0;
    for (const char* name : {"main.dic", "main.rank", "word-frequency.txt"})
        ok = CHECK(CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE)) && ok;
    return ok;
}

void ranks_from_the_index(const Ranker& ranker, const std::string& data,
                          const ScratchFolder& scratch) {
    Deadline deadline("index", 60);
    const std::string main = data + "main.dic";
    const std::string frequency = data + "word-frequency.txt";
    const std::string index = data + "main.rank";
    LumoRanker* handle = nullptr;
    if (!CHECK_EQ(ranker.open(main.c_str(), frequency.c_str(), index.c_str(), &handle),
                  static_cast<int32_t>(LumoRankOk)))
        return;
    CHECK_EQ(ranker.uses_index(handle), 1);
    CHECK_EQ(first(ranker.ranked(handle, "Teh")), std::string("The"));
    CHECK_EQ(first(ranker.ranked(handle, "recieve")), std::string("receive"));

    // The session's decisions, and a user dictionary in the same folder.
    CHECK_EQ(ranker.add(handle, "zorkmid"), static_cast<int32_t>(LumoRankOk));
    CHECK_EQ(first(ranker.ranked(handle, "zorkmud")), std::string("zorkmid"));
    CHECK_EQ(ranker.change(handle, "teh", "ten"), static_cast<int32_t>(LumoRankOk));
    CHECK_EQ(first(ranker.ranked(handle, "teh")), std::string("ten"));
    CHECK(wincheck::write_file(data + "user.dic", "frobnicate\r\n"));
    CHECK_EQ(ranker.open_user(handle, (data + "user.dic").c_str()),
             static_cast<int32_t>(LumoRankOk));
    CHECK_EQ(first(ranker.ranked(handle, "frobnicat")), std::string("frobnicate"));
    ranker.close(handle);

    // An index of other files is passed over: the tries are built instead.
    const std::string other = scratch / "other.dic";
    CHECK(wincheck::write_file(other, "the\r\nten\r\n"));
    handle = nullptr;
    CHECK_EQ(ranker.open(other.c_str(), frequency.c_str(), index.c_str(), &handle),
             static_cast<int32_t>(LumoRankOk));
    CHECK_EQ(ranker.uses_index(handle), 0);
    CHECK_EQ(first(ranker.ranked(handle, "teh")), std::string("the"));
    ranker.close(handle);
}

// The figures: the ranked first suggestion beside the engine's order.
void beside_the_engine(const Ranker& ranker, const std::string& folder, const std::string& data) {
    Deadline deadline("beside the engine", 60);
    const HMODULE front = LoadLibraryA((folder + "Orthbridge.dll").c_str());
    if (!CHECK(front != nullptr)) return;
    const auto init = FIND(front, LumoSpellInit);
    const auto init2 = FIND(front, LumoSpellInit2);
    const auto check = FIND(front, LumoSpellCheck);
    const auto suggestion = FIND(front, LumoSpellGetSuggestionFirst);
    const auto terminate = FIND(front, LumoSpellTerminate);
    const std::string main = data + "main.dic";
    const std::string user = data + "figures.dic";
    LumoRanker* handle = nullptr;
    if (CHECK_EQ(init("Orthex.dll"), 1) && CHECK_EQ(init2(main.c_str(), user.c_str(), 0, 1), 1) &&
        CHECK_EQ(ranker.open(main.c_str(), (data + "word-frequency.txt").c_str(),
                             (data + "main.rank").c_str(), &handle),
                 static_cast<int32_t>(LumoRankOk))) {
        std::printf("%-10s %-10s %s\n", "word", "ranked", "engine");
        for (const char* word : {"Teh", "Ths", "sentense", "jumpd", "lazzy", "foxx", "qick"}) {
            CheckResult result;
            char engine_first[LumoSpellWordSize] = "-";
            if (CHECK_EQ(check(word, &result), static_cast<int>(CheckUnknownWord)) &&
                !suggestion(engine_first))
                std::strcpy(engine_first, "-");
            std::printf("%-10s %-10s %s\n", word, first(ranker.ranked(handle, word)).c_str(),
                        engine_first);
        }
        ranker.close(handle);
    }
    terminate();
    FreeLibrary(front);
}

}  // namespace

int main() {
    const std::string folder = wincheck::program_folder();
    const std::string shipped = folder + "..\\share\\lumospell\\";
    ScratchFolder scratch("lumospell-ranker");
    const std::string data = scratch / (GetACP() == 932 ? "\x95\x5C\x8E\xA6\\" : "caf\xE9\\");
    Ranker ranker(folder + "LumoRank.dll");
    if (CHECK(ranker.bound()) && copy_data(shipped, data)) {
        ranks_from_the_index(ranker, data, scratch);
        beside_the_engine(ranker, folder, data);
    }
    return wincheck::summary("ranker test");
}
