// A 32-bit host that calls every export of the four DLLs through pointers
// of the headers' types and reads the stack pointer before and after each
// call: a DLL built with another calling convention than its header states
// leaves it moved by the size of the arguments.  The callbacks check that
// the DLL calls them at the same depth every time, which a DLL that calls
// them with the wrong convention would not.  Built without optimisation so
// that every call's stack adjustment is made right after it.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"
#include "lumospell/ranker.h"
#include "scratch_files.h"
#include "windows_check.h"

static_assert(sizeof(void*) == 4, "the stack check is for 32-bit x86");

#define READ_STACK_POINTER(into) __asm__ volatile("movl %%esp, %0" : "=r"(into)::"memory")

// Checks that expression, one call, leaves the stack pointer as it was.
#define CHECK_CALL(expression)                                                          \
    do {                                                                                \
        uintptr_t before_call, after_call;                                              \
        READ_STACK_POINTER(before_call);                                                \
        expression;                                                                     \
        READ_STACK_POINTER(after_call);                                                 \
        wincheck::record_equal(after_call - before_call, uintptr_t{0},                  \
                               "stack pointer moved by " #expression, __FILE__, __LINE__); \
    } while (0)

namespace {

template <typename Function>
Function find(HMODULE module, const char* name) {
    const FARPROC address = GetProcAddress(module, name);
    CHECK(address != nullptr);
    Function function;
    std::memcpy(&function, &address, sizeof function);
    return function;
}

#define FIND(module, function) find<decltype(&function)>(module, #function)

// The stack pointer at each entry of a callback.
std::set<uintptr_t> poll_entries;
int poll_calls = 0;
std::set<uintptr_t> handler_entries;
int handler_calls = 0;

int32_t LUMOSPELL_CALL presenter(void* /*context*/, int32_t event, const char* /*text*/) {
    uintptr_t at;
    READ_STACK_POINTER(at);
    if (event == LumoSpellProgressPoll) {
        poll_entries.insert(at);
        ++poll_calls;
    }
    return LumoSpellProgressContinue;
}

void LUMOSPELL_CALL handler(const char* /*text*/, const char* /*caption*/, void* /*context*/) {
    uintptr_t at;
    READ_STACK_POINTER(at);
    handler_entries.insert(at);
    ++handler_calls;
}

std::string many_words() {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "w";
        for (int n = i; n > 0; n /= 26) text += static_cast<char>('a' + n % 26);
        text += "\r\n";
    }
    return text;
}

void engine_calls(const std::string& folder, const wincheck::ScratchFolder& scratch) {
    wincheck::Deadline deadline("engine", 30);
    const HMODULE engine = LoadLibraryA((folder + "Orthex.dll").c_str());
    if (!CHECK(engine != nullptr)) return;
    const std::string main = scratch / "main.dic";
    const std::string user = scratch / "engine-user.dic";
    uint16_t a = 0, b = 0, c = 0, code = 1;
    uint32_t session = 0, id = 0;
    int read_only = 0;
    unsigned char special[16] = {};
    unsigned char record[16] = {};
    char text[] = "teh word";
    char suggestions[256] = "";
    char list[256] = "";
    SpellInputBuffer input = {};
    input.textLength = 3;
    input.text = text;
    SpellReturnBuffer output = {};
    output.suggestions = suggestions;
    output.suggestionCapacity = sizeof suggestions;

    CHECK_CALL(code = FIND(engine, SpellVer)(&a, &b, &c));
    CHECK_CALL(code = FIND(engine, SpellInit)(&session, special));
    CHECK_EQ(code, 0);
    CHECK_CALL(code = FIND(engine, SpellVerifyMdr)(main.c_str(), 1033, &a));
    CHECK_CALL(code = FIND(engine, SpellOpenMdr)(session, main.c_str(), nullptr, 0, 1, 1033,
                                                 record));
    CHECK_EQ(code, 0);
    CHECK_CALL(code = FIND(engine, SpellOpenUdr)(session, user.c_str(), 1, UdrIgnoreAlways, &id,
                                                 &read_only));
    CHECK_CALL(code = FIND(engine, SpellOptions)(session, 1));
    CHECK_CALL(code = FIND(engine, SpellCheck)(session, CommandVerifyBuffer, &input, &output));
    CHECK_EQ(output.status, StatusUnknownWord);
    CHECK_CALL(code = FIND(engine, SpellAddUdr)(session, id, "teh"));
    CHECK_CALL(code = FIND(engine, SpellAddChangeUdr)(session, UdrChangeAlways, "hte", "the"));
    CHECK_CALL(code = FIND(engine, SpellDelUdr)(session, id, "teh"));
    CHECK_CALL(code = FIND(engine, SpellClearUdr)(session, id));
    CHECK_CALL(code = FIND(engine, SpellGetSizeUdr)(session, id, &a));
    CHECK_CALL(code = FIND(engine, SpellGetListUdr)(session, id, list, sizeof list));
    CHECK_CALL(code = FIND(engine, SpellCloseMdr)(session, record));
    CHECK_CALL(code = FIND(engine, SpellCloseUdr)(session, id, 1));
    CHECK_CALL(code = FIND(engine, SpellTerminate)(session, 1));
    FreeLibrary(engine);
}

void front_calls(const std::string& folder, const wincheck::ScratchFolder& scratch) {
    wincheck::Deadline deadline("front", 30);
    const HMODULE front = LoadLibraryA((folder + "Orthbridge.dll").c_str());
    if (!CHECK(front != nullptr)) return;
    const std::string main = scratch / "main.dic";
    const std::string user = scratch / "user.dic";
    int result = 0;
    CheckResult check = {};
    char word[LumoSpellWordSize] = "";

    CHECK_CALL(FIND(front, LumoSpellSetMessageHandler)(handler, nullptr));
    CHECK_CALL(result = FIND(front, LumoSpellInit)("Orthex.dll"));
    CHECK_EQ(result, 1);
    // Three failing opens: the handler is called at the same depth each time.
    for (int i = 0; i < 3; ++i) {
        CHECK_CALL(result = FIND(front, LumoSpellInit2)((scratch / "missing.dic").c_str(),
                                                        user.c_str(), 0, 1));
        CHECK_EQ(result, 0);
    }
    CHECK_EQ(handler_calls, 3);
    CHECK_EQ(handler_entries.size(), 1u);
    CHECK_CALL(result = FIND(front, LumoSpellInit2)(main.c_str(), user.c_str(), 0, 1));
    CHECK_EQ(result, 1);
    CHECK_CALL(result = FIND(front, LumoSpellMode)(ModeWebAddresses));
    CHECK_CALL(result = FIND(front, LumoSpellCheck)("teh word", &check));
    CHECK_EQ(result, CheckUnknownWord);
    CHECK_CALL(result = FIND(front, LumoSpellGetSuggestionFirst)(word));
    CHECK_CALL(result = FIND(front, LumoSpellGetSuggestionNext)(word));
    CHECK_CALL(result = FIND(front, LumoSpellIgnoreAlways)("teh"));
    CHECK_CALL(result = FIND(front, LumoSpellChangeAlways)("hte", "the"));
    CHECK_CALL(result = FIND(front, LumoSpellAddWord)("wrod"));
    CHECK_CALL(FIND(front, LumoSpellTerminate)());
    char reason[64] = "";
    CHECK_CALL(result = FIND(front, LumoSpellGetSaveResult)(reason, sizeof reason));
    CHECK_EQ(result, 0);
    int code = -1;
    CHECK_CALL(result = FIND(front, LumoSpellGetLastFailure)(&code, reason, sizeof reason,
                                                             reason, sizeof reason));
    CHECK_EQ(result, 0);
    FreeLibrary(front);
}

LRESULT CALLBACK owner_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND create_owner() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = owner_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "LumoSpellConventionOwner";
    RegisterClassA(&window_class);
    return CreateWindowExA(0, window_class.lpszClassName, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                           100, nullptr, nullptr, window_class.hInstance, nullptr);
}

