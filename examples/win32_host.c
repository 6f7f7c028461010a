/*
 * A small Win32 host of the front, the ranker and the builder: an edit
 * box, "Check" walks its text with LumoSpellCheck, selects the reported
 * word and lists the ranker's suggestions for it (LumoRankSuggest; the
 * front's own list when the ranker cannot be had); Replace, Ignore always,
 * Change always and Add act on it, tell both libraries and go on checking;
 * "Build dictionary" runs LumoSpellMakeDic over this window with the
 * builder's progress dialog.
 *
 *     win32_host [MAIN.DIC USER.DIC SOURCE.TXT OUTPUT.DIC]
 *
 * Without arguments the main dictionary is ..\share\lumospell\main.dic
 * from the program's folder (as the release and the build tree lay it
 * out), and user.dic, source.txt and built.dic are beside the program.
 * The ranker reads main.rank and word-frequency.txt beside the main
 * dictionary.  The DLLs are loaded from beside the program at run time;
 * the front finds Orthex.dll beside itself.
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"
#include "lumospell/ranker.h"

enum {
    IdText = 100, IdCheck, IdReplace, IdIgnore, IdChange, IdAdd, IdBuild, IdSuggestions,
    IdStatus
};

static struct {
    int(LUMOSPELL_CALL* init)(const char*);
    int(LUMOSPELL_CALL* init2)(const char*, const char*, int, int);
    void(LUMOSPELL_CALL* terminate)(void);
    int(LUMOSPELL_CALL* check)(const char*, CheckResult*);
    int(LUMOSPELL_CALL* first)(char*);
    int(LUMOSPELL_CALL* next)(char*);
    int(LUMOSPELL_CALL* ignore)(const char*);
    int(LUMOSPELL_CALL* change)(const char*, const char*);
    int(LUMOSPELL_CALL* add)(const char*);
    int32_t(LUMOSPELL_CALL* make_dic)(void*, const char*, const char*);
    int32_t(LUMOSPELL_CALL* rank_open)(const char*, const char*, const char*, LumoRanker**);
    int32_t(LUMOSPELL_CALL* rank_open_user)(LumoRanker*, const char*);
    int32_t(LUMOSPELL_CALL* rank_add)(LumoRanker*, const char*);
    int32_t(LUMOSPELL_CALL* rank_change)(LumoRanker*, const char*, const char*);
    int32_t(LUMOSPELL_CALL* rank_suggest)(LumoRanker*, const char*, char*, uint32_t, uint32_t);
    void(LUMOSPELL_CALL* rank_close)(LumoRanker*);
} api;

static LumoRanker* ranker; /* null: the front's suggestions are listed */

static HWND window, text_box, suggestions, status;
static char files[4][MAX_PATH];
static char text[LumoSpellMaxTextLength + 1];
static CheckResult reported;
static int reported_at = -1; /* offset of the reported word in the box, -1: none */

static FARPROC find(HMODULE module, const char* name, int required) {
    FARPROC function = module != NULL ? GetProcAddress(module, name) : NULL;
    if (function == NULL && required) {
        fprintf(stderr, "win32_host: %s is missing\n", name);
        ExitProcess(2);
    }
    return function;
}

/* GetProcAddress gives a FARPROC; copying it keeps ISO C content. */
#define BIND_AS(slot, module, name, required)                          \
    do {                                                               \
        FARPROC address_ = find(module, name, required);               \
        memcpy(&api.slot, &address_, sizeof api.slot);                 \
    } while (0)
#define BIND(slot, module, name) BIND_AS(slot, module, name, 1)

/* name in the folder of path (the part up to its last backslash). */
static void beside(char* out, const char* path, const char* name) {
    const char* slash = strrchr(path, '\\');
    const int folder = slash != NULL ? (int)(slash - path + 1) : 0;
    snprintf(out, MAX_PATH, "%.*s%s", folder, path, name);
}

static void beside_program(char* path, const char* name) {
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, MAX_PATH);
    beside(path, program, name);
}

/* The ranker over the main dictionary, its index and the frequencies
 * beside it, and the user dictionary; stays null when any is missing. */
