// An engine library that lacks its last ordinal: the front must refuse it
// whole.  Nothing here is ever called.
#include <cstdint>

#define STUB(name) \
    extern "C" __declspec(dllexport) uint16_t name() { return 0; }

STUB(SpellVer)
STUB(SpellInit)
STUB(SpellOptions)
STUB(SpellCheck)
STUB(SpellTerminate)
STUB(SpellVerifyMdr)
STUB(SpellOpenMdr)
STUB(SpellOpenUdr)
STUB(SpellAddUdr)
STUB(SpellAddChangeUdr)
STUB(SpellDelUdr)
STUB(SpellClearUdr)
STUB(SpellGetSizeUdr)
STUB(SpellGetListUdr)
STUB(SpellCloseMdr)
