/*
 * The four public headers as a host includes them, compiled as C89, C99
 * and C11 (and, through public_headers.cpp, as C++98 and C++17) with
 * warnings as errors.  A callback or export pointer whose calling
 * convention differs from the headers' does not compile.
 */
#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"
#include "lumospell/ranker.h"

static int32_t LUMOSPELL_CALL present(void* context, int32_t event, const char* text) {
    (void)context;
    (void)text;
    return event == LumoSpellProgressPoll ? LumoSpellProgressCancel : LumoSpellProgressContinue;
}

static void LUMOSPELL_CALL show(const char* text, const char* caption, void* context) {
    (void)text;
    (void)caption;
    (void)context;
}

int public_headers_bind(void);

int public_headers_bind(void) {
    LumoSpellProgressPresenter presenter = present;
    LumoSpellMessageHandler handler = show;
    int(LUMOSPELL_CALL * check)(const char*, CheckResult*) = LumoSpellCheck;
    int32_t(LUMOSPELL_CALL * make)(void*, const char*, const char*) = LumoSpellMakeDic;
    uint16_t(LUMOSPELL_CALL * spell_check)(uint32_t, uint32_t, SpellInputBuffer*,
                                           SpellReturnBuffer*) = SpellCheck;
    int32_t(LUMOSPELL_CALL * suggest)(LumoRanker*, const char*, char*, uint32_t, uint32_t) =
        LumoRankSuggest;
    return presenter != 0 && handler != 0 && check != 0 && make != 0 && spell_check != 0 &&
           suggest != 0 && sizeof(CheckResult) == 514;
}
