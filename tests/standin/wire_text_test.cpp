#include "wire_text.h"

#include <gtest/gtest.h>

namespace lumvox::standin {
namespace {

TEST(ReplyMode, NamesRoundTripAndOthersAreRefused) {
    for (ReplyMode mode : kReplyModes) EXPECT_EQ(ParseReplyMode(ReplyModeName(mode)), mode);
    for (std::string_view name : {"", "SENT", "200", "none", "sent "}) EXPECT_FALSE(ParseReplyMode(name)) << name;
}

TEST(ReplyFor, GivesEachModesStatusAndBodyWithItsLength) {
    EXPECT_EQ(ReplyFor(ReplyMode::Sent),
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 4\r\n"
              "Connection: close\r\n\r\nsent");
    struct Case {
        ReplyMode mode;
        std::string_view status_line;
        bool body_has_sent;
    };
    constexpr Case kCases[] = {
        {ReplyMode::Sent, "HTTP/1.1 200 OK", true},
        {ReplyMode::NoSent, "HTTP/1.1 200 OK", false},
        {ReplyMode::ServerError, "HTTP/1.1 500 Internal Server Error", true},
    };
    for (const auto& c : kCases) {
        std::string reply = ReplyFor(c.mode);
        SCOPED_TRACE(reply);
        EXPECT_EQ(reply.substr(0, reply.find("\r\n")), c.status_line);
        size_t end = reply.find("\r\n\r\n");
        ASSERT_NE(end, std::string::npos);
        std::string body = reply.substr(end + 4);
        EXPECT_NE(reply.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
        EXPECT_EQ(body.find("sent") != std::string::npos, c.body_has_sent);
    }
    EXPECT_EQ(ReplyFor(ReplyMode::Silent), "");
}

TEST(FindHeadEnd, FindsTheFirstEmptyLineWithEitherLineEnd) {
    struct Case {
        std::string_view bytes;
        std::optional<size_t> end;
    };
    const Case kCases[] = {
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", 27},
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\nbody", 27},
        {"GET /\n\n", 7},
        {"GET /\r\n\n", 8},
        {"GET /\n\r\n", 8},
        {"GET / HTTP/1.1\r\nHost: x\r\n", std::nullopt},
        {"GET / HTTP/1.1\r\nHost: x\r\n\r", std::nullopt},
        {"GET / HTTP/1.1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : kCases) EXPECT_EQ(FindHeadEnd(c.bytes), c.end) << testing::PrintToString(c.bytes);
}

TEST(ParseRequestHead, SplitsTheWorkshopsRequest) {
    RequestHead head = ParseRequestHead(
        "GET /lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox HTTP/1.1\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "Host: 127.0.0.1:7070\r\n"
        "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
        "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
        "\r\n");
    EXPECT_EQ(head.request_line, "GET /lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox HTTP/1.1");
    EXPECT_EQ(head.method, "GET");
    EXPECT_EQ(head.target, "/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox");
    EXPECT_EQ(head.version, "HTTP/1.1");
    EXPECT_EQ(head.headers, (std::vector<std::string>{
                                "Content-Type: application/x-www-form-urlencoded",
                                "Host: 127.0.0.1:7070",
                                "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
                                "User-Agent: Mozilla/3.0 (compatible; Indy Library)",
                            }));
}

TEST(ParseRequestHead, ToleratesBareLineFeedsAndShortRequestLines) {
    struct Case {
        std::string_view head;
        std::string_view method, target, version;
        std::vector<std::string> headers;
    };
    const Case kCases[] = {
        {"GET /a HTTP/1.0\nHost: h\n\n", "GET", "/a", "HTTP/1.0", {"Host: h"}},
        {"GET /a\r\n\r\n", "GET", "/a", "", {}},
        {"POST / HTTP/1.1\r\nA: 1\r\nB:  2 \r\n\r\nbody\r\n", "POST", "/", "HTTP/1.1", {"A: 1", "B:  2 "}},
        {"", "", "", "", {}},
    };
    for (const auto& c : kCases) {
        RequestHead head = ParseRequestHead(c.head);
        SCOPED_TRACE(testing::PrintToString(c.head));
        EXPECT_EQ(head.method, c.method);
        EXPECT_EQ(head.target, c.target);
        EXPECT_EQ(head.version, c.version);
        EXPECT_EQ(head.headers, c.headers);
    }
}

// Every split of a request into what was searched and what is new finds the
// same end as reading it at once; the cap counts only while no end is found.
TEST(ReadRequestHead, DecidesAsReadingAtOnceWhereverTheReadsSplit) {
    using State = HeadReading::State;
    struct Case {
        std::string_view bytes;
        size_t max_head;
        State state;
        size_t head_size;
    };
    constexpr Case kCases[] = {
        {"GET / HTTP/1.1\r\nHost: a\r\n\r\nextra", 100, State::Whole, 27},
        {"GET / HTTP/1.1\n\n", 100, State::Whole, 16},
        {"GET / HTTP/1.1\n\r\n", 100, State::Whole, 17},
        {"GET / HTTP/1.1\r\nHost: a\r\n", 100, State::NeedMore, 0},
        {"GET / HTTP/1.1\r\nHost: a\r\n", 10, State::TooLarge, 0},
        {"GET / HTTP/1.1\r\n\r\n", 5, State::Whole, 18},  // the end came with the bytes that pass the cap
        {"GET /\r\n\r\n", 100, State::Malformed, 9},
        {"\r\n\r\n", 100, State::Malformed, 4},
    };
    for (const auto& c : kCases) {
        for (size_t searched = 0; searched <= c.bytes.size(); ++searched) {
            // What an earlier read saw must not have been decided already.
            if (searched > 0 && ReadRequestHead(c.bytes.substr(0, searched), 0, c.max_head).state != State::NeedMore)
                continue;
            HeadReading reading = ReadRequestHead(c.bytes, searched, c.max_head);
            EXPECT_EQ(reading.state, c.state) << testing::PrintToString(c.bytes) << " searched " << searched;
            EXPECT_EQ(reading.head_size, c.head_size) << testing::PrintToString(c.bytes) << " searched " << searched;
            EXPECT_EQ(reading.problem.empty(), c.state != State::Malformed);
        }
    }
}

TEST(RequestHeadProblem, AnswersWhatTheWorkshopAndOrdinaryClientsSendAndNamesWhatIsWrong) {
    struct Case {
        std::string_view head;
        std::string_view problem;  // a word of the problem; empty: answered
    };
    const Case kCases[] = {
        {"GET /lumvox=%EC%95%88=lumvox HTTP/1.1\r\nHost: 127.0.0.1:7070\r\nUser-Agent: Mozilla/3.0 (x)\r\n\r\n", ""},
        {"GET /a HTTP/1.0\nHost: h\n\n", ""},
        {"POST / HTTP/1.1\r\nX-Empty:\r\n\r\n", ""},
        {"GET /\xEC\x95\x88?a=\"b\" HTTP/1.1\r\n\r\n", ""},
        {"GET /a\r\n\r\n", "request line"},
        {"GET  /a HTTP/1.1\r\n\r\n", "request line"},
        {"GET /a HTTP/1.1 \r\n\r\n", "request line"},
        {"GET /a HTTP/11\r\n\r\n", "request line"},
        {"GET /a\tb HTTP/1.1\r\n\r\n", "request line"},
        {"G(T /a HTTP/1.1\r\n\r\n", "request line"},
        {"GARBAGE\r\n\r\n", "request line"},
        {"\r\nGET / HTTP/1.1\r\n\r\n", "request line"},
        {"\x16\x03\x01\x02\x00\x01\n\n", "request line"},
        {"GET / HTTP/1.1\r\nHost: a\r\nno colon here\r\n\r\n", "header line 2"},
        {"GET / HTTP/1.1\r\nHost : a\r\n\r\n", "header line 1"},
        {"GET / HTTP/1.1\r\n folded: a\r\n\r\n", "header line 1"},
        {"GET / HTTP/1.1\r\n: a\r\n\r\n", "header line 1"},
    };
    for (const auto& c : kCases) {
        std::string problem = RequestHeadProblem(ParseRequestHead(c.head));
        SCOPED_TRACE(testing::PrintToString(c.head));
        if (c.problem.empty()) EXPECT_EQ(problem, "");
        else EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

TEST(Refusal, EachReasonHasItsNameKindAndAnswer) {
    struct Case {
        Refusal reason;
        std::string_view name;
        bool drop;
        std::optional<int> status;
        std::string_view status_line;
    };
    constexpr Case kCases[] = {
        {Refusal::Connections, "connections", false, std::nullopt, ""},
        {Refusal::Idle, "idle", true, std::nullopt, ""},
        {Refusal::TooLarge, "too-large", false, 431, "HTTP/1.1 431 Request Header Fields Too Large"},
        {Refusal::Malformed, "malformed", false, 400, "HTTP/1.1 400 Bad Request"},
        {Refusal::ClosedEarly, "closed", true, std::nullopt, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RefusalName(c.reason), c.name);
        EXPECT_EQ(IsDrop(c.reason), c.drop);
        EXPECT_EQ(RefusalStatus(c.reason), c.status);
        std::string reply = RefusalReply(c.reason);
        EXPECT_EQ(reply.substr(0, reply.find("\r\n")), c.status_line);
        EXPECT_EQ(reply.find("\r\nConnection: close\r\n") != std::string::npos, !reply.empty()) << reply;
    }
}

TEST(RefusalStart, KeepsTheFirstBytesWithoutCuttingASequence) {
    const std::string ascii(kRefusalStartBytes + 10, 'a');
    EXPECT_EQ(RefusalStart(ascii), ascii.substr(0, kRefusalStartBytes));
    EXPECT_EQ(RefusalStart("GET /"), "GET /");
    // "안" is three bytes: placed so that the cut falls after each of its bytes in turn.
    for (size_t before : {kRefusalStartBytes - 1, kRefusalStartBytes - 2, kRefusalStartBytes - 3}) {
        std::string text = std::string(before, 'a') + "\xEC\x95\x88" + "zz";
        std::string start = RefusalStart(text);
        SCOPED_TRACE(before);
        EXPECT_EQ(start, before + 3 <= kRefusalStartBytes ? text.substr(0, before + 3) : text.substr(0, before));
        EXPECT_LE(start.size(), kRefusalStartBytes);
    }
}

TEST(PercentDecode, DecodesHexPairsAndKeepsEverythingElse) {
    struct Case {
        std::string_view text, bytes;
    };
    constexpr Case kCases[] = {
        {"%EC%95%88", "\xEC\x95\x88"},
        {"%ec%95%88", "\xEC\x95\x88"},
        {"%20%0D%0A", " \r\n"},
        {"a+b", "a+b"},
        {"%2B", "+"},
        {"%zz", "%zz"},
        {"%4", "%4"},
        {"100%", "100%"},
        {"%%41", "%A"},
        {"%00", std::string_view("\0", 1)},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(PercentDecode(c.text), c.bytes) << c.text;
}

TEST(NetworkEnvelopeText, TakesTheDecodedTextBetweenTheMarkers) {
    struct Case {
        std::string_view target;
        std::string_view text;
        bool closed;
    };
    constexpr Case kCases[] = {
        {"/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox", "안녕 하세요", true},
        {"/lumvox=%3Cpitch%20middle=%225%22%3E%EC%A2%8B%EC%95%84%3C/pitch%3E=lumvox", "<pitch middle=\"5\">좋아</pitch>",
         true},
        {"/lumvox=a%2Bb?c+d%20e&f=g=lumvox", "a+b?c+d e&f=g", true},
        {"/lumvox=a=lumvox%20b=lumvox", "a=lumvox b", true},
        {"/lumvox==lumvox", "", true},
        {"/lumvox=1", "1", false},
        {"/lumvox=", "", false},
        {"/lumvox=lumvox", "lumvox", false},
    };
    for (const auto& c : kCases) {
        auto text = NetworkEnvelopeText(c.target);
        ASSERT_TRUE(text) << c.target;
        EXPECT_EQ(text->bytes, c.text) << c.target;
        EXPECT_EQ(text->closed, c.closed) << c.target;
    }
    for (std::string_view target : {"/", "/favicon.ico", "/lumvox%3D"}) EXPECT_FALSE(NetworkEnvelopeText(target)) << target;
}

}  // namespace
}  // namespace lumvox::standin
