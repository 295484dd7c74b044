#include "core/page_actions.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/http_client.h"
#include "core/reference_texts.h"
#include "core/utf.h"
#include "page_fakes.h"

namespace lumvox::core {
namespace {

using testing::PageHarness;

constexpr std::u16string_view kEmptyText = u"문장을 입력하세요!";
constexpr std::u16string_view kNotRunning = u"Lumvox를 실행하고 [어플리케이션에서 메세지 받기]를 선택하십시오!";
constexpr std::u16string_view kNoDestination = u"IP와 Port 번호를 입력하세요!";
constexpr std::u16string_view kNoMessage = u"보낼 메세지를 입력하세요!";
constexpr std::u16string_view kConnectivity = u"인터넷이나 와이파이에 접속이 되어 있는지 확인해 보십시오!";
constexpr std::u16string_view kSendError = u"메세지 전송 에러. 다시 시도해 보십시오!";

std::string Show(std::u16string_view text) { return ToUtf8Lossy(text); }

// ---- first page send -------------------------------------------------------

TEST(SayRemoteMode, TrimsWrapsTestsProbesAndSends) {
    struct Case {
        std::u16string_view text;
        bool ticked, running;
        std::u16string_view payload;  // empty: nothing is sent
        std::u16string_view message;  // empty: no message
        int probes;
    };
    const Case cases[] = {
        {u"  안녕하세요  \r\n", false, true, u"안녕하세요", u"", 1},
        {u"  안녕하세요  \r\n", true, true, u"<lumvox>안녕하세요</lumvox>", u"", 1},
        {u" \t\r\n ", true, true, u"<lumvox></lumvox>", u"", 1},
        {u"", true, true, u"<lumvox></lumvox>", u"", 1},
        {u" \t\r\n ", true, false, u"", kNotRunning, 1},
        {u" \t\r\n ", false, true, u"", kEmptyText, 0},
        {u"", false, false, u"", kEmptyText, 0},
        {u"a\r\nb", false, true, u"a\r\nb", u"", 1},
        {u"hello", false, false, u"", kNotRunning, 1},
        {u"<cmd>time</cmd>", true, true, u"<lumvox><cmd>time</cmd></lumvox>", u"", 1},
        {u"\xD83D\xDE00\r\n", false, true, u"\xD83D\xDE00", u"", 1},
        {u"\u00A0x\u3000", false, true, u"\u00A0x\u3000", u"", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.text) + (c.ticked ? " ticked" : "") + (c.running ? " running" : ""));
        PageHarness h;
        h.view.fields[TextField::AppText] = c.text;
        h.view.use_protocol = c.ticked;
        h.speech_app.running = c.running;
        h.actions.SendToApp();
        if (c.payload.empty()) {
            EXPECT_TRUE(h.speech_app.sent.empty());
        } else {
            ASSERT_EQ(h.speech_app.sent.size(), 1u);
            EXPECT_EQ(h.speech_app.sent[0], c.payload);
        }
        if (c.message.empty()) {
            EXPECT_TRUE(h.view.messages.empty());
        } else {
            EXPECT_EQ(h.view.messages, std::vector<std::u16string>{std::u16string(c.message)});
        }
        EXPECT_EQ(h.speech_app.probes, c.probes);
        EXPECT_EQ(h.view.fields[TextField::AppText], c.text) << "the text area keeps its text";
        EXPECT_TRUE(h.view.writes.empty());
    }
}

TEST(SayRemoteMode, LongTextsGoWhole) {
    // A 16-bit byte count would cut these short; the link receives every unit.
    for (size_t length : {32767u, 32768u, 65536u, 65537u}) {
        PageHarness h;
        std::u16string text(length, u'가');
        h.view.fields[TextField::AppText] = text;
        h.actions.SendToApp();
        ASSERT_EQ(h.speech_app.sent.size(), 1u);
        EXPECT_EQ(h.speech_app.sent[0], text) << length;
    }
}

// ---- second page send and preview -------------------------------------------

TEST(SendOverIp, EmptyFieldChecksInOrder) {
    struct Case { std::u16string_view host, port, message, shown; };
    const Case cases[] = {
        {u"", u"7070", u"", kNoDestination},  // the first check wins over the third
        {u" \t ", u"", u"hi", kNoDestination},
        {u"192.168.0.10", u" \t", u"hi", kNoDestination},
        {u"192.168.0.10", u"", u"", kNoDestination},
        {u"192.168.0.10", u"7070", u"", kNoMessage},
        {u"192.168.0.10", u"7070", u"  \r\n\r\n ", kNoMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.host) + "|" + Show(c.port) + "|" + Show(c.message));
        PageHarness h;
        h.view.fields[TextField::NetHostEdit] = c.host;
        h.view.fields[TextField::NetPortEdit] = c.port;
        h.view.fields[TextField::NetText] = c.message;
        h.actions.SendOverNetwork();
        EXPECT_EQ(h.view.messages, std::vector<std::u16string>{std::u16string(c.shown)});
        EXPECT_TRUE(h.network.urls.empty());
        EXPECT_TRUE(h.view.writes.empty());
    }
}

