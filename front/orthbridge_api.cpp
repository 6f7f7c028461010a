// The front's exports: each checks the host's arguments and hands over to
// the one process-global Front.  Nothing here can throw.
#include "error_box.h"
#include "front.h"
#include "lumospell/orthbridge.h"

using lumo::front::Front;

namespace {
// Constructed when the library is loaded; its destructor frees only the
// suggestion copies and leaves a still-bound engine alone.
Front front;
}  // namespace

extern "C" {

int LumoSpellInit(const char* enginePath) { return front.init(enginePath); }

int LumoSpellInit2(const char* mainDictFile, const char* userDictFile, int languageId,
                   int doubleByte) {
    if (mainDictFile == nullptr || userDictFile == nullptr) return 0;
    return front.init2(mainDictFile, userDictFile, languageId, doubleByte);
}

void LumoSpellTerminate(void) { front.terminate(); }

int LumoSpellCheck(const char* text, CheckResult* result) {
    if (text == nullptr || result == nullptr) return CheckFailed;
    return front.check(text, result);
}

int LumoSpellGetSuggestionFirst(char* out) {
    if (out == nullptr) return 0;
    return front.suggestion_first(out);
}

int LumoSpellGetSuggestionNext(char* out) {
    if (out == nullptr) return 0;
    return front.suggestion_next(out);
}

int LumoSpellIgnoreAlways(const char* word) {
    if (word == nullptr) return front.bound() ? LumoSpellErrBadArgument : 0;
    return front.ignore_always(word);
}

int LumoSpellChangeAlways(const char* word, const char* replacement) {
    if (word == nullptr || replacement == nullptr) {
        return front.bound() ? LumoSpellErrBadArgument : 0;
    }
    return front.change_always(word, replacement);
}

int LumoSpellAddWord(const char* word) {
    if (word == nullptr) return front.bound() ? LumoSpellErrBadArgument : 0;
    return front.add_word(word);
}

int LumoSpellMode(unsigned int flags) { return front.mode(flags); }

int LumoSpellGetSaveResult(char* reason, int reasonSize) {
    return front.save_result(reason, reasonSize);
}

void LumoSpellSetMessageHandler(LumoSpellMessageHandler handler, void* context) {
    lumo::front::set_message_handler(handler, context);
}

}  // extern "C"
