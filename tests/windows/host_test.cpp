// A Windows host of the three libraries, used as an application uses them:
// each loaded at run time by its path, the engine bound by ordinal, the
// front's error box and the builder's progress dialog real windows that
// thread hooks read and answer.  Runs under Wine with the DLLs beside it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"
#include "progress_dialog_win32.h"
#include "scratch_files.h"
#include "windows_check.h"

using wincheck::Deadline;
using wincheck::exists;
using wincheck::read_file;
using wincheck::ScratchFolder;
using wincheck::write_file;

namespace {

// A MessageBox's text is the static control with this identifier.
constexpr int MessageBoxTextId = 0xFFFF;
constexpr DWORD StepSeconds = 30;

const char* const EngineNames[16] = {ORTHEX_EXPORT_NAMES};

// The progress dialog's texts as its template holds them.
const std::wstring DialogCaption = L"Ｌｕｍｏスペルチェックキット:辞書作成中";
const std::wstring CancelText = L"中止";

template <typename Function>
Function as(FARPROC address) {
    Function function;
    static_assert(sizeof function == sizeof address, "function pointers");
    std::memcpy(&function, &address, sizeof function);
    return function;
}

std::string window_text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::wstring window_text_wide(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

std::string class_of(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct SeenBox {
    std::string text;
    std::string caption;
    std::wstring wide_text;
    HWND owner;
};

struct SeenDialog {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    LONG style = 0;
    std::wstring cancel_text;
    std::string text_class;
    std::string cancel_class;
};

enum class CancelBy { Nothing, CancelCommand, EscapeKey };

struct Observed {
    std::vector<SeenBox> boxes;
    std::vector<SeenDialog> dialogs;
    std::vector<std::string> statuses;  // control 100's text after each change
    int statuses_with_owner_enabled = 0;
    CancelBy cancel_by = CancelBy::Nothing;
    bool cancel_sent = false;
    HWND host_window = nullptr;
    bool building = false;
    int host_messages_while_building = 0;
    std::set<HWND> noticed;  // dialogs and boxes already looked at
};

Observed seen;

bool is_percentage(const std::string& status) {
    // "%3ld%% " and "processing" in Shift-JIS.
    static const std::string processing = "% \x8F\x88\x97\x9D\x92\x86";
    return status.size() == 3 + processing.size() &&
           status.compare(3, std::string::npos, processing) == 0 &&
           std::all_of(status.begin(), status.begin() + 3,
                       [](char c) { return c == ' ' || (c >= '0' && c <= '9'); });
}

void request_cancel(HWND dialog) {
    if (seen.cancel_by == CancelBy::CancelCommand) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    } else if (seen.cancel_by == CancelBy::EscapeKey) {
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    }
    seen.cancel_sent = true;
}

LRESULT CALLBACK watch_activations(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE) {
        const HWND window = reinterpret_cast<HWND>(wparam);
        if (class_of(window) == "#32770" && seen.noticed.insert(window).second) {
            if (GetDlgItem(window, IDC_PROGRESS_TEXT) != nullptr) {
                SeenDialog dialog;
                dialog.window = window;
                dialog.owner = GetWindow(window, GW_OWNER);
                dialog.caption = window_text_wide(window);
                dialog.style = GetWindowLongA(window, GWL_STYLE);
                dialog.cancel_text = window_text_wide(GetDlgItem(window, IDCANCEL));
                dialog.text_class = class_of(GetDlgItem(window, IDC_PROGRESS_TEXT));
                dialog.cancel_class = class_of(GetDlgItem(window, IDCANCEL));
                seen.dialogs.push_back(dialog);
            } else if (const HWND text = GetDlgItem(window, MessageBoxTextId)) {
                seen.boxes.push_back({window_text(text), window_text(window),
                                      window_text_wide(text), GetWindow(window, GW_OWNER)});
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            }
        }
    } else if (code == HCBT_DESTROYWND) {
        seen.noticed.erase(reinterpret_cast<HWND>(wparam));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK watch_status_text(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
        const HWND dialog = seen.dialogs.empty() ? nullptr : seen.dialogs.back().window;
        if (call->message == WM_SETTEXT && dialog != nullptr && GetParent(call->hwnd) == dialog &&
            GetDlgCtrlID(call->hwnd) == IDC_PROGRESS_TEXT) {
            char text[64] = "";
            GetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, text, sizeof text);
            seen.statuses.push_back(text);
            if (IsWindowEnabled(seen.host_window)) ++seen.statuses_with_owner_enabled;
            if (seen.cancel_by != CancelBy::Nothing && !seen.cancel_sent && is_percentage(text))
                request_cancel(dialog);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK host_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP && seen.building) ++seen.host_messages_while_building;
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND create_host_window() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = host_window_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "LumoSpellTestHost";
    RegisterClassA(&window_class);
    const HWND window =
        CreateWindowExA(0, "LumoSpellTestHost", "host", WS_OVERLAPPEDWINDOW, 10, 10, 400, 300,
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

void drain_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void clear_observed() {
    seen.boxes.clear();
    seen.dialogs.clear();
    seen.statuses.clear();
    seen.statuses_with_owner_enabled = 0;
    seen.cancel_by = CancelBy::Nothing;
    seen.cancel_sent = false;
    seen.host_messages_while_building = 0;
}

struct Front {
    HMODULE module = nullptr;
    decltype(&LumoSpellInit) init = nullptr;
    decltype(&LumoSpellInit2) init2 = nullptr;
    decltype(&LumoSpellTerminate) terminate = nullptr;
    decltype(&LumoSpellCheck) check = nullptr;
    decltype(&LumoSpellGetSuggestionFirst) suggestion_first = nullptr;
    decltype(&LumoSpellGetSuggestionNext) suggestion_next = nullptr;
    decltype(&LumoSpellIgnoreAlways) ignore_always = nullptr;
    decltype(&LumoSpellChangeAlways) change_always = nullptr;
    decltype(&LumoSpellAddWord) add_word = nullptr;
    decltype(&LumoSpellMode) mode = nullptr;
    decltype(&LumoSpellSetMessageHandler) set_message_handler = nullptr;

    bool bind(const std::string& path) {
        module = LoadLibraryA(path.c_str());
        if (module == nullptr) return false;
        bool all = true;
        auto find = [&](auto& slot, const char* name) {
            slot = as<std::remove_reference_t<decltype(slot)>>(GetProcAddress(module, name));
            all = all && slot != nullptr;
        };
        find(init, "LumoSpellInit");
        find(init2, "LumoSpellInit2");
        find(terminate, "LumoSpellTerminate");
        find(check, "LumoSpellCheck");
        find(suggestion_first, "LumoSpellGetSuggestionFirst");
        find(suggestion_next, "LumoSpellGetSuggestionNext");
        find(ignore_always, "LumoSpellIgnoreAlways");
        find(change_always, "LumoSpellChangeAlways");
        find(add_word, "LumoSpellAddWord");
        find(mode, "LumoSpellMode");
        find(set_message_handler, "LumoSpellSetMessageHandler");
        return all;
    }
};

struct Builder {
    HMODULE module = nullptr;
    decltype(&LumoSpellMakeDic) make_dic = nullptr;
    decltype(&LumoSpellSetProgressPresenter) set_presenter = nullptr;
};

// The engine bound by ordinal, as the front binds it.
struct Engine {
    HMODULE module = nullptr;
    FARPROC entry[17] = {};

    bool bind(const std::string& path) {
        module = LoadLibraryA(path.c_str());
        if (module == nullptr) return false;
        for (int ordinal = 1; ordinal <= 16; ++ordinal) {
            entry[ordinal] = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
            if (entry[ordinal] == nullptr) return false;
        }
        return true;
    }
    template <typename Function>
    Function at(int ordinal) const {
        return as<Function>(entry[ordinal]);
    }
};

struct Paths {
    std::string folder = wincheck::program_folder();
    std::string engine = folder + "Orthex.dll";
    std::string front = folder + "Orthbridge.dll";
    std::string builder = folder + "Lexforge.dll";
    std::string partial_engine = folder + "partial_engine.dll";
};

const std::string MainWords =
    "the\r\nquick\r\nbrown\r\nfox\r\njumps\r\nover\r\nlazy\r\ndog\r\nword\r\nsee\r\n";

std::set<std::string> lines_of(const std::string& text, bool* all_crlf) {
    std::set<std::string> lines;
    *all_crlf = true;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            *all_crlf = false;
            lines.insert(text.substr(start));
            break;
        }
        lines.insert(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool module_loaded(const char* name) { return GetModuleHandleA(name) != nullptr; }

void exports_by_ordinal(const Paths& paths) {
    Deadline deadline("exports by ordinal", StepSeconds);
    const HMODULE engine = LoadLibraryA(paths.engine.c_str());
    if (!CHECK(engine != nullptr)) return;
    for (int ordinal = 1; ordinal <= 16; ++ordinal) {
        const FARPROC by_ordinal = GetProcAddress(engine, MAKEINTRESOURCEA(ordinal));
        const FARPROC by_name = GetProcAddress(engine, EngineNames[ordinal - 1]);
        CHECK(by_ordinal != nullptr);
        CHECK(by_ordinal == by_name);
    }
    CHECK(GetProcAddress(engine, MAKEINTRESOURCEA(17)) == nullptr);
    uint16_t version = 0;
    uint16_t engine_id = 1;
    uint16_t type = 1;
    CHECK_EQ(as<decltype(&SpellVer)>(GetProcAddress(engine, MAKEINTRESOURCEA(1)))(
                 &version, &engine_id, &type),
             0);
    CHECK_EQ(version, 0x0100);
    CHECK_EQ(engine_id, 0);
    CHECK_EQ(type, 0);
    FreeLibrary(engine);

    const HMODULE builder = LoadLibraryA(paths.builder.c_str());
    if (!CHECK(builder != nullptr)) return;
    CHECK(GetProcAddress(builder, MAKEINTRESOURCEA(1)) ==
          GetProcAddress(builder, "LumoSpellMakeDic"));
    CHECK(GetProcAddress(builder, MAKEINTRESOURCEA(1)) != nullptr);
    CHECK(GetProcAddress(builder, MAKEINTRESOURCEA(2)) ==
          GetProcAddress(builder, "LumoSpellSetProgressPresenter"));
    FreeLibrary(builder);
    CHECK(!module_loaded("Orthex.dll"));
    CHECK(!module_loaded("Lexforge.dll"));
}

// A string resource item of a dialog template: an ordinal or UTF-16 text.
std::wstring read_sz_or_ordinal(const WORD*& at) {
    if (*at == 0xFFFF) {
        const WORD ordinal = at[1];
        at += 2;
        return L"#" + std::to_wstring(ordinal);
    }
    std::wstring text;
    while (*at != 0) text += static_cast<wchar_t>(*at++);
    ++at;
    return text;
}

const WORD* align_dword(const WORD* at, const void* base) {
    const auto offset = reinterpret_cast<const char*>(at) - static_cast<const char*>(base);
    return reinterpret_cast<const WORD*>(static_cast<const char*>(base) + ((offset + 3) & ~3));
}

struct TemplateItem {
    DWORD style;
    DWORD extended_style;
    short x, y, cx, cy;
    WORD id;
    std::wstring window_class;
    std::wstring title;
};

void dialog_template(const Paths& paths) {
    Deadline deadline("dialog template", StepSeconds);
    const HMODULE builder =
        LoadLibraryExA(paths.builder.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!CHECK(builder != nullptr)) return;
    const HRSRC resource = FindResourceExA(builder, RT_DIALOG, "MAKESPELLDIC",
                                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (CHECK(resource != nullptr)) {
        const void* base = LockResource(LoadResource(builder, resource));
        const DWORD size = SizeofResource(builder, resource);
        CHECK(base != nullptr && size >= 18);
        const auto* header = static_cast<const DLGTEMPLATE*>(base);
        CHECK_EQ(header->style, 0x80C80084ul);
        CHECK_EQ(header->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU |
                                                   DS_MODALFRAME | DS_3DLOOK));
        CHECK_EQ(header->dwExtendedStyle, 0ul);
        CHECK_EQ(header->cdit, 2);
        CHECK_EQ(header->x, 25);
        CHECK_EQ(header->y, 23);
        CHECK_EQ(header->cx, 159);
        CHECK_EQ(header->cy, 43);
        const WORD* at = reinterpret_cast<const WORD*>(header + 1);
        CHECK_EQ(read_sz_or_ordinal(at), std::wstring());  // no menu
        CHECK_EQ(read_sz_or_ordinal(at), std::wstring());  // the standard dialog class
        CHECK_EQ(read_sz_or_ordinal(at), DialogCaption);
        std::vector<TemplateItem> items;
        for (int i = 0; i < header->cdit; ++i) {
            at = align_dword(at, base);
            const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(at);
            TemplateItem read{item->style, item->dwExtendedStyle,
                              item->x,     item->y,
                              item->cx,    item->cy,
                              item->id,    {},
                              {}};
            at = reinterpret_cast<const WORD*>(item + 1);
            read.window_class = read_sz_or_ordinal(at);
            read.title = read_sz_or_ordinal(at);
            // Creation data: none, or its size in bytes (the size's own word included).
            at += *at == 0 ? 1 : (*at + 1) / 2;
            items.push_back(read);
        }
        if (CHECK_EQ(items.size(), 2u)) {
            // 0x0082 and 0x0080 are the system's STATIC and BUTTON classes.
            CHECK(items[0].window_class == L"#130" || items[0].window_class == L"STATIC");
            CHECK_EQ(items[0].id, IDC_PROGRESS_TEXT);
            CHECK_EQ(items[0].style, 0x50020001ul);
            CHECK_EQ(items[0].extended_style, 0ul);
            CHECK(items[0].x == 13 && items[0].y == 7 && items[0].cx == 132 && items[0].cy == 9);
            CHECK_EQ(items[0].title, std::wstring());
            CHECK(items[1].window_class == L"#128" || items[1].window_class == L"BUTTON");
            CHECK_EQ(items[1].id, IDCANCEL);
            CHECK_EQ(items[1].style, 0x50030001ul);
            CHECK_EQ(items[1].extended_style, 0ul);
            CHECK(items[1].x == 51 && items[1].y == 22 && items[1].cx == 56 && items[1].cy == 16);
            CHECK_EQ(items[1].title, CancelText);
        }
        CHECK(reinterpret_cast<const char*>(at) <= static_cast<const char*>(base) + size);
    }
    FreeLibrary(builder);
}

void binding(const Paths& paths, Front& front, const ScratchFolder& scratch) {
    Deadline deadline("binding", StepSeconds);
    CHECK_EQ(front.init((scratch / "no-such-engine.dll").c_str()), 0);
    // An engine without ordinal 16 is refused whole and released.
    CHECK_EQ(front.init(paths.partial_engine.c_str()), 0);
    CHECK(!module_loaded("partial_engine.dll"));
    // Unbound: no session and no message.
    CHECK_EQ(front.init2((scratch / "main.dic").c_str(), (scratch / "user.dic").c_str(), 0, 1), 0);
    CHECK_EQ(seen.boxes.size(), 0u);
    CheckResult result;
    CHECK_EQ(front.check("word", &result), CheckFailed);

    // Names that are not full paths are looked up beside the front, never
    // in the current folder: a planted engine there is not loaded.
    const std::string planted = scratch / "planted\\";
    const std::string sjis_folder = scratch / "\x95\x5C\x8E\xA6\\";  // 表示
    CreateDirectoryA(planted.c_str(), nullptr);
    CreateDirectoryA((planted + "sub").c_str(), nullptr);
    CHECK(CopyFileA(paths.partial_engine.c_str(), (planted + "Orthex.dll").c_str(), FALSE));
    CHECK(CopyFileA(paths.engine.c_str(), (planted + "sub\\Orthex.dll").c_str(), FALSE));
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    CHECK(SetCurrentDirectoryA(planted.c_str()));
    CHECK_EQ(front.init("sub\\Orthex.dll"), 0);
    CHECK_EQ(front.init("\\Orthex.dll"), 0);
    CHECK_EQ(front.init("Orthex.dll"), 1);
    CHECK(GetModuleHandleA(paths.engine.c_str()) != nullptr);
    front.terminate();
    SetCurrentDirectoryA(previous);
    // Under code page 932 0x95 0x5C is one character, not a separator.
    if (GetACP() == 932 && CreateDirectoryA(sjis_folder.c_str(), nullptr) &&
        CHECK(CopyFileA(paths.engine.c_str(), (sjis_folder + "Orthex.dll").c_str(), FALSE))) {
        CHECK_EQ(front.init((sjis_folder + "Orthex.dll").c_str()), 1);
        front.terminate();
    }

    CHECK_EQ(front.init(paths.engine.c_str()), 1);
    CHECK(module_loaded("Orthex.dll"));
    // Once bound, the path is not looked at.
    CHECK_EQ(front.init((scratch / "no-such-engine.dll").c_str()), 1);
}

void LUMOSPELL_CALL handler_records(const char* text, const char* caption, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(std::string(caption) + "|" + text);
}

void error_boxes(Front& front, const ScratchFolder& scratch) {
    Deadline deadline("error boxes", StepSeconds);
    const std::string main = scratch / "main.dic";
    const std::string user = scratch / "user.dic";
    const std::string missing = scratch / "missing.dic";
    CreateDirectoryA((scratch / "folder.dic").c_str(), nullptr);

    struct Case {
        std::string main, user, text;
    };
    const Case cases[] = {
        {missing, user, "LumoSpell Error 112 8803 65535"},
        {scratch / "folder.dic", user, "LumoSpell Error 124 3"},
        {main, scratch / "no-folder\\user.dic", "LumoSpell Error 129 4"},
    };
    for (const Case& c : cases) {
        clear_observed();
        CHECK_EQ(front.init2(c.main.c_str(), c.user.c_str(), 0, 1), 0);
        if (CHECK_EQ(seen.boxes.size(), 1u)) {
            CHECK_EQ(seen.boxes[0].text, c.text);
            CHECK_EQ(seen.boxes[0].caption, std::string("LumoSpell"));
            CHECK(seen.boxes[0].owner == nullptr);
        }
    }

    // A host's own handler replaces the box.
    std::vector<std::string> handled;
    front.set_message_handler(handler_records, &handled);
    clear_observed();
    CHECK_EQ(front.init2(missing.c_str(), user.c_str(), 0, 1), 0);
    CHECK_EQ(seen.boxes.size(), 0u);
    if (CHECK_EQ(handled.size(), 1u))
        CHECK_EQ(handled[0], std::string("LumoSpell|LumoSpell Error 112 8803 65535"));
    front.set_message_handler(nullptr, nullptr);
    clear_observed();
    CHECK_EQ(front.init2(missing.c_str(), user.c_str(), 0, 1), 0);
    CHECK_EQ(seen.boxes.size(), 1u);
}

void session(const Paths& paths, Front& front, const ScratchFolder& scratch) {
    Deadline deadline("session", StepSeconds);
    const std::string main = scratch / "main.dic";
    const std::string user = scratch / "user.dic";
    clear_observed();
    CHECK_EQ(front.init2(main.c_str(), user.c_str(), 0, 1), 1);
    CHECK_EQ(seen.boxes.size(), 0u);

    CheckResult result;
    CHECK_EQ(front.check("The quick brwn fox", &result), CheckUnknownWord);
    CHECK_EQ(result.wordOffset, 10);
    CHECK_EQ(std::string(result.word), std::string("brwn"));
    char suggestion[LumoSpellWordSize];
    std::vector<std::string> suggestions;
    for (int more = front.suggestion_first(suggestion); more;
         more = front.suggestion_next(suggestion))
        suggestions.push_back(suggestion);
    CHECK(std::find(suggestions.begin(), suggestions.end(), "brown") != suggestions.end());

    CHECK_EQ(front.check("zyxwv", &result), CheckNoErrors);  // from the user dictionary
    CHECK_EQ(front.add_word("brwn"), 0);
    CHECK_EQ(front.check("The quick brwn fox", &result), CheckNoErrors);
    CHECK_EQ(front.change_always("teh", "the"), 0);
    CHECK_EQ(front.check("see teh dog", &result), CheckChangeAlways);
    CHECK_EQ(std::string(result.word), std::string("teh"));
    CHECK_EQ(std::string(result.replacement), std::string("the"));
    CHECK_EQ(front.ignore_always("qwzx"), 0);
    CHECK_EQ(front.check("qwzx fox", &result), CheckNoErrors);

    // Lead bytes come from the system's code page: in code page 932 0x83
    // starts a character whose second byte here is Q.
    const int status = front.check("\x83Qword", &result);
    if (GetACP() == 932) {
        CHECK_EQ(status, CheckNoErrors);
    } else {
        CHECK_EQ(status, CheckUnknownWord);
        CHECK_EQ(std::string(result.word), std::string("Qword"));
    }

    front.terminate();
    CHECK(!module_loaded("Orthex.dll"));
    bool all_crlf = false;
    CHECK(lines_of(read_file(user), &all_crlf) == std::set<std::string>({"zyxwv", "brwn"}));
    CHECK(all_crlf);
    CHECK_EQ(read_file(scratch / "user.BAK"), std::string("zyxwv\r\n"));
    CHECK(!exists(scratch / "~~$LUMOSP$.TMP"));
    CHECK_EQ(seen.boxes.size(), 0u);

    // The added word is known in the next session; nothing changes, so
    // nothing is saved.
    const std::string saved = read_file(user);
    CHECK_EQ(front.init(paths.engine.c_str()), 1);
    CHECK_EQ(front.init2(main.c_str(), user.c_str(), 1033, 1), 1);
    CHECK_EQ(front.check("brwn", &result), CheckNoErrors);
    front.terminate();
    CHECK_EQ(read_file(user), saved);
    CHECK_EQ(read_file(scratch / "user.BAK"), std::string("zyxwv\r\n"));
}

// One session that adds a word to the user dictionary at path.
void add_and_save(const Paths& paths, Front& front, const std::string& main,
                  const std::string& user, const char* word) {
    CHECK_EQ(front.init(paths.engine.c_str()), 1);
    CHECK_EQ(front.init2(main.c_str(), user.c_str(), 0, 1), 1);
    CHECK_EQ(front.add_word(word), 0);
    front.terminate();
}

void save_names(const Paths& paths, Front& front, const ScratchFolder& scratch) {
    Deadline deadline("save names", StepSeconds);
    const std::string main = scratch / "main.dic";

    // No drive and no folder: the current directory.
    const std::string folder = scratch / "relative\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CHECK(write_file(folder + "rel.dic", "first\r\n"));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    CHECK(SetCurrentDirectoryA(folder.c_str()));
    add_and_save(paths, front, main, "rel.dic", "second");
    SetCurrentDirectoryA(previous);
    bool all_crlf = false;
    CHECK(lines_of(read_file(folder + "rel.dic"), &all_crlf) ==
          std::set<std::string>({"first", "second"}));
    CHECK_EQ(read_file(folder + "rel.BAK"), std::string("first\r\n"));

    // A user dictionary that does not exist yet is made, and keeps the word.
    add_and_save(paths, front, main, folder + "new.dic", "third");
    CHECK_EQ(read_file(folder + "new.dic"), std::string("third\r\n"));

    // A name with a double-byte character whose second byte is 0x5C, the
    // backslash: ab<kanji>cd.dic.  Taken for a separator, it would make
    // the temporary file ab<kanji>~~$LUMOSP$.TMP, which a folder blocks.
    if (GetACP() != 932) {
        std::printf("skipped [save names]: double-byte names need code page 932\n");
        return;
    }
    const std::string dbcs = scratch / "dbcs\\";
    CreateDirectoryA(dbcs.c_str(), nullptr);
    const std::string name =
        "ab\x95\x5C"
        "cd";
    CreateDirectoryA((dbcs + "ab\x95\x5C~~$LUMOSP$.TMP").c_str(), nullptr);
    CHECK(write_file(dbcs + name + ".dic", "first\r\n"));
    add_and_save(paths, front, main, dbcs + name + ".dic", "second");
    CHECK(lines_of(read_file(dbcs + name + ".dic"), &all_crlf) ==
          std::set<std::string>({"first", "second"}));
    CHECK_EQ(read_file(dbcs + name + ".BAK"), std::string("first\r\n"));
    CHECK(!exists(dbcs + "~~$LUMOSP$.TMP"));
    add_and_save(paths, front, main, dbcs + name + "new.dic", "third");
    CHECK_EQ(read_file(dbcs + name + "new.dic"), std::string("third\r\n"));
}

void failed_save(const Paths& paths, const ScratchFolder& scratch) {
    Deadline deadline("failed save", StepSeconds);
    const std::string folder = scratch / "locked\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string user = folder + "user.dic";
    CHECK(write_file(user, "first\r\n"));
    // A backup name taken by a folder cannot be deleted to make room.
    CreateDirectoryA((folder + "user.BAK").c_str(), nullptr);

    Engine engine;
    if (!CHECK(engine.bind(paths.engine))) return;
    uint32_t session = 0;
    unsigned char special[11] = {};
    unsigned char record[16] = {};
    uint32_t user_id = 0;
    int read_only = 0;
    CHECK_EQ(engine.at<decltype(&SpellInit)>(2)(&session, special), 0);
    CHECK_EQ(engine.at<decltype(&SpellOpenMdr)>(7)(session, (scratch / "main.dic").c_str(), nullptr,
                                                   0, 1, 1033, record),
             0);
    CHECK_EQ(engine.at<decltype(&SpellOpenUdr)>(8)(session, user.c_str(), 1, UdrIgnoreAlways,
                                                   &user_id, &read_only),
             0);
    CHECK_EQ(engine.at<decltype(&SpellAddUdr)>(9)(session, 0, "second"), 0);
    CHECK_EQ(engine.at<decltype(&SpellCloseUdr)>(16)(session, 0, 1), SpellErrUdrSave);
    CHECK_EQ(read_file(user), std::string("first\r\n"));
    CHECK(!exists(folder + "~~$LUMOSP$.TMP"));
    // The unsaved addition is kept, so the session's end tries again and
    // says so rather than dropping it.
    CHECK_EQ(engine.at<decltype(&SpellTerminate)>(5)(session, 1), SpellErrUdrSave);
    CHECK_EQ(read_file(user), std::string("first\r\n"));
    FreeLibrary(engine.module);
}

int32_t LUMOSPELL_CALL presenter_records(void* context, int32_t event, const char* text) {
    static_cast<std::vector<std::string>*>(context)->push_back(std::to_string(event) + "|" +
                                                               (text != nullptr ? text : "(null)"));
    return LumoSpellProgressContinue;
}

const std::string Writing = "\x8F\x6F\x97\xCD\x92\x86";  // "writing the output"
const std::string CannotOpen = "] \x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1";

std::string many_words_source(int count) {
    std::string text;
    char line[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "w%05d \x82\xA0\r\n", i);
        text += line;
    }
    return text;
}

std::string many_words_sorted(int count) {
    std::string text;
    char line[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "w%05d\r\n", i);
        text += line;
    }
    return text;
}

void check_dialog_shown(const SeenDialog& dialog, HWND host) {
    CHECK(dialog.owner == host);
    const LONG frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
    CHECK_EQ(dialog.style & frame, frame);
    CHECK(dialog.style & WS_VISIBLE);
    // A dialog made with the ANSI function keeps what the code page can
    // hold; the template itself is checked on its own.
    if (GetACP() == 932) {
        CHECK_EQ(dialog.caption, DialogCaption);
        CHECK_EQ(dialog.cancel_text, CancelText);
    }
    CHECK_EQ(dialog.text_class, std::string("Static"));
    CHECK_EQ(dialog.cancel_class, std::string("Button"));
}

int make_dic(const Builder& builder, HWND host, const std::string& source,
             const std::string& output) {
    seen.building = true;
    const int result = builder.make_dic(host, source.c_str(), output.c_str());
    seen.building = false;
    return result;
}

void builds(Builder& builder, HWND host, const ScratchFolder& scratch) {
    const std::string source = scratch / "source.txt";
    const std::string output = scratch / "words.dic";
    {
        Deadline deadline("build, small", StepSeconds);
        // "Zebra 【pronunciation】 zebrapron 【noun】 <katakana A>" and more.
        CHECK(write_file(
            source,
            "Zebra \x81\x79\x94\xAD\x89\xB9\x81\x7A zebrapron \x81\x79\x96\xBC\x81\x7A \x83\x41\r\n"
            "apple Apple zebra etc.\r\n"));
        drain_messages();
        clear_observed();
        // Fewer than 1001 words: no progress call, so no message of the
        // host's is taken from its queue.
        PostMessageA(host, WM_APP, 0, 0);
        CHECK_EQ(make_dic(builder, host, source, output), 1);
        CHECK_EQ(read_file(output), std::string("Apple\r\nZebra\r\napple\r\netc\r\nzebra\r\n"));
        MSG message;
        CHECK(PeekMessageA(&message, host, WM_APP, WM_APP, PM_REMOVE));
        CHECK_EQ(seen.host_messages_while_building, 0);
        if (CHECK_EQ(seen.dialogs.size(), 1u)) {
            check_dialog_shown(seen.dialogs[0], host);
            CHECK(!IsWindow(seen.dialogs[0].window));
        }
        CHECK(seen.statuses == std::vector<std::string>({Writing}));
        CHECK_EQ(seen.statuses_with_owner_enabled, 0);
        CHECK(IsWindowEnabled(host));
        CHECK_EQ(seen.boxes.size(), 0u);
    }
    const int many = 6000;
    CHECK(write_file(source, many_words_source(many)));
    for (CancelBy how : {CancelBy::CancelCommand, CancelBy::EscapeKey}) {
        Deadline deadline(
            how == CancelBy::CancelCommand ? "build, cancel button" : "build, Escape key",
            StepSeconds);
        CHECK(write_file(output, "old content\r\n"));
        drain_messages();
        clear_observed();
        seen.cancel_by = how;
        CHECK_EQ(make_dic(builder, host, source, output), 1);
        CHECK(seen.cancel_sent);
        CHECK(!exists(output));
        CHECK_EQ(seen.dialogs.size(), 1u);
        if (CHECK_EQ(seen.statuses.size(), 1u)) CHECK(is_percentage(seen.statuses[0]));
        CHECK(IsWindowEnabled(host));
        CHECK(seen.dialogs.empty() || !IsWindow(seen.dialogs[0].window));
    }
    {
        Deadline deadline("build, complete", StepSeconds);
        drain_messages();
        clear_observed();
        // Serviced at a progress call while the build reads.
        PostMessageA(host, WM_APP, 0, 0);
        // The host is closing: its quit request must outlive the build.
        PostQuitMessage(7);
        CHECK_EQ(make_dic(builder, host, source, output), 1);
        CHECK_EQ(seen.host_messages_while_building, 1);
        MSG quit = {};
        CHECK(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        CHECK_EQ(quit.wParam, 7u);
        CHECK(read_file(output) == many_words_sorted(many));
        CHECK(seen.statuses.size() >= 2);
        if (!seen.statuses.empty()) CHECK_EQ(seen.statuses.back(), Writing);
        for (size_t i = 0; i + 1 < seen.statuses.size(); ++i) {
            CHECK(is_percentage(seen.statuses[i]));
            if (i > 0) CHECK(seen.statuses[i - 1] < seen.statuses[i]);
        }
        CHECK_EQ(seen.statuses_with_owner_enabled, 0);
        CHECK(IsWindowEnabled(host));
        CHECK_EQ(seen.dialogs.size(), 1u);
    }
    {
        Deadline deadline("build, cannot open", StepSeconds);
        const struct {
            std::string source, output, named;
        } cases[] = {
            {scratch / "no-source.txt", scratch / "out1.dic", scratch / "no-source.txt"},
            {source, scratch / "no-folder\\out.dic", scratch / "no-folder\\out.dic"},
        };
        for (const auto& c : cases) {
            clear_observed();
            CHECK_EQ(make_dic(builder, host, c.source, c.output), 0);
            CHECK(!exists(c.output));
            CHECK_EQ(seen.dialogs.size(), 0u);
            if (CHECK_EQ(seen.boxes.size(), 1u)) {
                CHECK_EQ(seen.boxes[0].text, "[" + c.named + CannotOpen);
                CHECK_EQ(seen.boxes[0].caption, std::string());
                CHECK(seen.boxes[0].owner == host);
                if (GetACP() == 932) {
                    CHECK_EQ(
                        seen.boxes[0].wide_text,
                        L"[" + std::wstring(c.named.begin(), c.named.end()) + L"] を開けません");
                }
            }
        }
        // The source under another spelling is no output.
        std::string upper = source;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
        clear_observed();
        const std::string before = read_file(source);
        CHECK_EQ(make_dic(builder, host, source, upper), 0);
        CHECK_EQ(read_file(source), before);
        if (CHECK_EQ(seen.boxes.size(), 1u)) CHECK_EQ(seen.boxes[0].text, "[" + upper + CannotOpen);
    }
    {
        Deadline deadline("build, host presenter", StepSeconds);
        std::vector<std::string> events;
        builder.set_presenter(presenter_records, &events);
        CHECK(write_file(source, "apple\r\n"));
        clear_observed();
        CHECK_EQ(make_dic(builder, host, source, output), 1);
        CHECK_EQ(make_dic(builder, host, scratch / "no-source.txt", output), 0);
        builder.set_presenter(nullptr, nullptr);
        CHECK_EQ(seen.dialogs.size(), 0u);
        CHECK_EQ(seen.boxes.size(), 0u);
        // Whether a progress call falls into this short build depends on
        // the words stored by the builds before it.
        events.erase(std::remove_if(events.begin(), events.end(),
                                    [](const std::string& event) {
                                        return event == "3|(null)" ||
                                               (event.compare(0, 2, "2|") == 0 &&
                                                is_percentage(event.substr(2)));
                                    }),
                     events.end());
        const std::vector<std::string> expected = {
            "1|\x82\x6B\x82\x95\x82\x8D\x82\x8F\x83\x58\x83\x79\x83\x8B\x83\x60\x83\x46\x83\x62"
            "\x83\x4E\x83\x4C\x83\x62\x83\x67\x3A\x8E\xAB\x8F\x91\x8D\xEC\x90\xAC\x92\x86",
            "2|" + Writing, "4|(null)", "5|[" + (scratch / "no-source.txt") + CannotOpen};
        CHECK(events == expected);
    }
}

}  // namespace

int main() {
    const Paths paths;
    ScratchFolder scratch("lumospell-host");
    std::printf("code page %u, libraries in %s\n", GetACP(), paths.folder.c_str());
    CHECK(write_file(scratch / "main.dic", MainWords));
    CHECK(write_file(scratch / "user.dic", "zyxwv\r\n"));

    seen.host_window = create_host_window();
    const HHOOK activations =
        SetWindowsHookExA(WH_CBT, watch_activations, nullptr, GetCurrentThreadId());
    const HHOOK status_text =
        SetWindowsHookExA(WH_CALLWNDPROCRET, watch_status_text, nullptr, GetCurrentThreadId());
    CHECK(activations != nullptr && status_text != nullptr);

    exports_by_ordinal(paths);
    dialog_template(paths);

    Front front;
    if (CHECK(front.bind(paths.front))) {
        binding(paths, front, scratch);
        error_boxes(front, scratch);
        session(paths, front, scratch);
        save_names(paths, front, scratch);
    }
    failed_save(paths, scratch);

    Builder builder;
    builder.module = LoadLibraryA(paths.builder.c_str());
    builder.make_dic =
        as<decltype(&LumoSpellMakeDic)>(GetProcAddress(builder.module, MAKEINTRESOURCEA(1)));
    builder.set_presenter = as<decltype(&LumoSpellSetProgressPresenter)>(
        GetProcAddress(builder.module, "LumoSpellSetProgressPresenter"));
    if (CHECK(builder.make_dic != nullptr && builder.set_presenter != nullptr))
        builds(builder, seen.host_window, scratch);

    UnhookWindowsHookEx(status_text);
    UnhookWindowsHookEx(activations);
    DestroyWindow(seen.host_window);
    return wincheck::summary("host");
}