TEST(SendOverIp, BuildsTheEncodedUrlFromTrimmedFields) {
    struct Case { std::u16string_view host, port, message, url; };
    const Case cases[] = {
        {u"  192.168.0.10 ", u" 7070", u"안녕 하세요",
         u"http://192.168.0.10:7070/lumvox=%EC%95%88%EB%85%95%20%ED%95%98%EC%84%B8%EC%9A%94=lumvox"},
        {u"192.168.0.10", u"80", u"  hi\r\n", u"http://192.168.0.10/lumvox=hi=lumvox"},
        {u"[::1]", u"7070", u"a\r\nb", u"http://[::1]:7070/lumvox=a%0D%0Ab=lumvox"},
        {u"abc", u"7070", u"1#2 3", u"http://abc:7070/lumvox=1"},
    };
    for (const Case& c : cases) {
        PageHarness h;
        h.view.fields[TextField::NetHostEdit] = c.host;
        h.view.fields[TextField::NetPortEdit] = c.port;
        h.view.fields[TextField::NetText] = c.message;
        h.actions.SendOverNetwork();
        EXPECT_EQ(h.network.urls, std::vector<std::u16string>{std::u16string(c.url)});
        EXPECT_TRUE(h.view.messages.empty()) << Show(c.url);
        EXPECT_EQ(h.view.fields[TextField::NetText], c.message) << "no field is changed";
        EXPECT_TRUE(h.view.writes.empty());
    }
}

TEST(SendOverIp, ReplyDecidesTheMessage) {
    struct Case {
        const char* name;
        std::function<std::u16string()> reply;
        std::u16string_view shown;  // empty: delivered, no message
    };
    const Case cases[] = {
        {"sent", [] { return u"sent"; }, u""},
        {"message sent", [] { return u"message sent"; }, u""},
        {"unsent", [] { return u"unsent"; }, u""},
        {"presentation", [] { return u"presentation"; }, u""},
        {"mark then sent", [] { return u"\uFEFFsent"; }, u""},
        {"Sent", [] { return u"Sent"; }, kSendError},
        {"SENT", [] { return u"SENT"; }, kSendError},
        {"s-e-n-t apart", [] { return u"se nt"; }, kSendError},
        {"empty body", [] { return u""; }, kSendError},
        {"http failure", []() -> std::u16string { throw HttpError("connection refused"); }, kConnectivity},
        {"other failure", []() -> std::u16string { throw std::runtime_error("anything"); }, kConnectivity},
        {"action error", []() -> std::u16string { throw ActionError(u"x"); }, kConnectivity},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageHarness h;
        h.view.fields[TextField::NetHostEdit] = u"127.0.0.1";
        h.view.fields[TextField::NetText] = u"hi";
        h.network.reply = c.reply;
        h.actions.SendOverNetwork();
        EXPECT_EQ(h.network.urls.size(), 1u);
        if (c.shown.empty()) {
            EXPECT_TRUE(h.view.messages.empty());
        } else {
            EXPECT_EQ(h.view.messages, std::vector<std::u16string>{std::u16string(c.shown)});
        }
    }
}