void builder_calls(const std::string& folder, const wincheck::ScratchFolder& scratch) {
    wincheck::Deadline deadline("builder", 60);
    const HMODULE builder = LoadLibraryA((folder + "Lexforge.dll").c_str());
    if (!CHECK(builder != nullptr)) return;
    const std::string source = scratch / "source.txt";
    const std::string output = scratch / "built.dic";
    CHECK(wincheck::write_file(source, many_words()));
    int32_t result = 0;

    CHECK_CALL(FIND(builder, LumoSpellSetProgressPresenter)(presenter, nullptr));
    CHECK_CALL(result = FIND(builder, LumoSpellMakeDic)(nullptr, source.c_str(), output.c_str()));
    CHECK_EQ(result, 1);
    // Every poll comes from one place in the builder, so at one depth.
    CHECK(poll_calls >= 3);
    CHECK_EQ(poll_entries.size(), 1u);
    CHECK_CALL(FIND(builder, LumoSpellSetProgressPresenter)(nullptr, nullptr));

    // The owner closes while its progress dialog is up: the build ends as
    // cancelled (1, no output left), and nothing crashes.
    const HWND owner = create_owner();
    PostMessageA(owner, WM_CLOSE, 0, 0);
    CHECK_CALL(result = FIND(builder, LumoSpellMakeDic)(owner, source.c_str(), output.c_str()));
    CHECK_EQ(result, 1);
    CHECK(!IsWindow(owner));
    CHECK(!wincheck::exists(output));
    FreeLibrary(builder);
}

