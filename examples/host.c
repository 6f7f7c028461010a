/*
 * A minimal host of the front library: load it at run time, bind the
 * engine, open the dictionaries, check a sentence and print the first
 * misspelt word with its suggestions.
 *
 *     host MAIN.DIC USER.DIC ["text to check"]
 *
 * The library paths default to the ones this program was built with; set
 * them with -f FRONT.so and -e ENGINE.so before the dictionaries.
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "lumospell/orthbridge.h"

#ifndef HOST_FRONT_PATH
#define HOST_FRONT_PATH "liborthbridge.so"
#endif
#ifndef HOST_ENGINE_PATH
#define HOST_ENGINE_PATH "liborthex.so"
#endif

typedef int (*InitFn)(const char*);
typedef int (*Init2Fn)(const char*, const char*, int, int);
typedef void (*TerminateFn)(void);
typedef int (*CheckFn)(const char*, CheckResult*);
typedef int (*SuggestionFn)(char*);

/* dlsym gives an object pointer; copying it keeps ISO C content. */
static int find(void* library, const char* name, void* function, size_t size) {
    void* address = dlsym(library, name);
    if (address == NULL) {
        fprintf(stderr, "host: %s not found\n", name);
        return 0;
    }
    memcpy(function, &address, size);
    return 1;
}
#define FIND(library, name, variable) find(library, name, &variable, sizeof variable)

/* The engine needs the user dictionary to exist; start an empty one. */
static void ensure_file(const char* path) {
    FILE* file = fopen(path, "ab");
    if (file != NULL) fclose(file);
}

int main(int argc, char** argv) {
    const char* front_path = HOST_FRONT_PATH;
    const char* engine_path = HOST_ENGINE_PATH;
    const char* text = "The quick brown fox jumpd over the lazy dog.";
    int arg = 1;
    void* front;
    InitFn init;
    Init2Fn init2;
    TerminateFn terminate;
    CheckFn check;
    SuggestionFn first, next;
    CheckResult result;
    char suggestion[LumoSpellWordSize];
    int status, more;

    for (; arg + 1 < argc && argv[arg][0] == '-'; arg += 2) {
        if (strcmp(argv[arg], "-f") == 0) front_path = argv[arg + 1];
        else if (strcmp(argv[arg], "-e") == 0) engine_path = argv[arg + 1];
    }
    if (argc - arg < 2) {
        fprintf(stderr, "usage: host [-f front.so] [-e engine.so] MAIN.DIC USER.DIC [text]\n");
        return 2;
    }
    if (argc - arg > 2) text = argv[arg + 2];

    front = dlopen(front_path, RTLD_NOW | RTLD_LOCAL);
    if (front == NULL) {
        fprintf(stderr, "host: %s\n", dlerror());
        return 1;
    }
    if (!FIND(front, "LumoSpellInit", init) || !FIND(front, "LumoSpellInit2", init2) ||
        !FIND(front, "LumoSpellTerminate", terminate) || !FIND(front, "LumoSpellCheck", check) ||
        !FIND(front, "LumoSpellGetSuggestionFirst", first) ||
        !FIND(front, "LumoSpellGetSuggestionNext", next)) {
        dlclose(front);
        return 1;
    }

    if (!init(engine_path)) {
        fprintf(stderr, "host: cannot bind the engine %s\n", engine_path);
        dlclose(front);
        return 1;
    }
    ensure_file(argv[arg + 1]);
    /* Language 0 is U.S. English; double-byte text as the locale says. */
    if (!init2(argv[arg], argv[arg + 1], 0, 1)) {
        terminate();
        dlclose(front);
        return 1;
    }

    status = check(text, &result);
    if (status == CheckUnknownWord || status == CheckChangeAlways) {
        printf("misspelt at %d: %s\n", result.wordOffset, result.word);
        if (status == CheckChangeAlways) printf("always change to: %s\n", result.replacement);
        for (more = first(suggestion); more; more = next(suggestion)) {
            printf("  suggestion: %s\n", suggestion);
        }
    } else if (status == CheckNoErrors) {
        printf("no misspelling\n");
    } else {
        printf("check failed\n");
    }

    terminate();
    dlclose(front);
    return status == CheckFailed ? 1 : 0;
}
