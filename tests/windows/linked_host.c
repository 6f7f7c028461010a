/*
 * A host in plain C that links against the four import libraries instead
 * of binding at run time: it references every export as the headers
 * declare it, so a name the import libraries lack fails its link, and it
 * calls one function of each DLL.
 */
#include <stdio.h>
#include <string.h>

#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"
#include "lumospell/ranker.h"

typedef void (*AnyFunction)(void);

static const AnyFunction every_export[] = {
    (AnyFunction)SpellVer, (AnyFunction)SpellInit, (AnyFunction)SpellOptions,
    (AnyFunction)SpellCheck, (AnyFunction)SpellTerminate, (AnyFunction)SpellVerifyMdr,
    (AnyFunction)SpellOpenMdr, (AnyFunction)SpellOpenUdr, (AnyFunction)SpellAddUdr,
    (AnyFunction)SpellAddChangeUdr, (AnyFunction)SpellDelUdr, (AnyFunction)SpellClearUdr,
    (AnyFunction)SpellGetSizeUdr, (AnyFunction)SpellGetListUdr, (AnyFunction)SpellCloseMdr,
    (AnyFunction)SpellCloseUdr, (AnyFunction)LumoSpellInit, (AnyFunction)LumoSpellInit2,
    (AnyFunction)LumoSpellTerminate, (AnyFunction)LumoSpellCheck,
    (AnyFunction)LumoSpellGetSuggestionFirst, (AnyFunction)LumoSpellGetSuggestionNext,
    (AnyFunction)LumoSpellIgnoreAlways, (AnyFunction)LumoSpellChangeAlways,
    (AnyFunction)LumoSpellAddWord, (AnyFunction)LumoSpellMode,
    (AnyFunction)LumoSpellSetMessageHandler, (AnyFunction)LumoSpellGetSaveResult,
    (AnyFunction)LumoSpellGetLastFailure,
    (AnyFunction)LumoSpellMakeDic, (AnyFunction)LumoSpellSetProgressPresenter,
    (AnyFunction)LumoRankVersion, (AnyFunction)LumoRankOpen, (AnyFunction)LumoRankUsesIndex,
    (AnyFunction)LumoRankOpenUserDict, (AnyFunction)LumoRankAddWord,
    (AnyFunction)LumoRankChangeAlways, (AnyFunction)LumoRankSuggest, (AnyFunction)LumoRankClose};

static int failed;

static void check(int ok, const char* what) {
    if (!ok) {
        printf("FAILED %s\n", what);
        ++failed;
    }
}

int main(void) {
    uint16_t version = 0, engine = 0, reserved = 0;
    unsigned i;
    for (i = 0; i < sizeof every_export / sizeof every_export[0]; ++i)
        check(every_export[i] != NULL, "an export's address");
    check(SpellVer(&version, &engine, &reserved) == 0 && version == 0x0100, "SpellVer");
    check(LumoSpellInit("Orthex.dll") == 1, "LumoSpellInit");
    LumoSpellTerminate();
    LumoSpellSetProgressPresenter(NULL, NULL);
    check(strcmp(LumoRankVersion(), "1.0.0") == 0, "LumoRankVersion");
    printf("linked host: %u exports linked, %d failed\n",
           (unsigned)(sizeof every_export / sizeof every_export[0]), failed);
    return failed == 0 ? 0 : 1;
}