static void open_ranker(HMODULE module) {
    char index[MAX_PATH], frequency[MAX_PATH];
    BIND_AS(rank_open, module, "LumoRankOpen", 0);
    BIND_AS(rank_open_user, module, "LumoRankOpenUserDict", 0);
    BIND_AS(rank_add, module, "LumoRankAddWord", 0);
    BIND_AS(rank_change, module, "LumoRankChangeAlways", 0);
    BIND_AS(rank_suggest, module, "LumoRankSuggest", 0);
    BIND_AS(rank_close, module, "LumoRankClose", 0);
    if (api.rank_open == NULL || api.rank_open_user == NULL || api.rank_add == NULL ||
        api.rank_change == NULL || api.rank_suggest == NULL || api.rank_close == NULL)
        return;
    beside(index, files[0], "main.rank");
    beside(frequency, files[0], "word-frequency.txt");
    if (api.rank_open(files[0], frequency, index, &ranker) != LumoRankOk) return;
    api.rank_open_user(ranker, files[1]);
}

/* The reported word's suggestions, best first, into the list. */
static void list_suggestions(const char* reported_word) {
    char area[1024];
    char word[LumoSpellWordSize];
    const char* p;
    int more;
    if (ranker != NULL && api.rank_suggest(ranker, reported_word, area, sizeof area, 10) >= 0) {
        for (p = area; *p != '\0'; p += strlen(p) + 1)
            SendMessageA(suggestions, LB_ADDSTRING, 0, (LPARAM)p);
        return;
    }
    for (more = api.first(word); more; more = api.next(word))
        SendMessageA(suggestions, LB_ADDSTRING, 0, (LPARAM)word);
}

static void say(const char* line) { SetWindowTextA(status, line); }

/* Checks from offset on; selects and lists the next reported word. */
static void check_from(int offset) {
    char line[LumoSpellWordSize + 32];
    int result;
    GetWindowTextA(text_box, text, sizeof text);
    SendMessageA(suggestions, LB_RESETCONTENT, 0, 0);
    reported_at = -1;
    if (offset < 0 || offset > (int)strlen(text)) offset = 0;
    result = api.check(text + offset, &reported);
    if (result != CheckUnknownWord && result != CheckChangeAlways) {
        say(result == CheckNoErrors ? "No errors." : "The check failed.");
        return;
    }
    reported_at = offset + reported.wordOffset;
    SendMessageA(text_box, EM_SETSEL, (WPARAM)reported_at,
                 (LPARAM)(reported_at + (int)strlen(reported.word)));
    SendMessageA(text_box, EM_SCROLLCARET, 0, 0);
    if (result == CheckChangeAlways) {
        SendMessageA(suggestions, LB_ADDSTRING, 0, (LPARAM)reported.replacement);
    } else {
        list_suggestions(reported.word);
    }
    SendMessageA(suggestions, LB_SETCURSEL, 0, 0);
    snprintf(line, sizeof line, "%s: %s", result == CheckChangeAlways ? "Change" : "Unknown",
             reported.word);
    say(line);
}

/* The chosen suggestion into choice; 0 when there is none. */
static int chosen(char* choice) {
    LRESULT index = SendMessageA(suggestions, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || SendMessageA(suggestions, LB_GETTEXTLEN, (WPARAM)index, 0) >=
                               LumoSpellWordSize)
        return 0;
    return SendMessageA(suggestions, LB_GETTEXT, (WPARAM)index, (LPARAM)choice) != LB_ERR;
}

static void replace_with(const char* choice) {
    SendMessageA(text_box, EM_SETSEL, (WPARAM)reported_at,
                 (LPARAM)(reported_at + (int)strlen(reported.word)));
    SendMessageA(text_box, EM_REPLACESEL, TRUE, (LPARAM)choice);
    check_from(reported_at + (int)strlen(choice));
}

