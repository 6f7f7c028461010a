// The records that cross between host, front and engine, as a Windows
// compiler lays them out: the 32-bit numbers are the ones the engine's
// callers were written against.  Only compiled; a wrong layout fails the
// build of this architecture.
#include <cstddef>

#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"

#if defined(_WIN64)
static_assert(sizeof(void*) == 8, "64-bit build");
static_assert(offsetof(SpellInputBuffer, text) == 8, "record layout");
static_assert(offsetof(SpellInputBuffer, mainDicts) == 16, "record layout");
static_assert(offsetof(SpellInputBuffer, userDicts) == 24, "record layout");
static_assert(sizeof(SpellInputBuffer) == 32, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestions) == 16, "record layout");
static_assert(offsetof(SpellReturnBuffer, ratings) == 24, "record layout");
static_assert(offsetof(SpellReturnBuffer, ratingCapacity) == 32, "record layout");
static_assert(sizeof(SpellReturnBuffer) == 40, "record layout");
#else
static_assert(sizeof(void*) == 4, "32-bit build");
static_assert(offsetof(SpellInputBuffer, text) == 8, "record layout");
static_assert(offsetof(SpellInputBuffer, mainDicts) == 12, "record layout");
static_assert(offsetof(SpellInputBuffer, userDicts) == 16, "record layout");
static_assert(sizeof(SpellInputBuffer) == 20, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestions) == 12, "record layout");
static_assert(offsetof(SpellReturnBuffer, ratings) == 16, "record layout");
static_assert(offsetof(SpellReturnBuffer, ratingCapacity) == 20, "record layout");
static_assert(sizeof(SpellReturnBuffer) == 24, "record layout");
#endif
static_assert(offsetof(SpellInputBuffer, textLength) == 0, "record layout");
static_assert(offsetof(SpellInputBuffer, mainDictCount) == 2, "record layout");
static_assert(offsetof(SpellInputBuffer, userDictCount) == 4, "record layout");
static_assert(offsetof(SpellInputBuffer, spellState) == 6, "record layout");
static_assert(offsetof(SpellReturnBuffer, errorOffset) == 0, "record layout");
static_assert(offsetof(SpellReturnBuffer, errorLength) == 2, "record layout");
static_assert(offsetof(SpellReturnBuffer, status) == 4, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestionCount) == 6, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestionBytesUsed) == 8, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestionCapacity) == 10, "record layout");
static_assert(sizeof(CheckResult) == 514, "record layout");
static_assert(offsetof(CheckResult, word) == 2, "record layout");
static_assert(offsetof(CheckResult, replacement) == 258, "record layout");
