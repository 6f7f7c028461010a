// The front and the engine as a host uses them: both real libraries loaded
// at run time, every call through the exported functions.
#include <dlfcn.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lumospell/orthbridge.h"
#include "test_support.h"

using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;
using Texts = std::vector<std::string>;

namespace {

std::vector<std::string> shown;
void present(const char* text, const char* caption, void*) {
    shown.push_back(std::string(caption) + "|" + text);
}

// liborthbridge.so loaded afresh for each test, as a host would load it.
class Orthbridge {
public:
    Orthbridge() {
        handle_ = dlopen(ORTHBRIDGE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) return;
        bind(Init, "LumoSpellInit");
        bind(Init2, "LumoSpellInit2");
        bind(Terminate, "LumoSpellTerminate");
        bind(Check, "LumoSpellCheck");
        bind(SuggestionFirst, "LumoSpellGetSuggestionFirst");
        bind(SuggestionNext, "LumoSpellGetSuggestionNext");
        bind(IgnoreAlways, "LumoSpellIgnoreAlways");
        bind(ChangeAlways, "LumoSpellChangeAlways");
        bind(AddWord, "LumoSpellAddWord");
        bind(Mode, "LumoSpellMode");
        bind(SetMessageHandler, "LumoSpellSetMessageHandler");
        bind(GetLastFailure, "LumoSpellGetLastFailure");
        shown.clear();
        SetMessageHandler(present, nullptr);
    }
    ~Orthbridge() {
        if (handle_ == nullptr) return;
        Terminate();
        dlclose(handle_);
    }
    bool loaded() const {
        return handle_ != nullptr && SetMessageHandler != nullptr && GetLastFailure != nullptr;
    }

    std::vector<std::string> suggestions() {
        std::vector<std::string> got;
        char out[LumoSpellWordSize];
        for (int more = SuggestionFirst(out); more; more = SuggestionNext(out)) got.emplace_back(out);
        return got;
    }

    decltype(&LumoSpellInit) Init = nullptr;
    decltype(&LumoSpellInit2) Init2 = nullptr;
    decltype(&LumoSpellTerminate) Terminate = nullptr;
    decltype(&LumoSpellCheck) Check = nullptr;
    decltype(&LumoSpellGetSuggestionFirst) SuggestionFirst = nullptr;
    decltype(&LumoSpellGetSuggestionNext) SuggestionNext = nullptr;
    decltype(&LumoSpellIgnoreAlways) IgnoreAlways = nullptr;
    decltype(&LumoSpellChangeAlways) ChangeAlways = nullptr;
    decltype(&LumoSpellAddWord) AddWord = nullptr;
    decltype(&LumoSpellMode) Mode = nullptr;
    decltype(&LumoSpellSetMessageHandler) SetMessageHandler = nullptr;
    decltype(&LumoSpellGetLastFailure) GetLastFailure = nullptr;

    // "step code path: reason" of the last failure.
    std::string last_failure() {
        int code = 0;
        char path[512], reason[256];
        const int step = GetLastFailure(&code, path, sizeof path, reason, sizeof reason);
        char head[32];
        std::snprintf(head, sizeof head, "%d %x ", step, static_cast<unsigned>(code));
        return head + std::string(path) + ": " + reason;
    }

private:
    template <typename F>
    void bind(F& slot, const char* name) {
        slot = reinterpret_cast<F>(dlsym(handle_, name));
    }
    void* handle_ = nullptr;
};

bool library_is_loaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

const char* const MainWords =
    "the\r\ncat\r\nsat\r\non\r\nmat\r\nten\r\ntea\r\nsee\r\nnow\r\nword\r\nsatin\r\nrest\r\n"
    "dir\r\nfile\r\ntxt\r\nnote\r\nmail\r\n";

// A bound engine with an open session over scratch dictionaries.
struct Session {
    ScratchDir dir;
    Orthbridge front;
    std::string main_path = dir.file("main.dic");
    std::string user_path = dir.file("user.dic");
    CheckResult result{};

    explicit Session(const std::string& user_words = "gamma\r\n") {
        write_file(main_path, MainWords);
        write_file(user_path, user_words);
    }
    bool open() {
        return front.loaded() && front.Init(ORTHEX_LIBRARY_PATH) == 1 &&
               front.Init2(main_path.c_str(), user_path.c_str(), 0, 1) == 1;
    }
    int check(const std::string& text) { return front.Check(text.c_str(), &result); }
};

}  // namespace

