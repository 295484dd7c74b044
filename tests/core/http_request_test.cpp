#include "core/http_request.h"

#include <gtest/gtest.h>

#include "core/utf.h"

namespace lumvox::core {
namespace {

TEST(HttpRequest, BytesOfTheExample) {
    EXPECT_EQ(WriteGetRequest(u"/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox", u"192.168.0.10:7070"),
              "GET /lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox HTTP/1.1\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Host: 192.168.0.10:7070\r\n"
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "\r\n");
}

TEST(HttpRequest, CharactersAboveAsciiBecomeQuestionMarks) {
    struct Case { std::u16string_view host; std::string_view line; };
    const Case cases[] = {
        {u"호스트:7070", "Host: ???:7070\r\n"},
        {u"\xD83D\xDE00x:80", "Host: ?x:80\r\n"},         // a surrogate pair is one character
        {u"a\xD800" u"b\xDC00", "Host: a?b?\r\n"},        // lone surrogates too
        {u"\x7F\x80\xFF~", "Host: \x7F??~\r\n"},
        {u"[::1]:7070", "Host: [::1]:7070\r\n"},
    };
    for (auto [host, line] : cases) {
        std::string request = WriteGetRequest(u"/x", host);
        EXPECT_NE(request.find(line), std::string::npos) << ToUtf8Lossy(host) << "\n" << request;
    }
    EXPECT_EQ(WriteGetRequest(u"/\xC548?\xD83D\xDE00", u"h").substr(0, 20), "GET /??? HTTP/1.1\r\nC");
}

TEST(HttpRequest, PortNumbers) {
    struct Case { std::u16string_view text; std::optional<std::uint16_t> port; };
    const Case cases[] = {
        {u"7070", 7070}, {u"1", 1}, {u"65535", 65535}, {u"080", 80}, {u"00000000000443", 443},
        {u"0", {}}, {u"00", {}}, {u"65536", {}}, {u"99999999999999999999", {}}, {u"", {}}, {u"x", {}},
        {u"-1", {}}, {u"+80", {}}, {u" 80", {}}, {u"80 ", {}}, {u"8O", {}}, {u"\xFF11" u"80", {}},
    };
    for (auto [text, port] : cases) EXPECT_EQ(ParsePortNumber(text), port) << ToUtf8Lossy(text);
}

TEST(HttpRequest, PortToConnect) {
    struct Case { std::u16string_view url; std::optional<std::uint16_t> port; };
    const Case cases[] = {
        {u"http://h/x", 80},
        {u"http://h", 80},
        {u"http://h:80/x", 80},
        {u"http://h:7070/x", 7070},
        {u"http://h:/x", {}},  // an empty port text is no number: no fallback to 80
        {u"http://h:", {}},
        {u"http://h:x/x", {}},
        {u"http://h:0/x", {}},
        {u"http://h:65536/x", {}},
        {u"http://[::1]/x", 80},
        {u"http://[::1]:/x", {}},
        {u"http://[::1]:8080/x", 8080},
        {u"http://user:pw@h/x", 80},  // the colon of the user information names no port
        {u"http://h?a:b", 80},
        {u"http://h#a:b", 80},
        {u"http://h\\a:b", 80},
    };
    for (auto [url, port] : cases) EXPECT_EQ(PortToConnect(SplitRequestUrl(url)), port) << ToUtf8Lossy(url);
}

}  // namespace
}  // namespace lumvox::core
