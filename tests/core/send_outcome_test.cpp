// What every send records: the cause of each failure kind through loopback
// peers, the wire warnings of texts, and the causes' words.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <stdexcept>

#include "core/network_link.h"
#include "core/page_actions.h"
#include "core/page_messages.h"
#include "core/send_outcome.h"
#include "core/utf.h"
#include "http_test_server.h"
#include "page_fakes.h"

namespace lumvox::core {
namespace {

using namespace std::chrono_literals;
using test::RawReplyServer;
using Then = RawReplyServer::Then;

std::u16string Digits(long long n) {
    std::string s = std::to_string(n);
    return {s.begin(), s.end()};
}

struct Journal final : SendJournal {
    std::vector<SendRecord> records;
    void Record(const SendRecord& record) override { records.push_back(record); }
};

// The second page against a real exchange with short limits.
struct NetHarness {
    explicit NetHarness(HttpLimits limits) : network(limits) {}
    testing::FakePageView view;
    testing::RecordingSpeechApp speech_app;
    HttpNetworkLink network;
    testing::RecordingClipboard clipboard;
    testing::FakeFiles files;
    Journal journal;
    PageActions actions{view, PageLinks{speech_app, network, clipboard, files}, &journal};

    SendRecord Send(std::u16string_view host, std::u16string_view port, std::u16string_view text) {
        view.fields[TextField::NetHostEdit] = host;
        view.fields[TextField::NetPortEdit] = port;
        view.fields[TextField::NetText] = text;
        return actions.SendOverNetwork();
    }
};

// `count` header lines of `size` bytes each, line ends included.
std::string HeaderLines(int count, size_t size) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "X" + std::to_string(i) + ": " + std::string(size - 6, 'v') + "\r\n";
    return lines;
}

HttpLimits ShortLimits() {
    HttpLimits limits;
    limits.connect = 300ms;
    limits.reply_idle = 300ms;
    limits.max_line = 64;
    limits.max_head_bytes = 256;
    limits.max_body = 64;
    return limits;
}

TEST(SendCause, EachNetworkFailureHasItsOwnCauseAndTheOneWindowMessage) {
    struct Case {
        const char* name;
        std::string reply;  // empty with Hold: a silent peer
        Then then;
        CauseCode code;
        std::vector<Particular> particulars;  // those that do not depend on the port or the clock
    };
    const Case cases[] = {
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nsent", Then::Close, CauseCode::NotSuccess,
         {{"status", 404LL}, {"reason", std::string("Not Found")}}},
        {"302 without reason", "HTTP/1.1 302\r\n\r\n", Then::Close, CauseCode::NotSuccess,
         {{"status", 302LL}, {"reason", std::string()}}},
        {"not UTF-8", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nsent\xC3(x", Then::Close, CauseCode::NotUtf8,
         {{"byteOffset", 4LL}}},
        {"no status code", "HTTP/1.1 OK\r\n\r\n", Then::Close, CauseCode::BadStatusLine, {}},
        {"line over its cap", "HTTP/1.1 200 OK\r\nX: " + std::string(100, 'a') + "\r\n\r\n", Then::Close,
         CauseCode::OverLimit, {{"limit", std::string("line")}, {"capBytes", 64LL}}},
        {"header over its cap", "HTTP/1.1 200 OK\r\n" + HeaderLines(6, 50) + "\r\n", Then::Close, CauseCode::OverLimit,
         {{"limit", std::string("header")}, {"capBytes", 256LL}}},
        {"body over its cap", "HTTP/1.0 200 OK\r\n\r\n" + std::string(65, 'b'), Then::Close, CauseCode::OverLimit,
         {{"limit", std::string("body")}, {"capBytes", 64LL}}},
        {"closed inside the body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nsent", Then::Close,
         CauseCode::ClosedEarly, {}},
        {"silent peer", "", Then::Hold, CauseCode::TimedOut, {{"limit", std::string("reply")}, {"limitMs", 300LL}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawReplyServer server(c.reply, c.then);
        NetHarness h(ShortLimits());
        SendRecord record = h.Send(u"127.0.0.1", Digits(server.port()), u"hi");
        EXPECT_EQ(CauseName(record.cause.code), CauseName(c.code)) << CauseTextEnglish(record.cause);
        EXPECT_EQ(record.outcome, SendOutcome::Unreachable);
        EXPECT_EQ(h.view.messages, std::vector<std::u16string>{std::u16string(messages::kConnectivity)});
        std::vector<Particular> got = Particulars(record.cause);
        for (const Particular& want : c.particulars) {
            auto it = std::find_if(got.begin(), got.end(), [&](const Particular& p) { return p.name == want.name; });
            ASSERT_NE(it, got.end()) << want.name;
            EXPECT_EQ(it->value, want.value) << want.name;
        }
        EXPECT_EQ(record.wire_bytes, record.request.size()) << "the request went out";
        ASSERT_EQ(h.journal.records.size(), 1u);
        EXPECT_EQ(h.journal.records[0].cause.code, record.cause.code);
    }
}

TEST(SendCause, ConnectionsNotMadeNameTheAddressAndWhatWasTried) {
    NetHarness h(ShortLimits());
    const std::u16string closed = Digits(test::ClosedPort());
    SendRecord refused = h.Send(u"127.0.0.1", closed, u"hi");
    EXPECT_EQ(refused.cause.code, CauseCode::ConnectionRefused);
    EXPECT_EQ(refused.cause.address, "127.0.0.1:" + ToUtf8Lossy(closed));
    EXPECT_EQ(refused.wire_bytes, 0u);
    EXPECT_NE(CauseTextEnglish(refused.cause).find("127.0.0.1:" + ToUtf8Lossy(closed)), std::string::npos);

    test::FullBacklogListener listener;
    ASSERT_TRUE(listener.full());
    SendRecord silent = h.Send(u"127.0.0.1", Digits(listener.port()), u"hi");
    EXPECT_EQ(silent.cause.code, CauseCode::TimedOut);
    EXPECT_EQ(silent.cause.limit, "connect");
    EXPECT_EQ(silent.cause.limit_value, 300);

    struct Case { std::u16string_view host, port, text; CauseCode code; };
    const Case cases[] = {
        {u"127.0.0.1", u"99999", u"hi", CauseCode::BadPort},
        {u"127.0.0.1", u"0", u"hi", CauseCode::BadPort},
        {u"127.0.0.1", u"x", u"hi", CauseCode::BadPort},
        {u"[::1x]", u"7070", u"hi", CauseCode::BadHost},
        {u"[::1", u"7070", u"hi", CauseCode::BadHost},
        {u"127.0.0.1:7070:1", u"7070", u"hi", CauseCode::BadHost},
        {u"127.0.0.1:7070:1", u"x1", u"hi", CauseCode::BadPort},
        {u"::1", u"7070", u"hi", CauseCode::EmptyHost},
        {u"127.0.0.1", u"7070", u"a\xD800", CauseCode::UnpairedSurrogate},
        {u" ", u"7070", u"hi", CauseCode::EmptyDestination},
        {u"127.0.0.1", u"7070", u"\r\n", CauseCode::EmptyText},
    };
    for (const Case& c : cases) {
        SendRecord record = h.Send(c.host, c.port, c.text);
        EXPECT_EQ(CauseName(record.cause.code), CauseName(c.code)) << ToUtf8Lossy(c.host) << ":" << ToUtf8Lossy(c.port);
        EXPECT_EQ(record.wire_bytes, 0u);
    }
    // The messages quote the fields as written, not what the URL's split made of them.
    EXPECT_EQ(h.Send(u"127.0.0.1", u"99999", u"hi").cause.port, u"99999");
    EXPECT_EQ(h.Send(u"127.0.0.1:7070:1", u" x1 ", u"hi").cause.port, u"x1");
    EXPECT_EQ(h.Send(u"[::1x]", u"7070", u"hi").cause.host, u"[::1x]");
    EXPECT_EQ(CauseTextEnglish(h.Send(u"[::1", u"7070", u"hi").cause).substr(0, 16), "the host \"[::1\" ");
    EXPECT_EQ(CauseTextEnglish(h.Send(u"::1", u"7070", u"hi").cause).substr(0, 22), "the destination \"::1\" ");
}

TEST(SendCause, ARepliedTextWithoutSentRecordsStatusLengthAndTheEscapedStart) {
    const std::string body = "no\r\nthanks " + std::string(300, 'z');
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    HttpLimits roomy = ShortLimits();
    roomy.max_body = 1024;
    NetHarness wide(roomy);
    SendRecord record = wide.Send(u"127.0.0.1", Digits(server.port()), u"hi");
    EXPECT_EQ(record.outcome, SendOutcome::NotAcknowledged);
    EXPECT_EQ(record.cause.status, 200);
    EXPECT_EQ(record.cause.body_length, body.size());
    EXPECT_EQ(record.cause.body_start, u"no\\r\\nthanks " + std::u16string(200 - 11, u'z'));
    EXPECT_EQ(wide.view.messages, std::vector<std::u16string>{std::u16string(messages::kSendError)});
    EXPECT_EQ(record.status, 200);
    EXPECT_EQ(record.body, body);
}

TEST(SendCause, DeliveredSendsRecordWhatWasHandedOver) {
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    NetHarness h(ShortLimits());
    SendRecord net = h.Send(u" 127.0.0.1 ", Digits(server.port()), u" 안녕 ");
    EXPECT_EQ(net.outcome, SendOutcome::Delivered);
    EXPECT_EQ(net.handed_over, u"lumvox=안녕=lumvox");
    EXPECT_EQ(net.request, server.Request());
    EXPECT_EQ(net.wire_bytes, net.request.size());
    EXPECT_EQ(net.text, u" 안녕 ");
    EXPECT_EQ(net.host, u" 127.0.0.1 ");

    testing::PageHarness p;
    Journal journal;
    PageActions actions(p.view, PageLinks{p.speech_app, p.network, p.clipboard, p.files}, &journal);
    p.view.fields[TextField::AppText] = u" 안녕\r\n";
    p.view.use_protocol = true;
    SendRecord app = actions.SendToApp();
    EXPECT_EQ(app.handed_over, u"<lumvox>안녕</lumvox>");
    EXPECT_EQ(app.wire_bytes, 38u);
    EXPECT_TRUE(app.protocol);
    p.view.fields[TextField::ClipText] = u"a";
    SendRecord clip = actions.CopyToClipboard();
    EXPECT_EQ(clip.wire_bytes, (17u + 1u + 1u) * 2);
    EXPECT_EQ(journal.records.size(), 2u);
}

TEST(SendCause, CopyDataAndClipboardCausesReachTheRecordButNotTheWindow) {
    struct Case { bool running; CauseCode sent; CauseCode recorded; SendOutcome outcome; bool message; };
    const Case cases[] = {
        {false, CauseCode::None, CauseCode::NoWindow, SendOutcome::Unreachable, true},
        {true, CauseCode::WindowGone, CauseCode::WindowGone, SendOutcome::Unreachable, false},
        {true, CauseCode::NotConfirmed, CauseCode::NotConfirmed, SendOutcome::NotAcknowledged, false},
        {true, CauseCode::MessageRefused, CauseCode::MessageRefused, SendOutcome::Failed, false},
        {true, CauseCode::None, CauseCode::None, SendOutcome::Delivered, false},
    };
    for (const Case& c : cases) {
        testing::PageHarness h;
        h.view.fields[TextField::AppText] = u"hi";
        h.speech_app.running = c.running;
        h.speech_app.result.code = c.sent;
        SendRecord record = h.actions.SendToApp();
        EXPECT_EQ(record.cause.code, c.recorded) << CauseName(c.recorded);
        EXPECT_EQ(record.outcome, c.outcome);
        EXPECT_EQ(h.view.messages.size(), c.message ? 1u : 0u);
    }

    testing::PageHarness h;
    Journal journal;
    PageActions actions(h.view, PageLinks{h.speech_app, h.network, h.clipboard, h.files}, &journal);
    h.clipboard.failure = u"Cannot open clipboard: Access is denied";
    EXPECT_THROW(actions.CopyToClipboard(), ActionError);
    ASSERT_EQ(journal.records.size(), 1u);
    EXPECT_EQ(journal.records[0].outcome, SendOutcome::Failed);
    EXPECT_EQ(journal.records[0].cause.code, CauseCode::ClipboardFailed);
}

// ---- the network send on a thread of its own ----------------------------------

// Starts the second page's send in the background and waits for its end.
struct BackgroundNet : NetHarness {
    using NetHarness::NetHarness;
    // Shared with the send's thread, which may end after this harness has gone.
    std::shared_ptr<std::promise<void>> ended = std::make_shared<std::promise<void>>();

    bool Start(std::u16string_view host, std::u16string_view port, std::u16string_view text) {
        view.fields[TextField::NetHostEdit] = host;
        view.fields[TextField::NetPortEdit] = port;
        view.fields[TextField::NetText] = text;
        return actions.StartNetworkSend([ended = ended] { ended->set_value(); });
    }
    std::optional<SendRecord> End() {
        ended->get_future().wait();
        return actions.EndNetworkSend();
    }
};

// Once its exchange is over, a send run in the background records, shows and
// puts on the wire exactly what the same send run in place does.
TEST(NetworkSendInBackground, EndsAsTheSendInPlaceDoes) {
    struct Case { std::string reply; std::u16string_view words; };  // a delivery's words name where it went
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", u""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nno", u"응답(상태 200, 본문 2 바이트)에 \"sent\"가 없습니다: \"no\""},
        {"HTTP/1.1 404 Not Found\r\n\r\n", u"응답 상태가 2xx가 아닙니다: 404 Not Found"},
    };
    for (const auto& [reply, words] : cases) {
        SCOPED_TRACE(reply);
        RawReplyServer in_place_peer(reply), background_peer(reply);
        NetHarness in_place(ShortLimits());
        const SendRecord want = in_place.Send(u"127.0.0.1", Digits(in_place_peer.port()), u" 안녕 ");
        BackgroundNet background(ShortLimits());
        const std::u16string port = Digits(background_peer.port());
        ASSERT_TRUE(background.Start(u"127.0.0.1", port, u" 안녕 "));
        const std::optional<SendRecord> got = background.End();
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(CauseName(got->cause.code), CauseName(want.cause.code));
        EXPECT_EQ(got->outcome, want.outcome);
        std::string request = want.request;  // with the other peer's port in its Host header
        const std::string in_place_host = "Host: 127.0.0.1:" + ToUtf8Lossy(Digits(in_place_peer.port()));
        request.replace(request.find(in_place_host), in_place_host.size(), "Host: 127.0.0.1:" + ToUtf8Lossy(port));
        EXPECT_EQ(got->request, request);
        EXPECT_EQ(background_peer.Request(), got->request);
        EXPECT_EQ(background.view.messages, in_place.view.messages);
        ASSERT_EQ(background.journal.records.size(), 1u);
        const std::u16string ended =
            words.empty() ? u"전송됨: 네트워크 127.0.0.1:" + port + u", " + Digits(got->handed_over.size()) + u"자 (1번째 전송)"
                          : std::u16string(words) + u" (1번째 전송)";
        const std::vector<std::pair<SendState, std::u16string>> states = {
            {SendState::UnderWay, u"전송 중: 127.0.0.1:" + port + u" (Esc: 취소)"},
            {SendState::Ended, ended},
        };
        EXPECT_EQ(background.view.send_states, states);
        EXPECT_FALSE(background.actions.NetworkSendUnderWay());
    }
}

// A send to a peer that never answers waits until it is cancelled: no second
// send meanwhile, then its own cause, no box, and the connection closed.
TEST(NetworkSendInBackground, CancelEndsASilentPeersSendWithItsOwnCause) {
    RawReplyServer silent("", Then::Hold);
    BackgroundNet h(HttpLimits{});  // seconds to wait: only the cancel ends it in time
    ASSERT_TRUE(h.Start(u"127.0.0.1", Digits(silent.port()), u"hi"));
    EXPECT_TRUE(h.actions.NetworkSendUnderWay());
    EXPECT_FALSE(h.actions.StartNetworkSend([] { ADD_FAILURE() << "a second send started"; }));
    ASSERT_FALSE(silent.Request().empty());
    h.actions.CancelNetworkSend();
    const std::optional<SendRecord> record = h.End();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(CauseName(record->cause.code), "cancelled") << CauseTextEnglish(record->cause);
    EXPECT_EQ(record->outcome, SendOutcome::Failed);
    EXPECT_EQ(record->wire_bytes, record->request.size()) << "the request went out";
    EXPECT_TRUE(h.view.messages.empty()) << "the user cancelled it: no box";
    ASSERT_EQ(h.view.send_states.size(), 2u);
    EXPECT_EQ(h.view.send_states[1].second, u"교환이 끝나기 전에 사용자가 전송을 취소했습니다 (1번째 전송)");
    ASSERT_EQ(h.journal.records.size(), 1u);
    EXPECT_EQ(h.journal.records[0].cause.code, CauseCode::Cancelled);
    EXPECT_TRUE(silent.WaitClientClosed());
    EXPECT_FALSE(h.actions.EndNetworkSend().has_value()) << "a record is taken once";
}

// Actions that go while a send waits (the window closing) stop it and wait for
// its thread: nothing is left running on what they owned.
TEST(NetworkSendInBackground, GoingAwayStopsTheSend) {
    RawReplyServer silent("", Then::Hold);
    {
        BackgroundNet h(HttpLimits{});
        ASSERT_TRUE(h.Start(u"127.0.0.1", Digits(silent.port()), u"hi"));
        ASSERT_FALSE(silent.Request().empty());
    }
    EXPECT_TRUE(silent.WaitClientClosed());
}

TEST(WireWarnings, TextsAndTheirWarnings) {
    struct Case {
        std::u16string text;
        std::vector<WireWarning> warnings;  // code, position, count, excerpt
    };
    using enum WarningCode;
    const Case cases[] = {
        {u"안녕 하세요", {}},
        {u"안녕 #1 우선", {{HashCutsText, 3, 5, u"#1 우선"}}},
        {u"#x", {{HashCutsText, 0, 2, u"#x"}}},
        {u"a+b?c+d e+f", {{QueryMakesParameters, 3, 2, {}}}},
        {u"x?#y", {{QueryMakesParameters, 1, 0, {}}, {HashCutsText, 2, 2, u"#y"}}},
        {u"a#b?c", {{QueryMakesParameters, 3, 0, {}}}},  // a "#" before the "?" is sent, escaped
        {u"a?b#c?d", {{QueryMakesParameters, 1, 0, {}}, {HashCutsText, 3, 4, u"#c?d"}}},
        {u"C:\\temp\\x", {{BackslashBecomesSlash, 2, 2, {}}}},
        {u"a?b\\c", {{QueryMakesParameters, 1, 0, {}}}},
        {u"line\r\n#", {{HashCutsText, 6, 1, u"#"}}},
        // U+007F goes out raw, in the path and in the parameters, but not after a "#".
        {u"a\x7F" u"b?\x7F#\x7F", {{QueryMakesParameters, 3, 0, {}}, {DelCharacter, 1, 2, {}}, {HashCutsText, 5, 2, u"#\\x7F"}}},
        // The request line around the cap: "GET /lumvox=" + text + "=lumvox HTTP/1.1" is the text and 28 bytes.
        {std::u16string(kCommonRequestLineCap - 28, u'a'), {}},
        {std::u16string(kCommonRequestLineCap - 27, u'a'), {{LongRequestLine, 0, kCommonRequestLineCap + 1, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8Lossy(c.text));
        testing::PageHarness h;
        h.view.fields[TextField::NetHostEdit] = u"127.0.0.1";
        h.view.fields[TextField::NetText] = c.text;
        SendRecord record = h.actions.SendOverNetwork();
        ASSERT_EQ(record.warnings.size(), c.warnings.size());
        for (size_t i = 0; i < c.warnings.size(); ++i) {
            EXPECT_EQ(WarningName(record.warnings[i].code), WarningName(c.warnings[i].code));
            EXPECT_EQ(record.warnings[i].position, c.warnings[i].position);
            EXPECT_EQ(record.warnings[i].count, c.warnings[i].count);
            EXPECT_EQ(record.warnings[i].excerpt, c.warnings[i].excerpt);
        }
    }
    // Warnings never change what is sent.
    testing::PageHarness h;
    h.view.fields[TextField::NetHostEdit] = u"127.0.0.1";
    h.view.fields[TextField::NetText] = u"1#2 3";
    h.actions.SendOverNetwork();
    EXPECT_EQ(h.network.urls, std::vector<std::u16string>{u"http://127.0.0.1:7070/lumvox=1"});
}

TEST(WireWarnings, NulInCopyDataAndClipboardTexts) {
    testing::PageHarness h;
    h.view.fields[TextField::AppText] = std::u16string(u"ab\0c\0", 5);
    SendRecord app = h.actions.SendToApp();
    ASSERT_EQ(app.warnings.size(), 1u);
    EXPECT_EQ(app.warnings[0].code, WarningCode::NulCharacter);
    EXPECT_EQ(app.warnings[0].position, 2u);
    EXPECT_EQ(app.warnings[0].count, 1u) << "the trailing NUL is trimmed";
    EXPECT_EQ(h.speech_app.sent[0], std::u16string(u"ab\0c", 4));
    h.view.fields[TextField::ClipText] = std::u16string(u"\0", 1);
    EXPECT_EQ(h.actions.CopyToClipboard().warnings.size(), 1u);
    h.view.fields[TextField::ClipText] = u"plain";
    EXPECT_TRUE(h.actions.CopyToClipboard().warnings.empty());
}

TEST(SendCause, EveryCauseHasAStableNameAndWordsInBothLanguages) {
    std::set<std::string_view> names;
    for (int i = 0; i < static_cast<int>(CauseCode::Count); ++i) {
        SendCause cause;
        cause.code = static_cast<CauseCode>(i);
        SCOPED_TRACE(CauseName(cause.code));
        EXPECT_TRUE(names.insert(CauseName(cause.code)).second) << "names are distinct";
        EXPECT_FALSE(CauseTextEnglish(cause).empty());
        EXPECT_FALSE(CauseTextKorean(cause).empty());
        // Only "none" is a delivery, in the log and for scripts alike: no cause falls back to it.
        const bool none = cause.code == CauseCode::None;
        EXPECT_EQ(OutcomeOf(cause.code) == SendOutcome::Delivered, none);
        EXPECT_EQ(ScriptOutcomeOf(cause) == SendOutcome::Delivered, none);
        EXPECT_EQ(OutcomeExitCode(ScriptOutcomeOf(cause)) == 0, none);
    }
    EXPECT_THROW(CauseName(CauseCode::Count), std::out_of_range) << "past the table is an error, not a row";
    SendCause hung;
    hung.code = CauseCode::NotConfirmed;
    hung.hung = Hung::Hung;
    EXPECT_NE(CauseTextEnglish(hung).find("hung"), std::string::npos);
    hung.hung = Hung::Busy;
    EXPECT_NE(CauseTextEnglish(hung).find("busy"), std::string::npos);
    EXPECT_EQ(CauseTextEnglish(hung).find("hung"), std::string::npos);
}

// Each outcome is one row: a distinct name that reads back, Korean words, and
// an exit code that only a delivery has as 0.
TEST(SendOutcomeRows, EachOutcomeHasItsNameWordsAndExitCode) {
    std::set<std::string_view> names;
    std::set<std::u16string_view> words;
    for (int i = 0; i < static_cast<int>(SendOutcome::Count); ++i) {
        const auto outcome = static_cast<SendOutcome>(i);
        SCOPED_TRACE(OutcomeName(outcome));
        EXPECT_TRUE(names.insert(OutcomeName(outcome)).second);
        EXPECT_TRUE(words.insert(OutcomeKorean(outcome)).second);
        EXPECT_EQ(OutcomeFromName(OutcomeName(outcome)), outcome);
        EXPECT_EQ(OutcomeExitCode(outcome) == 0, outcome == SendOutcome::Delivered);
        EXPECT_GE(OutcomeExitCode(outcome), 0);
        EXPECT_LE(OutcomeExitCode(outcome), 7);
    }
    EXPECT_EQ(OutcomeFromName("none"), std::nullopt);
    EXPECT_THROW(OutcomeName(SendOutcome::Count), std::out_of_range);
}

TEST(EscapedStart, CutsAfterCharactersAndEscapesControls) {
    EXPECT_EQ(EscapedStart(u"a\tb\\c\x01\x7F", 10), u"a\\tb\\\\c\\x01\\x7F");
    EXPECT_EQ(EscapedStart(u"\xD83D\xDE00xyz", 2), u"\xD83D\xDE00x");
    EXPECT_EQ(EscapedStart(u"", 5), u"");
}

}  // namespace
}  // namespace lumvox::core