TEST(HostBinding, ExportsExactlyTheFrontFunctions) {
    Orthbridge front;
    ASSERT_TRUE(front.loaded()) << dlerror();
    void* handle = dlopen(ORTHBRIDGE_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(dlsym(handle, "SpellCheck"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN4lumo5front13prefilterTextEPKcmPcRKNS0_14PrefilterFlagsE"), nullptr);
    dlclose(handle);
}

TEST(HostBinding, InitTwiceLoadsTheEngineOnce) {
    Orthbridge front;
    ASSERT_TRUE(front.loaded());
    EXPECT_EQ(front.Init(nullptr), 0);
    EXPECT_EQ(front.Init(ORTHEX_LIBRARY_PATH), 1);
    EXPECT_EQ(front.Init("/no/such/engine.so"), 1);
    EXPECT_EQ(front.Init(nullptr), 1);
    EXPECT_TRUE(library_is_loaded(ORTHEX_LIBRARY_PATH));
    front.Terminate();
    EXPECT_FALSE(library_is_loaded(ORTHEX_LIBRARY_PATH));
}

TEST(HostBinding, PathsThatAreNoLibraryFail) {
    ScratchDir dir;
    write_file(dir.file("engine.so"), "not a library");
    Orthbridge front;
    ASSERT_TRUE(front.loaded());
    EXPECT_EQ(front.Init("/no/such/engine.so"), 0);
    EXPECT_EQ(front.Init(dir.path().c_str()), 0);
    EXPECT_EQ(front.Init(dir.file("engine.so").c_str()), 0);
    EXPECT_EQ(front.Init(""), 0);
    EXPECT_EQ(front.Init(nullptr), 0);
    EXPECT_EQ(front.Init(ORTHEX_LIBRARY_PATH), 1);
}

TEST(HostBinding, EngineLackingOneFunctionIsReleased) {
    Orthbridge front;
    ASSERT_TRUE(front.loaded());
    for (const char* stub : {STUB_MISSING_FIRST_PATH, STUB_MISSING_LAST_PATH}) {
        EXPECT_EQ(front.Init(stub), 0) << stub;
        EXPECT_FALSE(library_is_loaded(stub)) << stub;
        CheckResult result{};
        EXPECT_EQ(front.Check("text", &result), CheckFailed);
    }
    EXPECT_EQ(front.Init(ORTHEX_LIBRARY_PATH), 1);
}

TEST(HostBinding, EveryCallBeforeInitIsHarmless) {
    Orthbridge front;
    ASSERT_TRUE(front.loaded());
    CheckResult result;
    std::memset(&result, 0x5A, sizeof result);
    const CheckResult before = result;
    char out[LumoSpellWordSize] = "x";
    front.Terminate();
    EXPECT_EQ(front.Check("some text", &result), CheckFailed);
    EXPECT_EQ(std::memcmp(&before, &result, sizeof result), 0);
    EXPECT_EQ(front.SuggestionFirst(out), 0);
    EXPECT_STREQ(out, "");
    std::strcpy(out, "x");
    EXPECT_EQ(front.SuggestionNext(out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(front.IgnoreAlways("a"), 0);
    EXPECT_EQ(front.ChangeAlways("a", "b"), 0);
    EXPECT_EQ(front.AddWord("a"), 0);
    EXPECT_EQ(front.Mode(0xFFFF), 0);
    EXPECT_EQ(front.Init2("m", "u", 0, 0), 0);
    front.Terminate();
    EXPECT_TRUE(shown.empty());
}

TEST(HostBinding, NullArgumentsHaveDocumentedResults) {
    Session s;
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.front.Check(nullptr, &s.result), CheckFailed);
    EXPECT_EQ(s.front.Check("text", nullptr), CheckFailed);
    EXPECT_EQ(s.front.SuggestionFirst(nullptr), 0);
    EXPECT_EQ(s.front.SuggestionNext(nullptr), 0);
    EXPECT_EQ(s.front.IgnoreAlways(nullptr), LumoSpellErrBadArgument);
    EXPECT_EQ(s.front.ChangeAlways(nullptr, "b"), LumoSpellErrBadArgument);
    EXPECT_EQ(s.front.ChangeAlways("a", nullptr), LumoSpellErrBadArgument);
    EXPECT_EQ(s.front.AddWord(nullptr), LumoSpellErrBadArgument);
    EXPECT_EQ(s.front.Init2(nullptr, s.user_path.c_str(), 0, 0), 0);
    EXPECT_EQ(s.front.Init2(s.main_path.c_str(), nullptr, 0, 0), 0);
    EXPECT_TRUE(shown.empty());
}

TEST(HostSession, OpensWithLanguageZero) {
    Session s;
    ASSERT_TRUE(s.front.loaded());
    ASSERT_EQ(s.front.Init(ORTHEX_LIBRARY_PATH), 1);
    EXPECT_EQ(s.front.Init2(s.main_path.c_str(), s.user_path.c_str(), 0, 1), 1);
    EXPECT_TRUE(shown.empty());
}

TEST(HostSession, DictionariesThatCannotBeReadShowTheirStep) {
    Session s;
    ASSERT_TRUE(s.front.loaded());
    ASSERT_EQ(s.front.Init(ORTHEX_LIBRARY_PATH), 1);
    const std::string missing = s.dir.file("missing.dic");
    EXPECT_EQ(s.front.Init2(missing.c_str(), s.user_path.c_str(), 0, 1), 0);
    EXPECT_EQ(shown, Texts{"LumoSpell|LumoSpell Error 112 8803 65535"});
    EXPECT_EQ(s.front.last_failure(), "112 8803 " + missing + ": No such file or directory");

    shown.clear();
    EXPECT_EQ(s.front.Init2(s.dir.path().c_str(), s.user_path.c_str(), 1033, 1), 0);
    EXPECT_EQ(shown, Texts{"LumoSpell|LumoSpell Error 124 3"});
    EXPECT_EQ(s.front.last_failure().rfind("124 3 " + s.dir.path() + ": ", 0), 0u);

    shown.clear();
    const std::string no_folder = s.dir.file("no-folder/user.dic");
    EXPECT_EQ(s.front.Init2(s.main_path.c_str(), no_folder.c_str(), 1033, 1), 0);
    EXPECT_EQ(shown, Texts{"LumoSpell|LumoSpell Error 129 4"});
    EXPECT_EQ(s.front.last_failure().rfind("129 4 " + no_folder + ": ", 0), 0u);

    shown.clear();
    EXPECT_EQ(s.front.Init2(s.main_path.c_str(), s.user_path.c_str(), 1033, 1), 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(s.front.last_failure(), "0 0 : ");
}

TEST(HostSession, UserDictionaryThatDoesNotExistYetIsCreatedAndKeepsTheWords) {
    Session s;
    ASSERT_TRUE(s.front.loaded());
    ASSERT_EQ(s.front.Init(ORTHEX_LIBRARY_PATH), 1);
    const std::string fresh = s.dir.file("new.dic");
    ASSERT_EQ(s.front.Init2(s.main_path.c_str(), fresh.c_str(), 0, 1), 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(read_file(fresh), "");
    EXPECT_EQ(s.front.AddWord("zork"), 0);
    s.front.Terminate();
    EXPECT_EQ(read_file(fresh), "zork\r\n");
    EXPECT_TRUE(shown.empty());
}

TEST(HostSession, TerminateAndInitStartFromAFreshEngine) {
    Session s;
    ASSERT_TRUE(s.open());
    ASSERT_EQ(s.check("the teh"), CheckUnknownWord);
    s.front.Terminate();
    s.front.Terminate();
    EXPECT_FALSE(library_is_loaded(ORTHEX_LIBRARY_PATH));
    ASSERT_TRUE(s.open());
    // A reloaded engine has reported nothing yet: its report is empty.
    EXPECT_EQ(s.check("the cat"), CheckNoErrors);
    EXPECT_STREQ(s.result.replacement, "");
}

TEST(HostRoad, CheckSuggestDecideAndSave) {
    Session s;
    ASSERT_TRUE(s.open());

    EXPECT_EQ(s.check("the cat sat on teh mat"), CheckUnknownWord);
    EXPECT_EQ(s.result.wordOffset, 15);
    EXPECT_STREQ(s.result.word, "teh");
    EXPECT_STREQ(s.result.replacement, "teh");
    EXPECT_EQ(s.front.suggestions(), (Texts{"the", "tea", "ten"}));

    EXPECT_EQ(s.front.ChangeAlways("teh", "the"), 0);
    EXPECT_EQ(s.check("the cat sat on Teh mat"), CheckChangeAlways);
    EXPECT_EQ(s.result.wordOffset, 15);
    EXPECT_STREQ(s.result.word, "Teh");
    EXPECT_STREQ(s.result.replacement, "the");

    EXPECT_EQ(s.check("see blorf now"), CheckUnknownWord);
    EXPECT_STREQ(s.result.word, "blorf");
    EXPECT_EQ(s.front.IgnoreAlways("blorf"), 0);
    EXPECT_EQ(s.check("see blorf now"), CheckNoErrors);

    EXPECT_EQ(s.check("see zork now"), CheckUnknownWord);
    EXPECT_EQ(s.front.AddWord("zork"), 0);
    EXPECT_EQ(s.check("see zork now"), CheckNoErrors);
    EXPECT_EQ(s.result.wordOffset, 0);
    EXPECT_STREQ(s.result.word, "");

    s.front.Terminate();
    EXPECT_EQ(read_file(s.dir.file("user.BAK")), "gamma\r\n");
    const std::string saved = read_file(s.user_path);
    EXPECT_NE(saved.find("zork"), std::string::npos) << saved;
    EXPECT_NE(saved.find("gamma"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("blorf"), std::string::npos) << saved;
    EXPECT_TRUE(shown.empty());
}

TEST(HostRoad, WordNextToMaskedTextComesFromTheHostText) {
    Session s;
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.check("mail ab@cd.ef,wrod now"), CheckUnknownWord);
    EXPECT_EQ(s.result.wordOffset, 14);
    EXPECT_STREQ(s.result.word, "wrod");
    EXPECT_EQ(s.front.suggestions(), Texts{"word"});
}

TEST(HostRoad, ModeSwitchesMaskingAndEngineOptions) {
    Session s;
    ASSERT_TRUE(s.open());
    const std::string text = "see C:\\dir\\flie.txt now";
    EXPECT_EQ(s.check(text), CheckUnknownWord);
    EXPECT_STREQ(s.result.word, "C");
    EXPECT_EQ(s.front.Mode(ModeWebAddresses | ModePaths), 1);
    EXPECT_EQ(s.check(text), CheckNoErrors);

    EXPECT_EQ(s.check("see NASA now"), CheckUnknownWord);
    EXPECT_EQ(s.front.Mode(ModeWebAddresses | ModeIgnoreAllCapitals), 1);
    EXPECT_EQ(s.check("see NASA now"), CheckNoErrors);
    EXPECT_EQ(s.check("mail ab@cd now"), CheckNoErrors);
    EXPECT_EQ(s.front.Mode(0), 1);
    EXPECT_EQ(s.check("mail ab@cd now"), CheckUnknownWord);
    EXPECT_STREQ(s.result.word, "ab");
}

TEST(HostRoad, TextsOfAnyLengthAndEveryByte) {
    Session s;
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.check(""), CheckNoErrors);

    std::string full(LumoSpellMaxTextLength - 4, ' ');
    full.replace(0, 7, "the cat");
    full += "wrod";
    ASSERT_EQ(full.size(), 16383u);
    EXPECT_EQ(s.check(full), CheckUnknownWord);
    EXPECT_EQ(s.result.wordOffset, 16379);
    EXPECT_STREQ(s.result.word, "wrod");

    // satin straddles the limit; its first bytes alone must not be reported.
    std::string straddle(LumoSpellMaxTextLength - 2, ' ');
    straddle += "satin rest wrod";
    straddle.resize(100000, ' ');
    EXPECT_EQ(s.check(straddle), CheckNoErrors);

    std::string bytes;
    for (int b = 1; b <= 255; ++b) bytes += static_cast<char>(b);
    for (unsigned mode : {0u, unsigned(ModeWebAddresses | ModePaths)}) {
        s.front.Mode(mode);
        const int status = s.check(bytes + bytes);
        EXPECT_TRUE(status >= CheckNoErrors && status <= CheckChangeAlways) << status;
    }
}

TEST(HostRoad, Utf8LocaleKeepsEnglishAfterJapanese) {
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
    Session s;
    const bool opened = s.open();
    // U+3042 then cta: read as Shift-JIS, the last byte of U+3042 would
    // take the c with it.
    const int status = s.check("\xE3\x81\x82" "cta now");
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(opened);
    EXPECT_EQ(status, CheckUnknownWord);
    EXPECT_EQ(s.result.wordOffset, 3);
    EXPECT_STREQ(s.result.word, "cta");
}
