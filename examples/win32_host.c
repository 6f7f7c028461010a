/*
 * A small Win32 host of the front and the builder: an edit box, "Check"
 * walks its text with LumoSpellCheck, selects the reported word and lists
 * its suggestions; Replace, Ignore always, Change always and Add act on it
 * and go on checking; "Build dictionary" runs LumoSpellMakeDic over this
 * window with the builder's progress dialog.
 *
 *     win32_host [MAIN.DIC USER.DIC SOURCE.TXT OUTPUT.DIC]
 *
 * Without arguments the files are taken beside the program: words.dic,
 * user.dic, source.txt and built.dic.  The DLLs are loaded from beside the
 * program at run time; the front finds Orthex.dll beside itself.
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"

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
} api;

static HWND window, text_box, suggestions, status;
static char files[4][MAX_PATH];
static char text[LumoSpellMaxTextLength + 1];
static CheckResult reported;
static int reported_at = -1; /* offset of the reported word in the box, -1: none */

static FARPROC find(HMODULE module, const char* name) {
    FARPROC function = module != NULL ? GetProcAddress(module, name) : NULL;
    if (function == NULL) {
        fprintf(stderr, "win32_host: %s is missing\n", name);
        ExitProcess(2);
    }
    return function;
}

/* GetProcAddress gives a FARPROC; copying it keeps ISO C content. */
#define BIND(slot, module, name)                                       \
    do {                                                               \
        FARPROC address_ = find(module, name);                         \
        memcpy(&api.slot, &address_, sizeof api.slot);                 \
    } while (0)

static void beside_program(char* path, const char* name) {
    char* slash;
    GetModuleFileNameA(NULL, path, MAX_PATH);
    slash = strrchr(path, '\\');
    strcpy(slash != NULL ? slash + 1 : path, name);
}

static void say(const char* line) { SetWindowTextA(status, line); }

/* Checks from offset on; selects and lists the next reported word. */
static void check_from(int offset) {
    char line[LumoSpellWordSize + 32];
    char word[LumoSpellWordSize];
    int result, more;
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
        for (more = api.first(word); more; more = api.next(word))
            SendMessageA(suggestions, LB_ADDSTRING, 0, (LPARAM)word);
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
        replace_with(choice);
    }
    if (id == IdIgnore) {
        api.ignore(reported.word);
        check_from(reported_at + (int)strlen(reported.word));
    }
    if (id == IdAdd) {
        api.add(reported.word);
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
            text_box = control("EDIT", "Ths sentense has a typo.",
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
    static const char* const defaults[4] = {"words.dic", "user.dic", "source.txt", "built.dic"};
    char front_path[MAX_PATH], builder_path[MAX_PATH];
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
    /* The engine opens only an existing user dictionary: start an empty one. */
    CloseHandle(CreateFileA(files[1], GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            NULL));
    /* A bare name: the front looks for the engine beside itself only. */
    if (!api.init("Orthex.dll") || !api.init2(files[0], files[1], 0, 1)) return 1;

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
    return 0;
}
