#include "core/host_facts.h"

#include <gtest/gtest.h>

namespace lumvox::core {
namespace {

TEST(DottedQuad, DecimalWithoutLeadingZeros) {
    struct Case {
        std::array<uint8_t, 4> bytes;
        std::u16string_view text;
    };
    constexpr Case kCases[] = {
        {{192, 168, 0, 10}, u"192.168.0.10"},
        {{10, 0, 0, 5}, u"10.0.0.5"},
        {{127, 0, 0, 1}, u"127.0.0.1"},
        {{0, 0, 0, 0}, u"0.0.0.0"},
        {{255, 255, 255, 255}, u"255.255.255.255"},
        {{1, 20, 100, 9}, u"1.20.100.9"},
    };
    for (const auto& c : kCases) EXPECT_EQ(DottedQuad(c.bytes), c.text);
}

TEST(VersionTableKey, LanguageThenCodePageInUpperCaseHex) {
    EXPECT_EQ(VersionTableKey(0x0409, 0x04E4), u"040904E4");
    EXPECT_EQ(VersionTableKey(0x0412, 0x04B0), u"041204B0");
    EXPECT_EQ(VersionTableKey(0x0000, 0x0000), u"00000000");
    EXPECT_EQ(VersionTableKey(0xABCD, 0xEF01), u"ABCDEF01");
    // As the Translation value stores an entry: language low, code page high.
    EXPECT_EQ(VersionTableKey(uint32_t{0x04E40409}), u"040904E4");
    EXPECT_EQ(VersionTableKey(uint32_t{0x04B00412}), u"041204B0");
}

}  // namespace
}  // namespace lumvox::core
