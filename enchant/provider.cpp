// The Enchant-2 module: Enchant calls init_enchant_provider when it loads
// the module and asks the provider for dictionaries by language tag.
#include <enchant-provider.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/export_guard.h"
#include "enchant/enchant_speller.h"

using lumo::common::guarded;
using lumo::enchant::shared_speller;

namespace {

constexpr size_t MaxSuggestions = 15;

const lumo::enchant::SpellerTarget& target_of(EnchantDict* dict) {
    return *static_cast<const lumo::enchant::SpellerTarget*>(dict->user_data);
}

std::string text_of(const char* word, size_t len) {
    return word ? std::string(word, len) : std::string();
}

char** string_list(const std::vector<std::string>& items, size_t* count) {
    char** list = g_new0(char*, items.size() + 1);
    for (size_t i = 0; i < items.size(); ++i) list[i] = g_strdup(items[i].c_str());
    if (count) *count = items.size();
    return list;
}

int dict_check(EnchantDict* dict, const char* const word, size_t len) noexcept {
    return guarded(-1, [&] { return shared_speller().check(target_of(dict), text_of(word, len)); });
}

char** dict_suggest(EnchantDict* dict, const char* const word, size_t len, size_t* count) noexcept {
    if (count) *count = 0;
    return guarded(static_cast<char**>(nullptr), [&] {
        return string_list(
            shared_speller().suggest(target_of(dict), text_of(word, len), MaxSuggestions), count);
    });
}

void dict_add_to_session(EnchantDict* dict, const char* const word, size_t len) noexcept {
    guarded([&] { shared_speller().add_to_session(target_of(dict), text_of(word, len)); });
}

void dict_add_to_personal(EnchantDict* dict, const char* const word, size_t len) noexcept {
    guarded([&] { shared_speller().add_to_personal(target_of(dict), text_of(word, len)); });
}

EnchantDict* request_dict(EnchantProvider* me, const char* const tag) {
    if (tag == nullptr || !lumo::enchant::is_offered_tag(tag)) return nullptr;
    std::string error;
    const std::string variant = lumo::enchant::variant_of_tag(tag);
    auto target = std::make_unique<lumo::enchant::SpellerTarget>();
    target->variant = variant;
    const char* data_dir = std::getenv("LUMOSPELL_DATA_DIR");
    const std::string dictionaries =
        data_dir && *data_dir ? data_dir : LUMOSPELL_ENCHANT_DATADIR "/lumospell";
    target->paths = lumo::enchant::paths_from_environment(LUMOSPELL_ENCHANT_LIBDIR,
                                                          dictionaries + "/" + variant + ".dic");
    if (!shared_speller().acquire(*target, error)) {
        enchant_provider_set_error(me, error.c_str());
        return nullptr;
    }
    EnchantDict* dict = g_new0(EnchantDict, 1);
    dict->user_data = target.release();
    dict->check = dict_check;
    dict->suggest = dict_suggest;
    dict->add_to_session = dict_add_to_session;
    dict->add_to_personal = dict_add_to_personal;
    return dict;
}

EnchantDict* provider_request_dict(EnchantProvider* me, const char* const tag) noexcept {
    return guarded(static_cast<EnchantDict*>(nullptr), [&] { return request_dict(me, tag); });
}

void provider_dispose_dict(EnchantProvider*, EnchantDict* dict) noexcept {
    if (dict == nullptr) return;
    delete static_cast<lumo::enchant::SpellerTarget*>(dict->user_data);
    g_free(dict);
    guarded([] { shared_speller().release(); });
}

int provider_dictionary_exists(EnchantProvider*, const char* const tag) noexcept {
    return guarded(0, [&] { return tag != nullptr && lumo::enchant::is_offered_tag(tag) ? 1 : 0; });
}

const char* provider_identify(EnchantProvider*) noexcept { return "lumospell"; }

const char* provider_describe(EnchantProvider*) noexcept { return "LumoSpell Provider"; }

char** provider_list_dicts(EnchantProvider*, size_t* count) noexcept {
    if (count) *count = 0;
    return guarded(static_cast<char**>(nullptr),
                   [&] { return string_list(lumo::enchant::offered_tags(), count); });
}

void provider_dispose(EnchantProvider* me) noexcept { g_free(me); }

}  // namespace

extern "C" __attribute__((visibility("default"))) EnchantProvider* init_enchant_provider(
    void) noexcept {
    return guarded(static_cast<EnchantProvider*>(nullptr), [] {
        EnchantProvider* provider = g_new0(EnchantProvider, 1);
        provider->dispose = provider_dispose;
        provider->request_dict = provider_request_dict;
        provider->dispose_dict = provider_dispose_dict;
        provider->dictionary_exists = provider_dictionary_exists;
        provider->identify = provider_identify;
        provider->describe = provider_describe;
        provider->list_dicts = provider_list_dicts;
        return provider;
    });
}