TEST(SendOverIp, EncodingFailureIsTheConnectivityMessageWithoutAnExchange) {
    struct Case { std::u16string_view host, message; };
    const Case cases[] = {{u"::1", u"hi"}, {u"127.0.0.1", u"a\xD800"}, {u"127.0.0.1", u"\xDC00z"}};
    for (const Case& c : cases) {
        PageHarness h;
        h.view.fields[TextField::NetHostEdit] = c.host;
        h.view.fields[TextField::NetText] = c.message;
        h.actions.SendOverNetwork();
        EXPECT_EQ(h.view.messages, std::vector<std::u16string>{std::u16string(kConnectivity)}) << Show(c.host);
        EXPECT_TRUE(h.network.urls.empty());
    }
}

TEST(PreviewOverIp, ShowsTheUntrimmedTextInTheNetworkEnvelope) {
    struct Case { std::u16string_view message, shown; };
    const Case cases[] = {
        {u"  hi\r\n", u"lumvox=  hi\r\n=lumvox"},
        {u"", u"lumvox==lumvox"},
        {u"안녕 하세요#", u"lumvox=안녕 하세요#=lumvox"},
    };
    for (const Case& c : cases) {
        PageHarness h;
        h.view.fields[TextField::NetHostEdit] = u"";  // the preview checks no field
        h.view.fields[TextField::NetText] = c.message;
        h.actions.PreviewNetworkText();
        EXPECT_EQ(h.view.messages, std::vector<std::u16string>{std::u16string(c.shown)});
        EXPECT_TRUE(h.network.urls.empty());
        EXPECT_TRUE(h.view.writes.empty());
    }
}

// ---- third page ------------------------------------------------------------

TEST(CopyToClipboard, WholeTextInTheEnvelopeWhileTicked) {
    struct Case { std::u16string_view text; bool ticked; std::u16string_view placed; };
    const Case cases[] = {
        {u"  a\r\n", false, u"  a\r\n"},
        {u"", false, u""},
        {u"", true, u"<lumvox></lumvox>"},
        {u" 안녕\r\n", true, u"<lumvox> 안녕\r\n</lumvox>"},
        {u"a</lumvox>b", true, u"<lumvox>a</lumvox>b</lumvox>"},
    };
    for (const Case& c : cases) {
        PageHarness h;
        h.view.fields[TextField::ClipText] = c.text;
        h.view.use_protocol = c.ticked;
        h.speech_app.running = false;  // the copy never looks for the speech program
        h.actions.CopyToClipboard();
        EXPECT_EQ(h.clipboard.placed, std::vector<std::u16string>{std::u16string(c.placed)});
        EXPECT_EQ(h.view.fields[TextField::ClipText], c.text);
        EXPECT_TRUE(h.view.messages.empty());
        EXPECT_EQ(h.speech_app.probes, 0);
    }
}

TEST(CopyToClipboard, FailureReachesTheErrorReportAndKeepsTheText) {
    PageHarness h;
    h.view.fields[TextField::ClipText] = u"keep me";
    h.clipboard.failure = u"Cannot open clipboard: Access denied";
    try {
        h.actions.CopyToClipboard();
        ADD_FAILURE() << "no error raised";
    } catch (const ActionError& e) {
        EXPECT_EQ(e.message(), u"Cannot open clipboard: Access denied");
    }
    EXPECT_EQ(h.view.fields[TextField::ClipText], u"keep me");
    EXPECT_TRUE(h.view.messages.empty()) << "errors go to the general report, not a message box";
}

