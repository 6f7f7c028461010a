#include "program/commands.h"
#include "program/report.h"

namespace lumo::tool {

int run_list_command(const Options& o, SpellSession& s) {
    const int result = for_each_document(
        o, s,
        [](const std::string&, const Finding& f, const TextPosition&, OutputConverter& convert) {
            std::printf("%s\n", convert.convert(listed_word(f)).c_str());
        });
    // Like the peers' list, finding words is no failure.
    return result == ExitFound ? ExitClean : result;
}

}  // namespace lumo::tool
