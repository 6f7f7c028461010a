#include "error_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumo::front::set_message_handler;
using lumo::front::showErrorBox;

namespace {
struct Seen {
    std::vector<std::string> texts;
    std::vector<std::string> captions;
};
void collect(const char* text, const char* caption, void* context) {
    auto* seen = static_cast<Seen*>(context);
    seen->texts.emplace_back(text);
    seen->captions.emplace_back(caption);
}
}  // namespace

TEST(ErrorBox, FormatsDecimalAndLowerCaseHexLikeTheWindowsFormatter) {
    Seen seen;
    set_message_handler(collect, &seen);
    showErrorBox("LumoSpell Error %d %x %d", 112, 0x8803u, 65535);
    showErrorBox("LumoSpell Error %d,%d", 65535, 328);
    showErrorBox("LumoSpell Error %d %x", -5, 0xFFFFFFFFu);
    set_message_handler(nullptr, nullptr);
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"LumoSpell Error 112 8803 65535",
                                                    "LumoSpell Error 65535,328",
                                                    "LumoSpell Error -5 ffffffff"}));
    EXPECT_EQ(seen.captions, (std::vector<std::string>(3, "LumoSpell")));
}

TEST(ErrorBox, WithoutAHandlerTheMessageGoesToStandardError) {
    Seen seen;
    set_message_handler(collect, &seen);
    set_message_handler(nullptr, &seen);
    testing::internal::CaptureStderr();
    showErrorBox("LumoSpell Error %d %x", 124, 3u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LumoSpell: LumoSpell Error 124 3\n");
    EXPECT_TRUE(seen.texts.empty());
}