TEST(ClipboardPage, ClearAndEveryBoxChangeEmptyOnlyTheThirdPage) {
    using Handler = void (PageActions::*)();
    for (Handler handler : {&PageActions::ClearClipText, &PageActions::UseProtocolToggled}) {
        for (bool ticked : {true, false}) {
            PageHarness h;
            h.view.fields[TextField::AppText] = u"first page";
            h.view.fields[TextField::NetText] = u"second page";
            h.view.fields[TextField::ClipText] = u"typed";
            h.view.use_protocol = ticked;  // the box's new state is already in force
            (h.actions.*handler)();
            EXPECT_EQ(h.view.fields[TextField::ClipText], u"");
            EXPECT_EQ(h.view.fields[TextField::AppText], u"first page");
            EXPECT_EQ(h.view.fields[TextField::NetText], u"second page");
            EXPECT_TRUE(h.clipboard.placed.empty()) << "the clipboard is untouched";
            EXPECT_TRUE(h.view.messages.empty());
        }
    }
}

TEST(ClipboardPage, TickingThenCopyingPlacesTheBareEnvelope) {
    PageHarness h;
    h.view.fields[TextField::ClipText] = u"just typed";
    h.view.use_protocol = true;
    h.actions.UseProtocolToggled();
    h.actions.CopyToClipboard();
    EXPECT_EQ(h.clipboard.placed, std::vector<std::u16string>{u"<lumvox></lumvox>"});
}

// ---- first page: samples, commands, clear ----------------------------------

TEST(Samples, ReplaceTheTextWithTheSampleAsOneLine) {
    for (size_t i = 0; i < kSampleTexts.size(); ++i) {
        PageHarness h;
        h.view.fields[TextField::AppText] = u"old text\r\n";
        h.view.fields[TextField::ClipText] = u"third";
        h.actions.InsertSample(i);
        h.actions.InsertSample(i);  // twice leaves one copy
        const std::u16string expected = std::u16string(kSampleTexts[i].text) + u"\r\n";
        EXPECT_EQ(h.view.fields[TextField::AppText], expected) << kSampleTexts[i].handler;
        EXPECT_EQ(h.view.fields[TextField::ClipText], u"third");
        EXPECT_TRUE(h.speech_app.sent.empty() && h.network.urls.empty() && h.clipboard.placed.empty());
    }
    PageHarness h;
    h.actions.InsertSample(3);  // "높이"
    EXPECT_EQ(h.view.fields[TextField::AppText].size(), 103u);
}

TEST(Samples, PickedAndSentArrivesExactlyAsStored) {
    PageHarness h;
    h.view.use_protocol = true;
    h.actions.InsertSample(1);  // "태그 문장"
    h.actions.SendToApp();
    ASSERT_EQ(h.speech_app.sent.size(), 1u);
    EXPECT_EQ(h.speech_app.sent[0], u"<lumvox>" + std::u16string(kSampleTexts[1].text) + u"</lumvox>");
}

TEST(CommandList, DoubleClickReplacesTheTextWithTheEnvelopedEntry) {
    const std::u16string_view expected[] = {
        u"<cmd>time</cmd>",     u"<cmd>today</cmd>",    u"<cmd>weather</cmd>",
        u"<cmd>goto:http://</cmd>", u"<cmd>diskspace</cmd>", u"<cmd>nextsong</cmd>",
        u"<cmd>prevsong</cmd>", u"<cmd>stopsong</cmd>", u"<cmd>playsong</cmd>",
    };
    for (int i = 0; i < 9; ++i) {
        PageHarness h;
        h.view.fields[TextField::AppText] = u"whatever\r\nwas here\r\n";
        h.view.selected_command = i;
        h.actions.InsertSelectedCommand();
        EXPECT_EQ(h.view.fields[TextField::AppText], expected[i]);
        EXPECT_TRUE(h.speech_app.sent.empty()) << "the list never sends";
    }
    PageHarness h;
    h.view.selected_command = 3;
    h.actions.InsertSelectedCommand();
    EXPECT_EQ(h.view.fields[TextField::AppText].size(), 23u);
}

TEST(CommandList, NoSelectionIsAnErrorAndTheTextStays) {
    for (int index : {-1, 9}) {
        PageHarness h;
        h.view.fields[TextField::AppText] = u"keep";
        h.view.selected_command = index;
        try {
            h.actions.InsertSelectedCommand();
            ADD_FAILURE() << "no error for index " << index;
        } catch (const ActionError& e) {
            EXPECT_EQ(e.message(), u"List index out of bounds (" +
                                       std::u16string(index < 0 ? u"-1" : u"9") + u")");
        }
        EXPECT_EQ(h.view.fields[TextField::AppText], u"keep");
        EXPECT_TRUE(h.view.writes.empty());
    }
}

