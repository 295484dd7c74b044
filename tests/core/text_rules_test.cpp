#include "core/text_rules.h"

#include <gtest/gtest.h>

namespace lumvox::core {
namespace {

TEST(TrimText, RemovesExactlyCodeUnitsUpToSpace) {
    struct Case { std::u16string_view in, out; };
    const Case cases[] = {
        {u"", u""},
        {u"  \t\r\n", u""},
        {u"\r\n안녕\r\n\r\n", u"안녕"},
        {u"a\r\n\r\nb", u"a\r\n\r\nb"},
        {std::u16string_view(u"\0x\x1f", 3), u"x"},
        {u"\x1f" u"a", u"a"},
        {u"\u00a0a\u00a0", u"\u00a0a\u00a0"},
        {u"\u3000a\u3000", u"\u3000a\u3000"},
        {u"\x7f\x85\xfeff", u"\x7f\x85\xfeff"},
        {u" \xd83d\xde00 ", u"\xd83d\xde00"},
        {u"  안녕하세요  \r\n", u"안녕하세요"},
        {u"!", u"!"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(TrimText(in), out) << "case of length " << in.size();
}

TEST(Envelopes, WrapWithoutEscapingOrSpacing) {
    EXPECT_EQ(WrapProtocolEnvelope(u""), u"<lumvox></lumvox>");
    EXPECT_EQ(WrapProtocolEnvelope(u"").size(), 17u);
    EXPECT_EQ(WrapProtocolEnvelope(u"a</lumvox>b"), u"<lumvox>a</lumvox>b</lumvox>");
    EXPECT_EQ(WrapProtocolEnvelope(u"안녕하세요").size(), 22u);
    EXPECT_EQ(WrapNetworkEnvelope(u"안녕 하세요"), u"lumvox=안녕 하세요=lumvox");
    EXPECT_EQ(WrapNetworkEnvelope(u"  hi\r\n"), u"lumvox=  hi\r\n=lumvox");
    EXPECT_EQ(WrapCommandEnvelope(u"goto:http://"), u"<cmd>goto:http://</cmd>");
    EXPECT_EQ(WrapProtocolEnvelope(WrapCommandEnvelope(u"time")), u"<lumvox><cmd>time</cmd></lumvox>");
}

}  // namespace
}  // namespace lumvox::core
