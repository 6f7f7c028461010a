// An engine library that lacks the function with ordinal
// STUB_MISSING_ORDINAL; every other one does nothing and returns 0.
#include "lumospell/orthex.h"

extern "C" {
#if STUB_MISSING_ORDINAL != 1
uint16_t SpellVer(uint16_t*, uint16_t*, uint16_t*) { return 0; }
#endif
uint16_t SpellInit(uint32_t* session, void*) {
    *session = 1;
    return 0;
}
uint16_t SpellOptions(uint32_t, uint32_t) { return 0; }
uint16_t SpellCheck(uint32_t, uint32_t, SpellInputBuffer*, SpellReturnBuffer*) { return 0; }
uint16_t SpellTerminate(uint32_t, uint32_t) { return 0; }
uint16_t SpellVerifyMdr(const char*, uint16_t, uint16_t*) { return 0; }
uint16_t SpellOpenMdr(uint32_t, const char*, const char*, int, int, uint16_t, void*) { return 0; }
uint16_t SpellOpenUdr(uint32_t, const char*, int, uint16_t, uint32_t*, int*) { return 0; }
uint16_t SpellAddUdr(uint32_t, uint32_t, const char*) { return 0; }
uint16_t SpellAddChangeUdr(uint32_t, uint32_t, const char*, const char*) { return 0; }
uint16_t SpellDelUdr(uint32_t, uint32_t, const char*) { return 0; }
uint16_t SpellClearUdr(uint32_t, uint32_t) { return 0; }
uint16_t SpellGetSizeUdr(uint32_t, uint32_t, uint16_t*) { return 0; }
uint16_t SpellGetListUdr(uint32_t, uint32_t, char*, uint16_t) { return 0; }
uint16_t SpellCloseMdr(uint32_t, void*) { return 0; }
#if STUB_MISSING_ORDINAL != 16
uint16_t SpellCloseUdr(uint32_t, uint32_t, uint32_t) { return 0; }
#endif
}