TEST(CommandList, CommandSentWithTheBoxTicked) {
    PageHarness h;
    h.view.selected_command = 0;
    h.view.use_protocol = true;
    h.actions.InsertSelectedCommand();
    h.actions.SendToApp();
    EXPECT_EQ(h.speech_app.sent, std::vector<std::u16string>{u"<lumvox><cmd>time</cmd></lumvox>"});
}

TEST(FirstPageClear, EmptiesTheTextAlsoWhenEmpty) {
    for (std::u16string_view before : {u"text\r\n", u""}) {
        PageHarness h;
        h.view.fields[TextField::AppText] = before;
        h.view.fields[TextField::ClipText] = u"third";
        h.actions.ClearAppText();
        EXPECT_EQ(h.view.fields[TextField::AppText], u"");
        EXPECT_EQ(h.view.fields[TextField::ClipText], u"third");
        EXPECT_TRUE(h.view.messages.empty());
    }
}

// ---- file open -------------------------------------------------------------

TEST(FileOpen, CancelChangesNothing) {
    PageHarness h;
    h.view.fields[TextField::AppText] = u"stays\r\n";
    h.view.chosen_file = std::nullopt;
    h.actions.LoadTextFile();
    EXPECT_EQ(h.view.dialogs, 1);
    EXPECT_EQ(h.view.fields[TextField::AppText], u"stays\r\n");
    EXPECT_TRUE(h.view.writes.empty());
    EXPECT_TRUE(h.files.reads.empty());
}

TEST(FileOpen, LoadsTheDecodedTextInPlaceOfTheOld) {
    struct Case { std::string bytes; std::u16string_view text; int ansi_decodes; };
    const Case cases[] = {
        {"\xEF\xBB\xBF\xEC\x95\x88\xEB\x85\x95\nline 2\n", u"안녕\r\nline 2\r\n", 0},
        {std::string("\xFF\xFE" "a\0\r\0b\0", 8), u"a\r\nb", 0},
        {"caf\xE9\rno mark", u"caf\u00E9\r\nno mark", 1},
        {"", u"", 1},
    };
    for (const Case& c : cases) {
        PageHarness h;
        h.view.fields[TextField::AppText] = u"old";
        h.view.chosen_file = u"C:\\texts\\a.txt";
        h.files.files[u"C:\\texts\\a.txt"] = c.bytes;
        h.actions.LoadTextFile();
        EXPECT_EQ(h.view.fields[TextField::AppText], c.text);
        EXPECT_EQ(h.files.reads, std::vector<std::u16string>{u"C:\\texts\\a.txt"});
        EXPECT_EQ(h.files.ansi_decodes, c.ansi_decodes);
        EXPECT_TRUE(h.view.messages.empty());
    }
}

TEST(FileOpen, FailuresReachTheErrorReportWithTheTextEmptied) {
    struct Case { bool exists; std::string bytes; std::u16string_view error; };
    const Case cases[] = {
        {false, "", u"Cannot open file \"C:\\gone.txt\". The system cannot find the file specified"},
        {true, "\xEF\xBB\xBFok\xC3", u"No mapping for the Unicode character exists in the target multi-byte code page"},
    };
    for (const Case& c : cases) {
        PageHarness h;
        h.view.fields[TextField::AppText] = u"old";
        h.view.chosen_file = u"C:\\gone.txt";
        if (c.exists) h.files.files[u"C:\\gone.txt"] = c.bytes;
        try {
            h.actions.LoadTextFile();
            ADD_FAILURE() << "no error";
        } catch (const ActionError& e) {
            EXPECT_EQ(e.message(), c.error);
        }
        EXPECT_EQ(h.view.fields[TextField::AppText], u"");
    }
}

}  // namespace
}  // namespace lumvox::core
