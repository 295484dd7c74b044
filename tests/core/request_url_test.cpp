#include "core/request_url.h"

#include <gtest/gtest.h>

#include "core/text_rules.h"
#include "core/utf.h"

namespace lumvox::core {
namespace {

std::u16string RequestUrl(std::u16string_view host, std::u16string_view port, std::u16string_view text) {
    return u"http://" + std::u16string(host) + u":" + std::u16string(port) + u"/" + WrapNetworkEnvelope(text);
}

std::u16string Encoded(std::u16string_view url) {
    auto result = EncodeRequestUrl(url);
    EXPECT_TRUE(std::holds_alternative<std::u16string>(result)) << ToUtf8Lossy(url);
    return std::holds_alternative<std::u16string>(result) ? std::get<std::u16string>(result) : u"";
}

std::string TargetFor(std::u16string_view text) {
    return ToUtf8Lossy(RequestTarget(SplitRequestUrl(Encoded(RequestUrl(u"192.168.0.10", u"7070", text)))));
}

TEST(EncodeRequestUrl, RequestTargets) {
    struct Case { std::u16string_view text; std::string_view target; };
    const Case cases[] = {
        {u"안녕 하세요", "/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox"},
        {u"<pitch middle=\"5\">좋아</pitch>", "/lumvox=%3Cpitch%20middle=%225%22%3E%EC%A2%8B%EC%95%84%3C/pitch%3E=lumvox"},
        {u"첫 줄\r\n둘째 줄", "/lumvox=%EC%B2%AB%20%EC%A4%84%0D%0A%EB%91%98%EC%A7%B8%20%EC%A4%84=lumvox"},
        {u"a+b?c+d e&f=g", "/lumvox=a%2Bb?c+d%20e&f=g=lumvox"},
        {u"1#2 3", "/lumvox=1"},
        {u"x?#y", "/lumvox=x"},
        {u"~*!", "/lumvox=~%2A!=lumvox"},
        {u"a/b", "/lumvox=a/b=lumvox"},
        {u"C:\\temp", "/lumvox=C:/temp=lumvox"},
        {u"a?b\\c", "/lumvox=a?b%5Cc=lumvox"},
        {u"a?b/c", "/lumvox=a?b/c=lumvox"},
        {u"#x", "/lumvox="},
        {u"a#b?c", "/lumvox=a%23b?c=lumvox"},
        {u"a?b#c?d", "/lumvox=a?b"},
        {u"a/#", "/lumvox=a/"},
        {u"\x7f~*", "/lumvox=\x7f~%2A=lumvox"},
        {u"?*", "/lumvox=?%2A=lumvox"},
        {u"%41", "/lumvox=%2541=lumvox"},
        {u"\xD83D\xDE00", "/lumvox=%F0%9F%98%80=lumvox"},
        {u"\"#%*<>[\\]^`{|}", "/lumvox=%22"},
        {u"?\"%*<>[\\]^`{|}+\t", "/lumvox=?%22%25%2A%3C%3E%5B%5C%5D%5E%60%7B%7C%7D+%09=lumvox"},
        {u"!$&'(),-.:;=@_", "/lumvox=!$&'(),-.:;=@_=lumvox"},
    };
    for (auto [text, target] : cases) EXPECT_EQ(TargetFor(text), target) << ToUtf8Lossy(text);
}

TEST(EncodeRequestUrl, WholeUrlsAndDerivedValues) {
    struct Case {
        std::u16string_view host, port, text;
        std::u16string_view url;
        std::u16string_view connection_port, host_header;
    };
    const Case cases[] = {
        {u"192.168.0.10", u"7070", u"안녕 하세요",
         u"http://192.168.0.10:7070/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox", u"7070",
         u"192.168.0.10:7070"},
        {u"192.168.0.10", u"80", u"hi", u"http://192.168.0.10/lumvox=hi=lumvox", u"80", u"192.168.0.10"},
        {u"192.168.0.10", u"080", u"hi", u"http://192.168.0.10:080/lumvox=hi=lumvox", u"080", u"192.168.0.10:080"},
        {u"user@192.168.0.10", u"7070", u"hi", u"http://192.168.0.10:7070/lumvox=hi=lumvox", u"7070",
         u"192.168.0.10:7070"},
        {u"u:pw@192.168.0.10", u"7070", u"hi", u"http://192.168.0.10:7070/lumvox=hi=lumvox", u"7070",
         u"192.168.0.10:7070"},
        {u"[::1]", u"7070", u"hi", u"http://[::1]:7070/lumvox=hi=lumvox", u"7070", u"[::1]:7070"},
        {u"[fe80::1:2]", u"80", u"hi", u"http://[fe80::1:2]/lumvox=hi=lumvox", u"80", u"[fe80::1:2]"},
        {u"[not-v6]", u"7070", u"hi", u"http://[not-v6]:7070/lumvox=hi=lumvox", u"7070", u"not-v6:7070"},
        {u"abc", u"x1", u"hi", u"http://abc:x1/lumvox=hi=lumvox", u"x1", u"abc:x1"},
        {u"호스트", u"7070", u"hi", u"http://호스트:7070/lumvox=hi=lumvox", u"7070", u"호스트:7070"},
    };
    for (const auto& c : cases) {
        std::u16string url = Encoded(RequestUrl(c.host, c.port, c.text));
        EXPECT_EQ(url, c.url);
        UrlParts parts = SplitRequestUrl(url);
        EXPECT_EQ(ConnectionPort(parts), c.connection_port) << ToUtf8Lossy(url);
        EXPECT_EQ(HostHeaderValue(parts), c.host_header) << ToUtf8Lossy(url);
    }
}

TEST(EncodeRequestUrl, FailsOnEmptyHostOrUnpairedSurrogate) {
    struct Case { std::u16string_view url; EncodeFailure failure; };
    const Case cases[] = {
        {u"http://::1:7070/lumvox=hi=lumvox", EncodeFailure::EmptyHost},
        {u"http://::7070/lumvox=hi=lumvox", EncodeFailure::EmptyHost},
        {u"http://:7070/lumvox=hi=lumvox", EncodeFailure::EmptyHost},
        {u"http://h:1/lumvox=\xD83D" u"a=lumvox", EncodeFailure::UnpairedSurrogate},
        {u"http://h:1/lumvox=a\xDE00=lumvox", EncodeFailure::UnpairedSurrogate},
        {u"http://h:1/lumvox=a?\xD83D=lumvox", EncodeFailure::UnpairedSurrogate},
        {u"http://h:1/lumvox=x/\xDBFF", EncodeFailure::UnpairedSurrogate},
        {u"http://h:1/a\xDC00/lumvox=x=lumvox", EncodeFailure::UnpairedSurrogate},
        // Both faults: the text's is the one reported.
        {u"http://:1/lumvox=\xD83D=lumvox", EncodeFailure::UnpairedSurrogate},
    };
    for (auto [url, failure] : cases) {
        auto result = EncodeRequestUrl(url);
        ASSERT_TRUE(std::holds_alternative<EncodeFailure>(result)) << ToUtf8Lossy(url);
        EXPECT_EQ(std::get<EncodeFailure>(result), failure) << ToUtf8Lossy(url);
    }
    // A lone surrogate after a dropped "#" never reaches the encoder.
    EXPECT_TRUE(std::holds_alternative<std::u16string>(EncodeRequestUrl(u"http://h:1/lumvox=a#\xD83D")));
}

TEST(SplitRequestUrl, PartsOfTheUrl) {
    UrlParts p = SplitRequestUrl(u"http://u:pw@192.168.0.10:7070/lumvox=a/b=lumvox?x=1#frag");
    EXPECT_EQ(p.protocol, u"http");
    EXPECT_EQ(p.user_name, u"u");
    EXPECT_EQ(p.password, u"pw");
    EXPECT_EQ(p.host, u"192.168.0.10");
    EXPECT_FALSE(p.ipv6);
    EXPECT_EQ(p.port, u"7070");
    EXPECT_EQ(p.path, u"/lumvox=a/");
    EXPECT_EQ(p.document, u"b=lumvox");
    EXPECT_EQ(p.parameters, u"x=1");
    EXPECT_EQ(p.bookmark, u"frag");

    UrlParts v6 = SplitRequestUrl(u"http://[::1]:8080");
    EXPECT_EQ(v6.host, u"::1");
    EXPECT_TRUE(v6.ipv6);
    EXPECT_EQ(v6.port, u"8080");
    EXPECT_EQ(v6.path, u"/");
    EXPECT_EQ(v6.document, u"");

    UrlParts no_user = SplitRequestUrl(u"http://:pw@h/");
    EXPECT_EQ(no_user.user_name, u"");
    EXPECT_EQ(no_user.password, u"");
}

TEST(SplitRequestUrl, EncodedUrlSplitsBackIntoItsOwnParts) {
    const std::u16string_view texts[] = {u"a+b?c+d e&f=g", u"<x y=\"1\">#</x>", u"C:\\a\\b?c\\d", u"a/b/c d"};
    for (auto text : texts) {
        std::u16string url = Encoded(RequestUrl(u"[::1]", u"7070", text));
        UrlParts parts = SplitRequestUrl(url);
        EXPECT_EQ(u"http://[" + parts.host + u"]:" + parts.port + RequestTarget(parts), url) << ToUtf8Lossy(text);
        EXPECT_TRUE(parts.bookmark.empty());
    }
}

TEST(IsIpv6Literal, AcceptsOnlyWellFormedAddresses) {
    for (auto good : {u"::1", u"::", u"fe80::1", u"1:2:3:4:5:6:7:8", u"::ffff:127.0.0.1", u"1::", u"a:b::c:d"})
        EXPECT_TRUE(IsIpv6Literal(good)) << ToUtf8Lossy(good);
    for (auto bad : {u"", u":", u":1", u"1:2:3:4:5:6:7", u"1:2:3:4:5:6:7:8:9", u"1::2::3", u"12345::", u"g::1",
                     u"1:", u"::1.2.3", u"localhost"})
        EXPECT_FALSE(IsIpv6Literal(bad)) << ToUtf8Lossy(bad);
}

}  // namespace
}  // namespace lumvox::core