void ranker_calls(const std::string& folder, const wincheck::ScratchFolder& scratch) {
    wincheck::Deadline deadline("ranker", 30);
    const HMODULE ranker = LoadLibraryA((folder + "LumoRank.dll").c_str());
    if (!CHECK(ranker != nullptr)) return;
    const std::string main = scratch / "main.dic";
    const char* version = nullptr;
    LumoRanker* handle = nullptr;
    int32_t result = -1;
    char area[256] = "";
    CHECK_CALL(version = FIND(ranker, LumoRankVersion)());
    CHECK(version != nullptr);
    CHECK_CALL(result = FIND(ranker, LumoRankOpen)(main.c_str(), nullptr, nullptr, &handle));
    CHECK_EQ(result, LumoRankOk);
    CHECK_CALL(result = FIND(ranker, LumoRankUsesIndex)(handle));
    CHECK_CALL(result = FIND(ranker, LumoRankOpenUserDict)(handle, (scratch / "user.dic").c_str()));
    CHECK_CALL(result = FIND(ranker, LumoRankAddWord)(handle, "wrod"));
    CHECK_CALL(result = FIND(ranker, LumoRankChangeAlways)(handle, "hte", "the"));
    CHECK_CALL(result = FIND(ranker, LumoRankSuggest)(handle, "teh", area, sizeof area, 5));
    CHECK(result > 0);
    CHECK_CALL(FIND(ranker, LumoRankClose)(handle));
    FreeLibrary(ranker);
}

}  // namespace

int main() {
    const std::string folder = wincheck::program_folder();
    wincheck::ScratchFolder scratch("lumospell-convention");
    CHECK(wincheck::write_file(scratch / "main.dic", "the\r\nword\r\nten\r\n"));
    CHECK(wincheck::write_file(scratch / "user.dic", ""));
    engine_calls(folder, scratch);
    front_calls(folder, scratch);
    builder_calls(folder, scratch);
    ranker_calls(folder, scratch);
    return wincheck::summary("convention test");
}