static void command(int id) {
    char choice[LumoSpellWordSize];
    char line[MAX_PATH + 32];
    int32_t built;
    if (id == IdCheck) check_from(0);
    if (id == IdBuild) {
        say("Building...");
        built = api.make_dic(window, files[2], files[3]);
        snprintf(line, sizeof line, "%s %s", built ? "Built (or cancelled):" : "Could not build",
                 files[3]);
        say(line);
    }
    if (reported_at < 0) return;
    if (id == IdReplace && chosen(choice)) replace_with(choice);
    if (id == IdChange && chosen(choice)) {
        api.change(reported.word, choice);
        if (ranker != NULL) api.rank_change(ranker, reported.word, choice);
        replace_with(choice);
    }
    if (id == IdIgnore) {
        api.ignore(reported.word);
        if (ranker != NULL) api.rank_add(ranker, reported.word);
        check_from(reported_at + (int)strlen(reported.word));
    }
    if (id == IdAdd) {
        api.add(reported.word);
        if (ranker != NULL) api.rank_add(ranker, reported.word);
        check_from(reported_at + (int)strlen(reported.word));
    }
}

static HWND control(const char* kind, const char* title, DWORD style, int id, int x, int y,
                    int width, int height) {
    HWND made = CreateWindowExA(strcmp(kind, "BUTTON") != 0 && strcmp(kind, "STATIC") != 0
                                    ? WS_EX_CLIENTEDGE
                                    : 0,
                                kind, title, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                window, (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(made, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), TRUE);
    return made;
}

static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    static const char* const buttons[] = {"Check", "Replace", "Ignore always",
                                          "Change always", "Add", "Build dictionary"};
    int i;
    switch (message) {
        case WM_CREATE:
            window = hwnd;
            text_box = control("EDIT", "Teh sentense has a typo.",
                               ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_NOHIDESEL, IdText,
                               8, 8, 260, 150);
            suggestions = control("LISTBOX", "", LBS_NOTIFY | WS_VSCROLL, IdSuggestions, 276, 8,
                                  136, 150);
            for (i = 0; i < 6; ++i)
                control("BUTTON", buttons[i], BS_PUSHBUTTON, IdCheck + i, 8 + (i % 3) * 136,
                        166 + (i / 3) * 30, 128, 24);
            status = control("STATIC", "Ready.", SS_LEFT, IdStatus, 8, 230, 404, 18);
            return 0;
        case WM_COMMAND:
            if (HIWORD(wparam) == BN_CLICKED) command(LOWORD(wparam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
    static const char* const defaults[4] = {"..\\share\\lumospell\\main.dic", "user.dic",
                                            "source.txt", "built.dic"};
    char front_path[MAX_PATH], builder_path[MAX_PATH], ranker_path[MAX_PATH];
    HMODULE front, builder;
    WNDCLASSA window_class;
    MSG message;
    int i;
    (void)previous;
    (void)arguments;
    for (i = 0; i < 4; ++i) {
        if (__argc == 5)
            snprintf(files[i], MAX_PATH, "%s", __argv[i + 1]);
        else
            beside_program(files[i], defaults[i]);
    }
    beside_program(front_path, "Orthbridge.dll");
    beside_program(builder_path, "Lexforge.dll");
    beside_program(ranker_path, "LumoRank.dll");
    front = LoadLibraryA(front_path);
    builder = LoadLibraryA(builder_path);
    BIND(init, front, "LumoSpellInit");
    BIND(init2, front, "LumoSpellInit2");
    BIND(terminate, front, "LumoSpellTerminate");
    BIND(check, front, "LumoSpellCheck");
    BIND(first, front, "LumoSpellGetSuggestionFirst");
    BIND(next, front, "LumoSpellGetSuggestionNext");
    BIND(ignore, front, "LumoSpellIgnoreAlways");
    BIND(change, front, "LumoSpellChangeAlways");
    BIND(add, front, "LumoSpellAddWord");
    BIND(make_dic, builder, "LumoSpellMakeDic");
    /* A bare name: the front looks for the engine beside itself only.  A
     * user dictionary that does not exist yet is created. */
    if (!api.init("Orthex.dll") || !api.init2(files[0], files[1], 0, 1)) return 1;
    open_ranker(LoadLibraryA(ranker_path));

    memset(&window_class, 0, sizeof window_class);
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(NULL, IDC_ARROW);
    window_class.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "LumoSpellExample";
    RegisterClassA(&window_class);
    CreateWindowExA(0, "LumoSpellExample", "LumoSpell example", WS_OVERLAPPEDWINDOW, 20, 20, 436,
                    292, NULL, NULL, instance, NULL);
    ShowWindow(window, show);
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    api.terminate();
    if (ranker != NULL) api.rank_close(ranker);
    return 0;
}
