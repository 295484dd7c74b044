// lumvox-send's logic: arguments, dry runs, outcomes and exit codes, batches.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <cstdio>
#include <fstream>
#include <optional>
#include <regex>

#include <nlohmann/json.hpp>

#include "json/send_record_json.h"
#include "core/action_error.h"
#include "core/http_request.h"
#include "core/network_link.h"
#include "core/page_messages.h"
#include "core/request_url.h"
#include "core/utf.h"
#include "http_test_server.h"
#include "whole_number_cases.h"
#include "batch_reader.h"
#include "send_main.h"

namespace lumvox::send {
namespace {

using lumvox::core::ActionError;
using lumvox::core::test::RawReplyServer;
using lumvox::core::test::RotatingReplyServer;

class FakeApp final : public lumvox::core::SpeechAppLink {
public:
    bool running = true;
    std::vector<std::u16string> sent;
    bool IsRunning() override { return running; }
    lumvox::core::SendCause Send(std::u16string_view text) override {
        sent.emplace_back(text);
        return {};
    }
};

class FakeClip final : public lumvox::core::ClipboardLink {
public:
    std::optional<std::u16string> error;
    std::vector<std::u16string> placed;
    void PlaceText(std::u16string_view text) override {
        if (error) throw ActionError(*error);
        placed.emplace_back(text);
    }
};

class FakeFiles final : public lumvox::core::FileSource {
public:
    std::map<std::u16string, std::string> files;
    std::u16string unreadable;  // opens, as a folder does, but can't be read
    std::string ReadAll(std::u16string_view path) override {
        if (path == unreadable) {
            lumvox::core::SendCause cause(lumvox::core::CauseCode::FileUnreadable, u"Is a directory");
            cause.path = path;
            throw lumvox::core::CauseError(u"Cannot read file \"" + cause.path + u"\". Is a directory", cause);
        }
        auto it = files.find(std::u16string(path));
        if (it == files.end()) throw ActionError(u"Cannot open file \"" + std::u16string(path) + u"\". gone");
        return it->second;
    }
    std::u16string DecodeAnsi(std::string_view bytes) override { return std::u16string(bytes.begin(), bytes.end()); }
};

// Two code pages; each byte one unit, but 0xFF, which neither defines.
class FakeCodePages final : public lumvox::core::CodePageDecoder {
public:
    std::vector<std::optional<unsigned>> asked;
    bool HasCodePage(unsigned code_page) override { return code_page == 949 || code_page == 1252; }
    lumvox::core::CodePageText DecodeCodePage(std::string_view bytes, std::optional<unsigned> code_page) override {
        asked.push_back(code_page);
        lumvox::core::CodePageText decoded;
        decoded.code_page = code_page.value_or(949);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte == 0xFF && !decoded.first_undefined) decoded.first_undefined = i;
            decoded.text += byte == 0xFF ? u'\uFFFD' : static_cast<char16_t>(byte);
        }
        return decoded;
    }
};

class FakePlatform final : public SendPlatform {
public:
    lumvox::core::SendLinks Links() override { return {.speech_app = &app, .network = &net, .clipboard = &clip}; }
    lumvox::core::FileSource& Files() override { return files; }
    lumvox::core::CodePageDecoder& CodePages() override { return code_pages; }
    std::string ReadStandardInput() override { return stdin_bytes; }
    lumvox::core::HttpLimits NetworkLimits() override { return Shortened(); }

    FakeApp app;
    lumvox::core::HttpNetworkLink net{Shortened()};
    FakeClip clip;
    FakeFiles files;
    FakeCodePages code_pages;
    std::string stdin_bytes;

private:
    static lumvox::core::HttpLimits Shortened() {
        lumvox::core::HttpLimits limits;
        limits.reply_idle = std::chrono::milliseconds(2000);
        return limits;
    }
};

struct RunOutput {
    int code;
    std::string out, err;
};

RunOutput RunWith(FakePlatform& platform, std::vector<std::u16string> args) {
    RunOutput run{};
    run.code = RunSendMain(args, platform, [&](std::string_view s) { run.out += s; },
                           [&](std::string_view s) { run.err += s; });
    return run;
}

TEST(ParseSendArgs, AcceptsEachChannelAndSource) {
    struct Case {
        std::vector<std::u16string> args;
        lumvox::core::SendChannel channel;
        std::u16string host, port;
        TextSource source;
        std::u16string text;
    };
    const Case cases[] = {
        {{u"--app", u"hi"}, SendChannel::App, u"", u"7070", TextSource::Argument, u"hi"},
        {{u"--net", u"127.0.0.1", u"hi"}, SendChannel::Net, u"127.0.0.1", u"7070", TextSource::Argument, u"hi"},
        {{u"--net", u"host:80", u"-"}, SendChannel::Net, u"host", u"80", TextSource::Stdin, u""},
        {{u"--net", u"[::1]:7071", u"x"}, SendChannel::Net, u"[::1]", u"7071", TextSource::Argument, u"x"},
        {{u"--net", u"[::1]", u"x"}, SendChannel::Net, u"[::1]", u"7070", TextSource::Argument, u"x"},
        {{u"--net", u"::1", u"x"}, SendChannel::Net, u"::1", u"7070", TextSource::Argument, u"x"},
        {{u"--net", u"h:", u"x"}, SendChannel::Net, u"h", u"", TextSource::Argument, u"x"},
        {{u"--clip", u"--file", u"a.txt"}, SendChannel::Clip, u"", u"7070", TextSource::File, u"a.txt"},
        {{u"--clip", u"--", u"--protocol"}, SendChannel::Clip, u"", u"7070", TextSource::Argument, u"--protocol"},
    };
    for (const Case& c : cases) {
        ParsedArgs parsed = ParseSendArgs(c.args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->channel, c.channel);
        EXPECT_EQ(parsed.options->host, c.host);
        EXPECT_EQ(parsed.options->port, c.port);
        EXPECT_EQ(parsed.options->source, c.source);
        EXPECT_EQ(parsed.options->text, c.text);
    }
}

TEST(ParseSendArgs, RefusesContradictionsWithUsageCode) {
    const std::vector<std::u16string> bad[] = {
        {},
        {u"hi"},
        {u"--app"},
        {u"--app", u"--clip", u"hi"},
        {u"--net"},
        {u"--net", u"h", u"--protocol", u"hi"},
        {u"--app", u"a", u"b"},
        {u"--app", u"--file"},
        {u"--app", u"--bogus", u"x"},
        {u"--batch", u"f", u"--app"},
    };
    for (const auto& args : bad) {
        EXPECT_FALSE(ParseSendArgs(args).options);
        FakePlatform platform;
        EXPECT_EQ(RunWith(platform, args).code, 2);
    }
    FakePlatform platform;
    RunOutput help = RunWith(platform, {u"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("lumvox-send --net"), std::string::npos);
}

// Every number lumvox-send reads, by the one rule, each in its own range.
TEST(ParseSendArgs, ReadsCountsAndCodePagesByTheOneNumberRule) {
    using lumvox::core::NumberProblem;
    using lumvox::core::NumberRead;
    struct Option {
        std::u16string_view name;
        std::uint64_t low, high;
        std::vector<std::u16string> rest;  // what makes the option apply
        std::optional<std::uint64_t> (*taken)(const SendOptions&);
        std::string_view not_a_number, out_of_range;  // the usage error's start for each
    };
    const Option kOptions[] = {
        {u"--repeat", 1, kMaxRepeat, {u"--app", u"x"}, [](const SendOptions& o) { return std::optional<std::uint64_t>(o.repeat); },
         "--repeat needs a number of sends from 1 to 10000000", "--repeat needs a number of sends from 1 to 10000000"},
        {u"--concurrency", 1, kMaxConcurrency, {u"--net", u"h", u"--repeat", u"2", u"x"},
         [](const SendOptions& o) { return std::optional<std::uint64_t>(o.concurrency); },
         "--concurrency needs a number from 1 to 64", "--concurrency needs a number from 1 to 64"},
        {u"--codepage", 1, 65535, {u"--app", u"--file", u"f.txt"},
         [](const SendOptions& o) {
             return o.codepage ? std::optional<std::uint64_t>(*o.codepage) : std::nullopt;
         },
         "--codepage needs a code page number, such as 949", "--codepage {}: this system has no such code page"},
    };
    for (const Option& option : kOptions) {
        for (const auto& c : lumvox::core::test::kNumberCases) {
            std::vector<std::u16string> args = option.rest;
            args.emplace_back(option.name);
            args.emplace_back(c.text);
            const std::string text = lumvox::core::ToUtf8Lossy(c.text);
            SCOPED_TRACE(lumvox::core::ToUtf8Lossy(option.name) + " \"" + text + "\"");
            const ParsedArgs parsed = ParseSendArgs(args);
            const NumberRead expected = lumvox::core::test::InRange(c, option.low, option.high);
            if (const auto* value = std::get_if<std::uint64_t>(&expected)) {
                ASSERT_TRUE(parsed.options) << parsed.error;
                EXPECT_EQ(option.taken(*parsed.options), *value);
                continue;
            }
            ASSERT_FALSE(parsed.options);
            std::string words(std::get<NumberProblem>(expected) == NumberProblem::NotANumber ? option.not_a_number
                                                                                              : option.out_of_range);
            if (size_t at = words.find("{}"); at != std::string::npos) words.replace(at, 2, text);
            EXPECT_EQ(parsed.error, words);
        }
    }
}

TEST(ParseSendArgs, HelpDescribesEachOptionOnceAndVersionPrintsOneLine) {
    FakePlatform platform;
    const std::string help = RunWith(platform, {u"--help"}).out;
    for (const char* option : {"\n  --strict ", "\n  --version ", "\n  --check ", "\n  --json "}) {
        const size_t first = help.find(option);
        EXPECT_NE(first, std::string::npos) << option;
        EXPECT_EQ(help.find(option, first + 1), std::string::npos) << option << " is described twice";
    }
    RunOutput version = RunWith(platform, {u"--version", u"--app", u"hi"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("lumvox-send [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(platform.app.sent.empty()) << "--version sends nothing";
}

// Hangul, markup, "#", "?", "+" and a surrogate pair: every boundary of the encoding.
constexpr std::u16string_view kTricky = u"<b>안</b> #1?a+b \xD83D\xDE00";

TEST(DryRun, NetworkShowsTheEncodedUrlAndTheExactRequestBytes) {
    FakePlatform platform;
    RunOutput run = RunWith(platform, {u"--net", u"127.0.0.1:7071", u"--dry-run", std::u16string(kTricky)});
    EXPECT_EQ(run.code, 0);
    const std::string target = "/lumvox=%3Cb%3E%EC%95%88%3C/b%3E%20%231?a+b%20%F0%9F%98%80=lumvox";
    EXPECT_EQ(run.out, "URL: http://127.0.0.1:7071" + target + "\n"
                       "connect: 127.0.0.1 port 7071\n"
                       "request:\n"
                       "GET " + target + " HTTP/1.1\r\n"
                       "Content-Type: application/x-www-form-urlencoded\r\n"
                       "Host: 127.0.0.1:7071\r\n"
                       "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                       "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
    // The window's own encoder gives the same URL for the same fields.
    auto encoded = lumvox::core::EncodeRequestUrl(u"http://127.0.0.1:7071/lumvox=" + std::u16string(kTricky) + u"=lumvox");
    ASSERT_TRUE(std::holds_alternative<std::u16string>(encoded));
    EXPECT_EQ(lumvox::core::ToUtf8Lossy(std::get<std::u16string>(encoded)), "http://127.0.0.1:7071" + target);
    EXPECT_TRUE(platform.app.sent.empty());
}

TEST(DryRun, CopyDataAndClipboardShowTheBytesThatWouldGo) {
    FakePlatform platform;
    RunOutput app = RunWith(platform, {u"--app", u"--protocol", u"--dry-run", u"  a\xD83D\xDE00 \r\n"});
    EXPECT_EQ(app.code, 0);
    EXPECT_EQ(app.out, "copy-data to the top-level window \"Lumvox\"\n"
                       "dwData: 1024\n"
                       "cbData: 40\n"
                       "bytes (UTF-16LE): 3C 00 6C 00 75 00 6D 00 76 00 6F 00 78 00 3E 00 61 00 3D D8 00 DE "
                       "3C 00 2F 00 6C 00 75 00 6D 00 76 00 6F 00 78 00 3E 00\n");
    RunOutput clip = RunWith(platform, {u"--clip", u"--dry-run", u" 안\r\n"});
    EXPECT_EQ(clip.code, 0);
    EXPECT_EQ(clip.out, "clipboard: one CF_UNICODETEXT item, 10 bytes (the text and its terminating NUL)\n"
                        "text:  안\r\n\n");
    EXPECT_TRUE(platform.app.sent.empty());
    EXPECT_TRUE(platform.clip.placed.empty());
}

TEST(ExitCodes, NetworkOutcomesAgainstALoopbackPeer) {
    struct Case {
        std::string reply;
        int code;
        std::string json_tail;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", 0, "\"status\":200,\"body\":\"sent\",\"findings\":[]}"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nSENT", 5, "\"status\":200,\"body\":\"SENT\",\"findings\":[]}"},
        {"HTTP/1.1 204 No Content\r\n\r\n", 5, "\"status\":204,\"body\":\"\",\"findings\":[]}"},
        {"HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\nsent", 5, "\"status\":500,\"body\":\"sent\",\"findings\":[]}"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsent\xE9", 5, "\"status\":200,\"body\":\"sent\\u00e9\",\"findings\":[]}"},
        {"garbage\r\n\r\n", 5, "\"status\":null,\"body\":null,\"findings\":[]}"},
    };
    for (const Case& c : cases) {
        RawReplyServer server(c.reply);
        FakePlatform platform;
        std::u16string destination = u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
        RunOutput run = RunWith(platform, {u"--net", destination, u"--json", u"안녕 하세요"});
        EXPECT_EQ(run.code, c.code) << c.reply;
        EXPECT_NE(run.out.find(c.json_tail), std::string::npos) << run.out;
        EXPECT_EQ(server.Request().substr(0, 16), "GET /lumvox=%EC%");
    }
    FakePlatform platform;
    std::u16string closed = u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(lumvox::core::test::ClosedPort())).value();
    RunOutput refused = RunWith(platform, {u"--net", closed, u"hi"});
    EXPECT_EQ(refused.code, 4);
    EXPECT_NE(refused.err.find("unreachable"), std::string::npos);
    EXPECT_NE(refused.err.find(lumvox::core::ToUtf8Lossy(lumvox::core::messages::kConnectivity)), std::string::npos);
}

TEST(ExitCodes, RefusalsAndLocalChannels) {
    struct Case {
        std::vector<std::u16string> args;
        bool app_running;
        int code;
        std::u16string_view message;
    };
    namespace m = lumvox::core::messages;
    const Case cases[] = {
        {{u"--app", u" \r\n"}, true, 3, m::kEmptyText},
        {{u"--app", u"--protocol", u" "}, false, 4, m::kNotRunning},
        {{u"--app", u"hi"}, false, 4, m::kNotRunning},
        {{u"--app", u"hi"}, true, 0, u""},
        {{u"--net", u" :7070", u"hi"}, true, 3, m::kNoDestination},
        {{u"--net", u"h: ", u"hi"}, true, 3, m::kNoDestination},
        {{u"--net", u"h", u"\t"}, true, 3, m::kNoNetworkMessage},
        {{u"--net", u"::1", u"hi"}, true, 3, m::kConnectivity},
        {{u"--clip", u""}, true, 0, u""},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.app.running = c.app_running;
        RunOutput run = RunWith(platform, c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(lumvox::core::ToUtf8Lossy(c.message)), std::string::npos) << run.err;
    }
    FakePlatform platform;
    platform.clip.error = u"Cannot open clipboard: Access is denied";
    RunOutput clip = RunWith(platform, {u"--clip", u"x"});
    EXPECT_EQ(clip.code, 6);
    EXPECT_NE(clip.err.find("Cannot open clipboard: Access is denied"), std::string::npos);
}

TEST(Causes, JsonNamesTheCauseItsWordsAndItsParticulars) {
    struct Case {
        std::string name, reply;  // empty reply: no peer, a closed port
        std::u16string port;      // empty: the peer's
        std::vector<std::string> fields;
        std::string words;
    };
    const std::string closed = std::to_string(lumvox::core::test::ClosedPort());
    const Case cases[] = {
        {"bad port", "", u"99999", {"\"cause\":\"bad-port\"", "\"port\":\"99999\""},
         "the port \"99999\" is not a whole number from 1 to 65535"},
        {"closed port", "", lumvox::core::Utf8ToUtf16(closed).value(),
         {"\"cause\":\"connection-refused\"", "\"address\":\"127.0.0.1:" + closed + "\""},
         "refused: nothing listens on that port"},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nsent", u"",
         {"\"cause\":\"not-success\"", "\"reason\":\"Not Found\"", "\"status\":404"}, "status is 404 Not Found"},
        {"not UTF-8", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsent\xE9", u"",
         {"\"cause\":\"not-utf8\"", "\"byteOffset\":4"}, "first bad sequence is at byte 4"},
        {"no sent", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nno\n", u"",
         {"\"cause\":\"no-acknowledgement\"", "\"bodyLength\":3", "\"bodyStart\":\"no\\\\n\""},
         "(status 200, body of 3 bytes) does not contain \"sent\": \"no\\n\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<RawReplyServer> server;
        std::u16string port = c.port;
        if (port.empty()) {
            server.emplace(c.reply);
            port = lumvox::core::Utf8ToUtf16(std::to_string(server->port())).value();
        }
        FakePlatform platform;
        RunOutput run = RunWith(platform, {u"--net", u"127.0.0.1:" + port, u"--json", u"hi"});
        for (const std::string& field : c.fields) EXPECT_NE(run.out.find(field), std::string::npos) << field << "\n" << run.out;
        EXPECT_NE(run.out.find("\"causeText\":"), std::string::npos);
        EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("\"status\"", run.out.find("\"status\"") + 1), std::string::npos) << "no member twice";
    }
}

TEST(Warnings, DryRunsNameThemAndStrictRefusesToSend) {
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    const std::u16string destination = u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
    FakePlatform platform;
    RunOutput dry = RunWith(platform, {u"--net", destination, u"--dry-run", u"--json", u"안녕 #1 우선"});
    EXPECT_EQ(dry.code, 0);
    EXPECT_NE(dry.err.find("warning: \"#\" at character 4 cuts the text: it and the 4 characters after it "
                           "(\"#1 우선\") are not sent, nor is the closing \"=lumvox\""),
              std::string::npos)
        << dry.err;
    EXPECT_NE(dry.out.find("\"warnings\":[{\"code\":\"hash-cuts-text\",\"position\":3,\"count\":5,\"excerpt\":\"#1 우선\""),
              std::string::npos)
        << dry.out;

    RunOutput strict = RunWith(platform, {u"--net", destination, u"--strict", u"a+b?c+d"});
    EXPECT_EQ(strict.code, 7);
    EXPECT_NE(strict.err.find("warning: \"?\" at character 4"), std::string::npos) << strict.err;
    RunOutput plain = RunWith(platform, {u"--net", destination, u"--strict", u"plain"});
    EXPECT_EQ(plain.code, 0) << "without a warning --strict sends";
    EXPECT_EQ(server.Request().substr(0, 18), "GET /lumvox=plain=") << "only the text without warnings went out";

    RunOutput del = RunWith(platform, {u"--net", destination, u"--strict", u"a\x7F"});
    EXPECT_EQ(del.code, 7);
    EXPECT_NE(del.err.find("warning: U+007F at character 2 (1 in all) goes out as a raw byte"), std::string::npos)
        << del.err;

    RunOutput nul = RunWith(platform, {u"--app", u"--strict", std::u16string(u"a\0b", 3)});
    EXPECT_EQ(nul.code, 7);
    EXPECT_TRUE(platform.app.sent.empty());
    EXPECT_NE(nul.err.find("U+0000 at character 2"), std::string::npos) << nul.err;
}

TEST(Usage, AnErrorIsOneLineAndAPointerToTheHelp) {
    FakePlatform platform;
    RunOutput run = RunWith(platform, {u"--app", u"--bogus", u"x"});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.err, "usage: unknown option --bogus\nTry 'lumvox-send --help'.\n");
    EXPECT_TRUE(run.out.empty());
}

TEST(TextSources, FileAndStandardInputAreDecodedLikeTheWindow) {
    FakePlatform platform;
    platform.files.files[u"le.txt"] = std::string("\xFF\xFE\x48\xC5\n\0", 6);
    RunOutput file = RunWith(platform, {u"--app", u"--file", u"le.txt"});
    EXPECT_EQ(file.code, 0);
    ASSERT_EQ(platform.app.sent.size(), 1u);
    EXPECT_EQ(platform.app.sent[0], u"안");

    platform.files.files[u"no-mark.txt"] = "\xEC\x95\x88\xEB\x85\x95 caf\xC3\xA9";  // Notepad's default
    EXPECT_EQ(RunWith(platform, {u"--app", u"--file", u"no-mark.txt"}).code, 0);
    ASSERT_EQ(platform.app.sent.size(), 2u);
    EXPECT_EQ(platform.app.sent[1], u"안녕 café");

    platform.files.files[u"bad.txt"] = "\xEF\xBB\xBFok\xC0";
    RunOutput bad = RunWith(platform, {u"--app", u"--file", u"bad.txt"});
    EXPECT_EQ(bad.code, 6);
    EXPECT_NE(bad.err.find("No mapping for the Unicode character"), std::string::npos);
    RunOutput missing = RunWith(platform, {u"--app", u"--file", u"none.txt"});
    EXPECT_EQ(missing.code, 6);
    EXPECT_NE(missing.err.find("Cannot open file \"none.txt\""), std::string::npos);
    const auto missing_json = nlohmann::json::parse(RunWith(platform, {u"--app", u"--json", u"--file", u"none.txt"}).out);
    EXPECT_EQ(missing_json["cause"], "file-unreadable");
    EXPECT_EQ(missing_json["path"], "none.txt");
    RunOutput bad_json = RunWith(platform, {u"--app", u"--json", u"--file", u"bad.txt"});
    EXPECT_NE(bad_json.out.find("\"cause\":\"file-not-utf8\",\"causeText\":\"the file is not well-formed UTF-8: "
                                "the first bad sequence is at byte 5\",\"byteOffset\":5"),
              std::string::npos)
        << bad_json.out;

    platform.stdin_bytes = "x\n";
    EXPECT_EQ(RunWith(platform, {u"--clip", u"-"}).code, 0);
    ASSERT_EQ(platform.clip.placed.size(), 1u);
    EXPECT_EQ(platform.clip.placed[0], u"x\n");  // the clipboard copy is never trimmed
    platform.stdin_bytes = "\xEF\xBB\xBFy";  // the mark goes, as from a file
    EXPECT_EQ(RunWith(platform, {u"--clip", u"-"}).code, 0);
    ASSERT_EQ(platform.clip.placed.size(), 2u);
    EXPECT_EQ(platform.clip.placed[1], u"y");
    platform.stdin_bytes = "ok\xE9";
    RunOutput bad_stdin = RunWith(platform, {u"--clip", u"--json", u"-"});
    EXPECT_EQ(bad_stdin.code, 6);
    EXPECT_NE(bad_stdin.out.find("\"cause\":\"input-not-utf8\""), std::string::npos) << bad_stdin.out;
    EXPECT_NE(bad_stdin.out.find("\"byteOffset\":2"), std::string::npos) << bad_stdin.out;
}

TEST(TextSources, AFileWithoutAMarkIsInTheCodePageNamedElseUtf8ElseTheSystems) {
    struct Case {
        std::vector<std::u16string> options;
        std::string bytes;
        std::u16string sent;
        std::vector<std::optional<unsigned>> asked;  // code pages decoded in; nullopt: the system's
        std::string warning;
    };
    const Case cases[] = {
        {{}, "\xEC\x95\x88", u"안", {}, ""},  // well-formed UTF-8 goes first, as in the window
        {{u"--codepage", u"1252"}, "\xEC\x95\x88", u"\u00EC\u0095\u0088", {1252}, ""},  // a named code page is the file's
        {{}, "caf\xE9", u"caf\u00E9", {std::nullopt}, ""},
        {{u"--codepage", u"949"}, "a\r\n\xFF\xFF" "b", u"a\r\n\uFFFD\uFFFDb", {949},
         "warning: f.txt: the byte at offset 3 (0xFF) is not defined in code page 949; "
         "it and any later such bytes were read as substitute characters\n"},
        {{}, "\xFF", u"\uFFFD", {std::nullopt}, "(0xFF) is not defined in code page 949;"},
        {{u"--codepage", u"949"}, std::string("\xFF\xFE\x48\xC5", 4), u"안", {}, ""},  // a mark decides
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.files.files[u"f.txt"] = c.bytes;
        std::vector<std::u16string> args = {u"--app", u"--file", u"f.txt"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunOutput run = RunWith(platform, args);
        EXPECT_EQ(run.code, 0) << c.bytes << "\n" << run.err;
        ASSERT_EQ(platform.app.sent.size(), 1u) << c.bytes;
        EXPECT_EQ(platform.app.sent[0], c.sent) << c.bytes;
        EXPECT_EQ(platform.code_pages.asked, c.asked) << c.bytes;
        if (c.warning.empty()) EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
        else EXPECT_NE(run.err.find(c.warning), std::string::npos) << run.err;
    }

    const std::pair<std::vector<std::u16string>, std::string> usage[] = {
        {{u"--app", u"--file", u"f.txt", u"--codepage", u"12345"}, "usage: --codepage 12345: this system has no such code page\n"},
        {{u"--app", u"--codepage", u"949", u"hi"}, "usage: --codepage applies to --file\n"},
        {{u"--app", u"--codepage", u"949", u"-"}, "usage: --codepage applies to --file\n"},
        {{u"--batch", u"f.txt", u"--codepage", u"949"}, "usage: --codepage applies to --file\n"},
        {{u"--app", u"--file", u"f.txt", u"--codepage", u"0"}, "usage: --codepage 0: this system has no such code page\n"},
        {{u"--app", u"--file", u"f.txt", u"--codepage", u"65536"}, "usage: --codepage 65536: this system has no such code page\n"},
        {{u"--app", u"--file", u"f.txt", u"--codepage", u"99999"}, "usage: --codepage 99999: this system has no such code page\n"},
        {{u"--app", u"--file", u"f.txt", u"--codepage", u"cp949"}, "usage: --codepage needs a code page number, such as 949\n"},
        {{u"--app", u"--file", u"f.txt", u"--codepage"}, "usage: --codepage needs a code page number"},
    };
    for (const auto& [args, message] : usage) {
        FakePlatform platform;
        platform.files.files[u"f.txt"] = "x";
        const RunOutput run = RunWith(platform, args);
        EXPECT_EQ(run.code, 2) << message;
        EXPECT_EQ(run.err.find(message), 0u) << run.err;
        EXPECT_TRUE(platform.app.sent.empty());
    }
}

TEST(Batch, RunsEveryCaseAndSummarises) {
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    FakePlatform platform;
    platform.app.running = false;
    platform.files.files[u"cases.jsonl"] =
        "{\"text\":\"\\uc548\\ub155\",\"channel\":\"net\",\"destination\":\"127.0.0.1:" + std::to_string(server.port()) +
        "\",\"expect\":\"delivered\"}\r\n"
        "\n"
        "# a comment\n"
        "{\"text\":\"  \",\"channel\":\"app\",\"protocol\":false,\"expect\":\"refused\"}\n"
        "{\"text\":\"hi\",\"channel\":\"app\",\"protocol\":true,\"expect\":\"delivered\"}\n"
        "{\"text\":\"hi\",\"channel\":\"clip\"}\n"
        "not json\n";
    RunOutput run = RunWith(platform, {u"--batch", u"cases.jsonl"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(server.Request().substr(0, 30), "GET /lumvox=%EC%95%88%EB%85%95");
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(run.out.substr(start, end - start));
    ASSERT_EQ(lines.size(), 6u) << run.out;
    EXPECT_NE(lines[0].find("\"line\":1,\"expected\":\"delivered\",\"channel\":\"net\",\"outcome\":\"delivered\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("\"passed\":true"), std::string::npos);
    EXPECT_NE(lines[1].find("\"line\":4,\"expected\":\"refused\",\"channel\":\"app\",\"outcome\":\"refused\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\"outcome\":\"unreachable\""), std::string::npos);
    EXPECT_NE(lines[2].find("\"passed\":false"), std::string::npos);
    EXPECT_NE(lines[3].find("\"channel\":\"clip\",\"outcome\":\"delivered\""), std::string::npos);
    EXPECT_NE(lines[4].find("\"line\":7,\"outcome\":\"usage\""), std::string::npos) << lines[4];
    EXPECT_EQ(lines[5], "3 passed, 2 failed");

    platform.files.files[u"good.jsonl"] = "{\"text\":\"hi\",\"channel\":\"clip\",\"expect\":\"delivered\"}\n";
    EXPECT_EQ(RunWith(platform, {u"--batch", u"good.jsonl"}).code, 0);
}

TEST(Batch, ReplaysASavedSendLogWithEachRecordedOutcomeAsItsExpectation) {
    RawReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent");
    lumvox::core::SendRecord net;
    net.channel = lumvox::core::SendChannel::Net;
    net.text = u" 안녕 #1 \"우선\"\r\n";
    net.host = u"127.0.0.1";
    net.port = lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
    net.warnings.push_back({lumvox::core::WarningCode::HashCutsText, 3, 8, u"#1 \"우선\""});
    lumvox::core::SendRecord app;
    app.channel = lumvox::core::SendChannel::App;
    app.text = u"hi";
    app.protocol = true;
    app.outcome = lumvox::core::SendOutcome::Unreachable;
    app.cause.code = lumvox::core::CauseCode::NoWindow;
    // The log shows a 404 as not reached, as it always has; its line expects what lumvox-send reports.
    RawReplyServer not_found("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    lumvox::core::SendRecord refused = net;
    refused.port = lumvox::core::Utf8ToUtf16(std::to_string(not_found.port())).value();
    refused.outcome = lumvox::core::SendOutcome::Unreachable;
    refused.cause.code = lumvox::core::CauseCode::NotSuccess;
    FakePlatform platform;
    platform.app.running = false;
    platform.files.files[u"log.jsonl"] = lumvox::json::SendLogLine(net, "2026-01-02T03:04:05.006") + "\n" +
                                         lumvox::json::SendLogLine(app, "2026-01-02T03:04:05.007") + "\n" +
                                         lumvox::json::SendLogLine(refused, "2026-01-02T03:04:05.008") + "\n";
    RunOutput run = RunWith(platform, {u"--batch", u"log.jsonl"});
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find("3 passed, 0 failed"), std::string::npos) << run.out;
    EXPECT_EQ(server.Request().substr(0, 35), "GET /lumvox=%EC%95%88%EB%85%95%20 H");
}

// What the fakes and the peer were handed, in order: copy-data texts and
// clipboard texts as their UTF-16 bytes, then the network's request heads.
std::vector<std::string> WentOut(const FakePlatform& platform, const RotatingReplyServer& server, size_t heads_before) {
    auto bytes = [](std::string_view channel, const std::u16string& text) {
        return std::string(channel) + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    };
    std::vector<std::string> all;
    for (const auto& text : platform.app.sent) all.push_back(bytes("app:", text));
    for (const auto& text : platform.clip.placed) all.push_back(bytes("clip:", text));
    const std::vector<std::string> heads = server.Requests();
    for (size_t i = heads_before; i < heads.size(); ++i) all.push_back("net:" + heads[i]);
    return all;
}

// The last line of the output that is a JSON object: the --json result line.
std::string LastJsonLine(const std::string& out) {
    const size_t end = out.rfind("}\n");
    if (end == std::string::npos) return {};
    const size_t before = out.rfind("\n{", end);
    const size_t start = before == std::string::npos ? 0 : before + 1;
    return out.substr(start, end + 1 - start);
}

TEST(Batch, AResultLineAndASendLogLineReplayTheSameBytes) {
    RotatingReplyServer server({"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent"});
    const std::u16string port = lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
    using lumvox::core::SendChannel;
    struct Case {
        lumvox::core::SendRequest request;
        bool dry_run;
    };
    const Case cases[] = {
        {{SendChannel::Net, std::u16string(kTricky), false, u"127.0.0.1", port}, false},
        {{SendChannel::Net, u" 안녕 \"우선\" \\ \t\r\n<emph>x</emph", false, u"127.0.0.1", port}, false},
        {{SendChannel::Net, u"x", false, u"[::1]", u"8080"}, true},  // a bracketed host
        {{SendChannel::Net, u"x", false, u"localhost", u"07070"}, true},  // the port as written
        {{SendChannel::App, u"  a\xD83D\xDE00 \r\n", true, u"", u""}, false},
        {{SendChannel::App, u"<silence msec=\"x\"/>", false, u"", u""}, false},
        {{SendChannel::Clip, u" 안\r\n", true, u"", u""}, false},
    };
    for (const Case& c : cases) {
        const lumvox::core::SendRequest& r = c.request;
        const std::string label = lumvox::core::ToUtf8Lossy(r.text);
        std::vector<std::u16string> args = {u"--json"};
        if (c.dry_run) args.push_back(u"--dry-run");
        if (r.channel == SendChannel::Net) args.insert(args.end(), {u"--net", r.host + u":" + r.port});
        else args.push_back(r.channel == SendChannel::App ? u"--app" : u"--clip");
        if (r.protocol) args.push_back(u"--protocol");
        args.insert(args.end(), {u"--", r.text});

        FakePlatform platform;
        const size_t heads_before = server.Requests().size();
        const RunOutput single = RunWith(platform, args);
        ASSERT_EQ(single.code, 0) << label << "\n" << single.err;
        const std::string saved = LastJsonLine(single.out);
        const nlohmann::json result = nlohmann::json::parse(saved);
        // The send log's line for the same request, sent by the core the window
        // uses (a dry run's record is what such a send would record).
        lumvox::core::SendRecord record;
        if (c.dry_run) {
            record.channel = r.channel;
            record.text = r.text;
            record.protocol = r.protocol;
            record.host = r.host;
            record.port = r.port;
        } else {
            record = lumvox::core::Send(r, platform.Links());
        }
        platform.files.files[u"saved.jsonl"] = saved + "\n" +
                                               lumvox::json::SendLogLine(record, "2026-01-02T03:04:05.006") + "\n";
        const std::vector<std::string> before = WentOut(platform, server, heads_before);

        std::vector<std::u16string> batch_args = {u"--batch", u"saved.jsonl"};
        if (c.dry_run) batch_args.push_back(u"--dry-run");
        const RunOutput batch = RunWith(platform, batch_args);
        EXPECT_EQ(batch.code, 0) << label << "\n" << batch.out;
        EXPECT_NE(batch.out.find("2 passed, 0 failed"), std::string::npos) << batch.out;
        std::vector<nlohmann::json> lines;
        for (size_t start = 0, end; (end = batch.out.find('\n', start)) != std::string::npos; start = end + 1)
            if (batch.out[start] == '{') lines.push_back(nlohmann::json::parse(batch.out.substr(start, end - start)));
        ASSERT_EQ(lines.size(), 2u) << batch.out;
        for (const nlohmann::json& line : lines) {
            // Batch lines carry the findings of the single send, and replay in turn.
            EXPECT_EQ(line["findings"], result["findings"]) << label;
            EXPECT_EQ(line["text"], result["text"]) << label;
            if (c.dry_run) {
                EXPECT_EQ(line["dryRun"], result["dryRun"]) << label;
            }
        }
        if (c.dry_run) continue;
        const std::vector<std::string> after = WentOut(platform, server, heads_before);
        ASSERT_EQ(before.size(), 2u) << label;  // the single send and the core's
        ASSERT_EQ(after.size(), 4u) << label;
        for (const std::string& again : {after[2], after[3]}) EXPECT_EQ(again, before[0]) << label;
    }
}

TEST(ReadBatchCase, ReadsEveryMemberAndItsEscapes) {
    std::string error;
    auto batch = ReadBatchCase(
        R"({"text":"x\"\\\/\n\u00e9\ud83d\ude00 안","channel":"app","destination":"[::1]:8080","protocol":true,)"
        R"("expect":"not-acknowledged","note":{"nested":[1,2.5e3,null]}})",
        error);
    ASSERT_TRUE(batch) << error;
    EXPECT_EQ(batch->input.text, u"x\"\\/\né\xD83D\xDE00 안");
    EXPECT_EQ(batch->input.channel, lumvox::core::SendChannel::App);
    EXPECT_EQ(batch->input.host, u"[::1]");  // as typed into the window's host field
    EXPECT_EQ(batch->input.port, u"8080");
    EXPECT_TRUE(batch->input.protocol);
    EXPECT_EQ(batch->expected, Outcome::NotAcknowledged);

    // Members no case reads never reject it, not even with a number past a
    // double (found by the fuzzer) or a repeated name; nested names are theirs.
    auto saved = ReadBatchCase(
        R"({"text":"1e999 \"2e999\"","channel":"app","note":[1e999,-1E+999,{"text":"inner","x":12e9999}],)"
        R"("note":0.5,"elapsedMs":1)" + std::string(400, '0') + "}",
        error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->input.text, u"1e999 \"2e999\"");

    auto plain = ReadBatchCase(R"( {"channel":"clip","text":""} )", error);
    ASSERT_TRUE(plain) << error;
    EXPECT_EQ(plain->input.channel, lumvox::core::SendChannel::Clip);
    EXPECT_FALSE(plain->input.protocol);
    EXPECT_EQ(plain->expected, Outcome::Delivered);
}

TEST(ReadBatchCase, RefusesMalformedLinesAndSaysWhy) {
    struct Case {
        std::string_view line, error_part;
    };
    constexpr Case kCases[] = {
        {"", "unexpected end of input"},
        {"{", "unexpected end of input"},
        {R"({"text":})", "syntax error"},
        {R"({"text":"a","channel":"app",})", "syntax error"},
        {R"({"text":"\q","channel":"app"})", "invalid string"},
        {R"({"text":"a","channel":"app"} y)", "syntax error"},
        {"{\"text\":\"\xE9\",\"channel\":\"app\"}", "invalid string"},
        {R"({"text":"\ud800","channel":"app"})", "surrogate"},
        {R"({"text":"a","channel":"app","protocol":tru})", "invalid literal"},
        {R"({"text":"a","channel":"app","protocol":1e999})", "\"protocol\" must be true or false"},
        {R"({"text":"a","channel":"app","text":"b"})", "\"text\" is given twice"},
        {R"({"channel":"app","text":"a","expect":"refused","channel":"clip"})", "\"channel\" is given twice"},
        {R"(["text","a"])", "one JSON object"},
        {R"({"text":"a"})", "\"channel\" must be"},
        {R"({"text":"a","channel":"fax"})", "\"channel\" must be"},
        {R"({"text":5,"channel":"app"})", "\"text\" must be a string"},
        {R"({"channel":"app"})", "\"text\" must be a string"},
        {R"({"text":"a","channel":"net","destination":7070})", "\"destination\" must be a string"},
        {R"({"text":"a","channel":"app","protocol":"yes"})", "\"protocol\" must be true or false"},
        // Refused as the single send refuses --net --protocol.
        {R"({"text":"a","channel":"net","destination":"h","protocol":true})",
         "\"protocol\": true: --protocol applies to --app and --clip; the network always uses its own envelope"},
        {R"({"text":"a","channel":"app","expect":"maybe"})",
         "\"expect\" must be delivered, usage, refused, unreachable, not-acknowledged, failed, markup-error or warned"},
    };
    for (const auto& c : kCases) {
        std::string error;
        EXPECT_FALSE(ReadBatchCase(c.line, error)) << c.line;
        EXPECT_NE(error.find(c.error_part), std::string::npos) << c.line << " -> " << error;
    }
}

TEST(ParseSendArgs, TakesRepeatAndConcurrencyWhereTheyApply) {
    struct Good {
        std::vector<std::u16string> args;
        size_t repeat;
        int concurrency;
    };
    const Good kGood[] = {
        {{u"--net", u"h", u"--repeat", u"1", u"x"}, 1, 1},
        {{u"--net", u"h", u"--repeat", u"10000000", u"--concurrency", u"64", u"x"}, 10'000'000, 64},
        {{u"--app", u"--repeat", u"5", u"--concurrency", u"1", u"x"}, 5, 1},
        {{u"--clip", u"--repeat", u"3", u"--json", u"x"}, 3, 1},
    };
    for (const Good& g : kGood) {
        ParsedArgs parsed = ParseSendArgs(g.args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->repeat, g.repeat);
        EXPECT_EQ(parsed.options->concurrency, g.concurrency);
    }
    struct Bad {
        std::vector<std::u16string> args;
        std::string_view error_part;
    };
    const Bad kBad[] = {
        {{u"--net", u"h", u"--repeat", u"0", u"x"}, "--repeat needs"},
        {{u"--net", u"h", u"--repeat", u"10000001", u"x"}, "--repeat needs"},
        {{u"--net", u"h", u"--repeat", u"many", u"x"}, "--repeat needs"},
        {{u"--net", u"h", u"x", u"--repeat"}, "--repeat needs"},
        {{u"--net", u"h", u"--repeat", u"2", u"--concurrency", u"0", u"x"}, "--concurrency needs"},
        {{u"--net", u"h", u"--repeat", u"2", u"--concurrency", u"65", u"x"}, "--concurrency needs"},
        {{u"--net", u"h", u"--concurrency", u"2", u"x"}, "goes with --repeat"},
        {{u"--app", u"--repeat", u"2", u"--concurrency", u"2", u"x"}, "one at a time"},
        {{u"--clip", u"--repeat", u"2", u"--concurrency", u"2", u"x"}, "one at a time"},
        {{u"--net", u"h", u"--repeat", u"2", u"--dry-run", u"x"}, "--dry-run"},
        {{u"--batch", u"f", u"--repeat", u"2"}, "--batch"},
    };
    for (const Bad& b : kBad) {
        ParsedArgs parsed = ParseSendArgs(b.args);
        EXPECT_FALSE(parsed.options);
        EXPECT_NE(parsed.error.find(b.error_part), std::string::npos) << parsed.error;
    }
}

TEST(Repeat, PercentilesAreNearestRanks) {
    struct Case {
        std::vector<int> latencies_us;  // sorted
        int p50, p95, p99, max;
    };
    std::vector<int> hundred(100);
    for (int i = 0; i < 100; ++i) hundred[i] = i + 1;
    const Case kCases[] = {
        {hundred, 50, 95, 99, 100},
        {{10, 20, 30}, 20, 30, 30, 30},
        {{7}, 7, 7, 7, 7},
        {{}, 0, 0, 0, 0},
    };
    for (const Case& c : kCases) {
        RepeatReport report;
        for (int us : c.latencies_us) report.latencies.emplace_back(us);
        SCOPED_TRACE(c.latencies_us.size());
        EXPECT_EQ(report.Percentile(50).count(), c.p50);
        EXPECT_EQ(report.Percentile(95).count(), c.p95);
        EXPECT_EQ(report.Percentile(99).count(), c.p99);
        EXPECT_EQ(report.Percentile(100).count(), c.max);
    }
}

std::string Reply(std::string_view status, std::string_view body) {
    return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           std::string(body);
}

TEST(Repeat, NetworkSendsGoSeveralAtOnceAndAreCountedByOutcome) {
    // Answered only when four requests wait together: one sender at a time would
    // see no answer at all.
    lumvox::core::test::RotatingReplyServer server(
        {Reply("200 OK", "sent"), Reply("200 OK", "sent"), Reply("200 OK", "busy"), Reply("500 Oops", "sent")}, 4);
    FakePlatform platform;
    std::u16string destination = u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
    RunOutput run = RunWith(platform, {u"--net", destination, u"--repeat", u"8", u"--concurrency", u"4", u"--json", u"안녕"});
    EXPECT_EQ(run.code, 5) << run.err;

    auto requests = server.Requests();
    EXPECT_EQ(requests.size(), 8u);
    for (const auto& request : requests) EXPECT_EQ(request.substr(0, 31), "GET /lumvox=%EC%95%88%EB%85%95=");

    auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["channel"], "net");
    EXPECT_EQ(json["sends"], 8);
    EXPECT_EQ(json["concurrency"], 4);
    EXPECT_EQ(json["delivered"], 4);
    EXPECT_EQ(json["failed"], 4);
    EXPECT_EQ(json["exitCode"], 5);
    struct Counted {
        std::string outcome;
        int exit_code, count;
    };
    // Both failures reached the peer; equal counts of one outcome go in the order of their words.
    const Counted kCounted[] = {{"delivered", 0, 4}, {"not-acknowledged", 5, 2}, {"not-acknowledged", 5, 2}};
    ASSERT_EQ(json["outcomes"].size(), std::size(kCounted)) << run.out;
    for (size_t i = 0; i < std::size(kCounted); ++i) {
        EXPECT_EQ(json["outcomes"][i]["outcome"], kCounted[i].outcome);
        EXPECT_EQ(json["outcomes"][i]["exitCode"], kCounted[i].exit_code);
        EXPECT_EQ(json["outcomes"][i]["count"], kCounted[i].count);
    }
    EXPECT_EQ(json["outcomes"][1]["message"], lumvox::core::ToUtf8Lossy(lumvox::core::messages::kSendError));
    EXPECT_EQ(json["outcomes"][2]["message"], lumvox::core::ToUtf8Lossy(lumvox::core::messages::kConnectivity));
    const auto& latency = json["latencyMs"];
    EXPECT_GT(latency["p50"].get<double>(), 0.0);
    EXPECT_LE(latency["p50"].get<double>(), latency["p95"].get<double>());
    EXPECT_LE(latency["p95"].get<double>(), latency["p99"].get<double>());
    EXPECT_LE(latency["p99"].get<double>(), latency["max"].get<double>());
    EXPECT_EQ(json["process"]["afterWarmUp"]["sends"], 1);
    EXPECT_EQ(json["process"]["atEnd"]["sends"], 8);

    EXPECT_NE(run.err.find("8 sends over the network to 127.0.0.1:" + std::to_string(server.port()) +
                           ", 4 at a time, in "),
              std::string::npos) << run.err;
    EXPECT_NE(run.err.find("4 delivered, 4 failed\n  4 delivered: the speech program answered with \"sent\"\n"
                           "  2 not-acknowledged: the reply (status 200, body of 4 bytes) does not contain \"sent\""),
              std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\nlatency in ms: p50 "), std::string::npos) << run.err;
}

TEST(Repeat, CopyDataAndClipboardSendOneAtATimeAndCountEachSend) {
    struct Case {
        std::vector<std::u16string> args;
        bool app_running;
        int code;
        std::string_view summary;
    };
    const Case kCases[] = {
        {{u"--app", u"--repeat", u"5", u"x"}, true, 0, "5 sends by copy-data message to the window \"Lumvox\", in "},
        {{u"--app", u"--repeat", u"5", u"x"}, false, 4, "0 delivered, 5 failed\n  5 unreachable: no window"},
        {{u"--clip", u"--repeat", u"5", u"x"}, true, 0, "5 sends through the clipboard, in "},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        platform.app.running = c.app_running;
        RunOutput run = RunWith(platform, c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.summary), std::string::npos) << run.err;
        EXPECT_EQ(platform.app.sent.size() + platform.clip.placed.size(), c.app_running ? 5u : 0u);
        for (const auto& sent : platform.app.sent) EXPECT_EQ(sent, u"x");
    }
}

}  // namespace
}  // namespace lumvox::send

namespace lumvox::send {
namespace {

TEST(MarkupCheck, CheckPrintsFindingsAndExitsSevenOnAnError) {
    struct Case {
        std::vector<std::u16string> args;
        int code;
        std::string_view out;
    };
    const Case cases[] = {
        {{u"--check", u"<emph>hi</emph>"}, 0, ""},
        {{u"--check", u"plain words & more"}, 0, ""},
        {{u"--check", u"<volume level=\"200\">x</volume>"}, 0,
         "(argument):1:16: warning: value-clipped: level=\"200\" is outside 0..100; the speech API clips it\n"},
        {{u"--check", u"<volume level=\"50\">x"}, 0,
         "(argument):1:1: note: open-to-end: <volume> is not closed: it applies to the rest of the text\n"},
        {{u"--check", u"<emph>x\n</spell>"}, 7,
         "(argument):1:1: error: unclosed-tag: <emph> is never closed\n"
         "(argument):2:1: error: unmatched-end-tag: </spell> has no open <spell> to close\n"},
        // As the channel hands it over: the network trims, the clipboard does not.
        {{u"--check", u"--net", u"h", u" <emph>x</emph>"}, 0, ""},
        {{u"--check", u"--clip", u" <emph>x</emph>"}, 0,
         "(argument):1:2: warning: markup-not-parsed: the text does not begin with \"<\": the speech program may "
         "read the tags aloud\n"},
        // Inside the protocol envelope an element left open is found as left
        // open, never as crossed by a </lumvox> the user did not write; <volume>
        // applies to the rest, so it ends with the envelope.
        {{u"--check", u"--app", u"--protocol", u"<emph>x"}, 7,
         "(argument):1:1: error: unclosed-tag: <emph> is never closed\n"},
        {{u"--check", u"--clip", u"--protocol", u"<emph>x <volume level=\"50\">y"}, 7,
         "(argument):1:1: error: unclosed-tag: <emph> is never closed\n"
         "(argument):1:9: note: open-to-end: <volume> is not closed: it applies to the rest of the text\n"},
        {{u"--check", u"--app", u"--protocol", u"<bookmark mark=\"a<b\"/>"}, 7,
         "(argument):1:18: error: stray-less-than: \"<\" does not begin a tag; write &lt;\n"},
        {{u"--check", u"--file", u"tagged.txt"}, 7, "tagged.txt:2:1: error: must-enclose: <emph/> is empty; <emph> must enclose text\n"},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.files.files[u"tagged.txt"] = "<sapi>\n<emph/></sapi>";
        RunOutput run = RunWith(platform, c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_TRUE(platform.app.sent.empty() && platform.clip.placed.empty());
    }
    FakePlatform platform;
    platform.stdin_bytes = "<emph>";
    RunOutput from_stdin = RunWith(platform, {u"--check", u"-"});
    EXPECT_EQ(from_stdin.code, 7);
    EXPECT_EQ(from_stdin.out.substr(0, 6), "-:1:1:");
    EXPECT_EQ(RunWith(platform, {u"--check", u"--batch", u"f"}).code, 2);
    EXPECT_EQ(RunWith(platform, {u"--check"}).code, 2);
    // Past the findings kept, the rest are counted in one line.
    platform.files.files[u"many.txt"] = std::string(lumvox::core::kMarkupFindingsKept + 5, '<');
    RunOutput many = RunWith(platform, {u"--check", u"--file", u"many.txt"});
    EXPECT_EQ(many.code, 7);
    EXPECT_EQ(std::count(many.out.begin(), many.out.end(), '\n'), lumvox::core::kMarkupFindingsKept + 1);
    EXPECT_TRUE(many.out.ends_with("\nmany.txt: 5 more findings left out (the first 1000 are listed)\n")) << many.out.substr(many.out.size() - 200);
}

TEST(MarkupCheck, FindingsBeforeASendAndStrictStopsOnAnError) {
    struct Case {
        std::vector<std::u16string> args;
        int code;
        size_t sent;
        std::string_view err_head;
    };
    const Case cases[] = {
        {{u"--app", u"<emph>x</emph>"}, 0, 1, "delivered"},
        {{u"--app", u"<volume level=\"50\">x"}, 0, 1, "delivered"},  // a note is not told
        {{u"--app", u"<emph>x"}, 0, 1, "(argument):1:1: error: unclosed-tag"},
        {{u"--app", u"--strict", u"<emph>x"}, 7, 0, "(argument):1:1: error: unclosed-tag"},
        {{u"--app", u"--strict", u"<foo>x</foo>"}, 0, 1, "(argument):1:1: warning: unknown-element"},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.app.running = true;
        RunOutput run = RunWith(platform, c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(platform.app.sent.size(), c.sent) << run.err;
        EXPECT_EQ(run.err.substr(0, c.err_head.size()), c.err_head) << run.err;
    }
    FakePlatform platform;
    RunOutput stopped = RunWith(platform, {u"--clip", u"--strict", u"--json", u"<emph>x"});
    EXPECT_EQ(stopped.code, 7);
    EXPECT_NE(stopped.out.find("\"outcome\":\"markup-error\",\"exitCode\":7"), std::string::npos) << stopped.out;
    EXPECT_TRUE(platform.clip.placed.empty());

    RunOutput sent = RunWith(platform, {u"--clip", u"--json", u"<foo>x</foo><volume level=\"9\">"});
    EXPECT_EQ(sent.code, 0);
    EXPECT_TRUE(sent.out.ends_with(
        ",\"findings\":[{\"line\":1,\"column\":1,\"severity\":\"warning\",\"code\":\"unknown-element\","
        "\"message\":\"<foo> is not a SAPI 5 element; the engine may ignore it\"}]}\n"))
        << sent.out;  // the note on the open <volume> is not told
}

// Each option applies in the mode chosen or is a usage error; --help and
// --version print and exit whatever else is given.
TEST(Options, EachAppliesInItsModeOrIsAOneLineUsageError) {
    struct Case {
        std::vector<std::u16string> args;
        int code;
        std::string_view usage;  // part of the usage error, when code is 2
    };
    const Case kCases[] = {
        {{u"--check", u"--strict", u"x"}, 2, "--strict stops a send"},
        {{u"--check", u"--concurrency", u"2", u"x"}, 2, "--concurrency"},
        {{u"--check", u"--dry-run", u"x"}, 2, "--dry-run"},
        {{u"--check", u"--json", u"--clip", u"x"}, 0, ""},
        {{u"--batch", u"cases.jsonl", u"--protocol"}, 2, "--protocol from the file"},
        {{u"--batch", u"cases.jsonl", u"--batch", u"cases.jsonl"}, 2, "one --batch"},
        {{u"--batch", u"cases.jsonl", u"--json", u"--strict", u"--dry-run"}, 0, ""},
        {{u"--app", u"--dry-run", u"--strict", u"--json", u"x"}, 0, ""},
        {{u"--app", u"--repeat", u"2", u"--strict", std::u16string(u"a\0b", 3)}, 7, ""},
        {{u"--net", u"h", u"--protocol", u"x"}, 2, "--protocol applies to --app and --clip"},
        {{u"--version", u"--check", u"--strict"}, 0, ""},
        {{u"--version", u"--bogus"}, 0, ""},
        {{u"--help", u"--repeat", u"0"}, 0, ""},
        {{u"--version", u"--net"}, 0, ""},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        platform.files.files[u"cases.jsonl"] = "{\"text\":\"hi\",\"channel\":\"clip\"}\n";
        RunOutput run = RunWith(platform, c.args);
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.args[0] + u" " + c.args[1]));
        EXPECT_EQ(run.code, c.code) << run.err;
        if (c.code == 2) {
            EXPECT_NE(run.err.find(c.usage), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
        }
        EXPECT_TRUE(platform.app.sent.empty()) << "none of these sends by copy-data";
    }
}

// Whatever happens, --json leaves one JSON object on standard output.
TEST(Json, StandardOutputIsOneObjectWhateverTheMode) {
    struct Case {
        std::vector<std::u16string> args;
        int code;
        std::string_view member, value_part;  // a string member and part of its value
    };
    const Case kCases[] = {
        {{u"--net", u"127.0.0.1", u"--dry-run", u"--json", u"hi"}, 0, "dryRun", "\r\nHost: 127.0.0.1:7070\r\n"},
        {{u"--app", u"--dry-run", u"--json", u"hi"}, 0, "dryRun", "dwData: 1024"},
        {{u"--check", u"--json", u"<emph>x"}, 7, "source", "(argument)"},
        {{u"--check", u"--json", u"--file", u"folder"}, 6, "cause", "file-unreadable"},
        {{u"--net", u"127.0.0.1", u"--json", u"--file", u"folder"}, 6, "causeText", "Is a directory"},
        {{u"--batch", u"folder"}, 6, "cause", "file-unreadable"},
        {{u"--batch", u"folder", u"--json"}, 6, "path", "folder"},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        platform.files.unreadable = u"folder";
        RunOutput run = RunWith(platform, c.args);
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.args[0] + u" " + c.args[1]));
        EXPECT_EQ(run.code, c.code) << run.err;
        nlohmann::json json;
        ASSERT_NO_THROW(json = nlohmann::json::parse(run.out)) << run.out;
        ASSERT_TRUE(json.is_object());
        EXPECT_EQ(json["exitCode"], c.code);
        ASSERT_TRUE(json[c.member].is_string()) << run.out;
        EXPECT_NE(json[c.member].get<std::string>().find(c.value_part), std::string::npos) << run.out;
    }
    FakePlatform platform;
    nlohmann::json check = nlohmann::json::parse(RunWith(platform, {u"--check", u"--json", u"<emph>x"}).out);
    EXPECT_TRUE(check["channel"].is_null());
    ASSERT_EQ(check["findings"].size(), 1u);
    EXPECT_EQ(check["findings"][0]["code"], "unclosed-tag");
}

TEST(Batch, StrictStopsEachCaseAsASingleSendDoesAndJsonKeepsTheSummaryOff) {
    FakePlatform platform;
    const std::string closed = std::to_string(lumvox::core::test::ClosedPort());
    platform.files.files[u"cases.jsonl"] =
        "{\"text\":\"a #cut\",\"channel\":\"net\",\"destination\":\"127.0.0.1:" + closed + "\",\"expect\":\"warned\"}\n"
        "{\"text\":\"<emph>x\",\"channel\":\"clip\",\"expect\":\"markup-error\"}\n"
        "{\"text\":\"fine\",\"channel\":\"clip\"}\n";
    RunOutput run = RunWith(platform, {u"--batch", u"cases.jsonl", u"--strict", u"--json"});
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(platform.clip.placed, std::vector<std::u16string>{u"fine"});
    EXPECT_NE(run.err.find("3 passed, 0 failed"), std::string::npos) << run.err;
    size_t lines = 0;
    for (size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1, ++lines)
        EXPECT_TRUE(nlohmann::json::parse(run.out.substr(start, end - start)).is_object());
    EXPECT_EQ(lines, 3u) << run.out;
}

// The exit code by how far a send got: 3 a field no request can carry, 4
// nothing reached, 5 reached but not taken, 6 a local failure.
TEST(ExitCodes, EachCauseGivesTheCodeScriptsActOn) {
    using lumvox::core::CauseCode;
    struct Case {
        CauseCode code;
        std::string limit;
        int exit_code;
    };
    const Case kCases[] = {
        {CauseCode::None, "", 0},
        {CauseCode::EmptyText, "", 3},          {CauseCode::EmptyDestination, "", 3},
        {CauseCode::EmptyHost, "", 3},          {CauseCode::BadHost, "", 3},
        {CauseCode::BadPort, "", 3},            {CauseCode::UnpairedSurrogate, "", 3},
        {CauseCode::NoAddress, "", 4},          {CauseCode::ConnectionRefused, "", 4},
        {CauseCode::ConnectFailed, "", 4},      {CauseCode::TimedOut, "connect", 4},
        {CauseCode::NoWindow, "", 4},           {CauseCode::WindowGone, "", 4},
        {CauseCode::TimedOut, "reply", 5},      {CauseCode::TimedOut, "exchange", 5},
        {CauseCode::ConnectionReset, "", 5},    {CauseCode::ClosedEarly, "", 5},
        {CauseCode::BadStatusLine, "", 5},      {CauseCode::OverLimit, "body", 5},
        {CauseCode::BadChunk, "", 5},           {CauseCode::TimedOut, "send", 5},
        {CauseCode::NotSuccess, "", 5},         {CauseCode::NotUtf8, "", 5},
        {CauseCode::NoAcknowledgement, "", 5},  {CauseCode::NotConfirmed, "", 5},
        {CauseCode::ExchangeFailed, "", 6},     {CauseCode::Cancelled, "", 6},
        {CauseCode::MessageRefused, "", 6},
        {CauseCode::ClipboardBusy, "", 6},      {CauseCode::ClipboardFailed, "", 6},
        {CauseCode::FileUnreadable, "", 6},     {CauseCode::FileNotUtf8, "", 6},
        {CauseCode::InputUnreadable, "", 6},    {CauseCode::InputNotUtf8, "", 6},
        {CauseCode::StoppedByMarkupError, "", 7}, {CauseCode::StoppedByWarning, "", 7},
    };
    std::set<CauseCode> covered;
    for (const Case& c : kCases) {
        lumvox::core::SendCause cause(c.code);
        cause.limit = c.limit;
        EXPECT_EQ(ExitCode(OutcomeOfCause(cause)), c.exit_code) << lumvox::core::CauseName(c.code) << " " << c.limit;
        covered.insert(c.code);
    }
    EXPECT_EQ(covered.size(), static_cast<size_t>(CauseCode::Count)) << "every cause has its row";
}

TEST(ExitCodes, FieldErrorsQuoteWhatWasWritten) {
    struct Case {
        std::u16string destination;
        std::string words;
    };
    const Case kCases[] = {
        {u"[::1", "the host \"[::1\" is neither a name nor an address"},
        {u"127.0.0.1:7070:1", "the host \"127.0.0.1:7070:1\" is neither"},
        {u"[zz]:7070", "the host \"[zz]\" is neither"},
        {u"127.0.0.1:70x", "the port \"70x\" is not a whole number"},
        {u"::1", "the destination \"::1\" leaves no host name"},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        RunOutput run = RunWith(platform, {u"--net", c.destination, u"hi"});
        EXPECT_EQ(run.code, 3) << run.err;
        EXPECT_NE(run.err.find("refused: " + c.words), std::string::npos) << run.err;
    }
}

// The stand-in answers 431 to a request head over 4 MiB and resets the
// connection it has not read to the end.
TEST(Causes, AStatusAnsweredBeforeAResetIsReportedAsThatStatus) {
    RawReplyServer server("HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 9\r\n\r\ntoo large",
                          RawReplyServer::Then::Reset, lumvox::core::test::Loopback::V4, 64 * 1024);
    FakePlatform platform;
    const std::u16string destination = u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
    RunOutput run = RunWith(platform, {u"--net", destination, u"--json", std::u16string(9'000'000, u'a')});
    EXPECT_EQ(run.code, 5) << run.err;
    nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["cause"], "not-success");
    EXPECT_EQ(json["status"], 431);
    EXPECT_EQ(json["reason"], "Request Header Fields Too Large");
    ASSERT_EQ(json["warnings"].size(), 1u);
    EXPECT_EQ(json["warnings"][0]["code"], "long-request-line");
    EXPECT_NE(run.err.find("warning: the request line is 9000028 bytes: many HTTP servers refuse one over 8192 bytes, "
                           "and the stand-in refuses a request head over 4194304 bytes (4 MiB) with 431\n"),
              std::string::npos)
        << run.err;
}

// A batch net case with "protocol": true ends as the single send does: a usage error.
TEST(Batch, ANetCaseWithTheProtocolEnvelopeIsAUsageErrorLikeTheSingleSend) {
    FakePlatform platform;
    platform.files.files[u"cases.jsonl"] =
        "{\"text\":\"hi\",\"channel\":\"net\",\"destination\":\"127.0.0.1\",\"protocol\":true,\"expect\":\"delivered\"}\n"
        "{\"text\":\"hi\",\"channel\":\"net\",\"destination\":\"127.0.0.1\",\"protocol\":false,\"expect\":\"delivered\"}\n";
    RunOutput run = RunWith(platform, {u"--batch", u"cases.jsonl", u"--dry-run"});
    EXPECT_EQ(run.code, 1) << run.out;
    std::vector<nlohmann::json> lines;
    for (size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
        if (run.out[start] == '{') lines.push_back(nlohmann::json::parse(run.out.substr(start, end - start)));
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0]["outcome"], "usage");
    EXPECT_EQ(lines[0]["passed"], false);
    EXPECT_NE(lines[0]["detail"].get<std::string>().find(std::string(kNetTakesNoProtocol)), std::string::npos);
    EXPECT_EQ(lines[1]["outcome"], "delivered") << "false is what the network takes anyway";
    RunOutput single = RunWith(platform, {u"--net", u"127.0.0.1", u"--protocol", u"--dry-run", u"hi"});
    EXPECT_EQ(single.code, 2);
    EXPECT_NE(single.err.find(std::string(kNetTakesNoProtocol)), std::string::npos) << single.err;
}

// The destination of a --json line is the one given, so that it replays to the same host and port.
TEST(Json, TheDestinationIsAsGiven) {
    struct Case { std::u16string_view given; std::string_view recorded; };
    const Case kCases[] = {
        {u"127.0.0.1:7070:1", "127.0.0.1:7070:1"},  // a host no URL carries: no port written after it
        {u"::1", "::1"},
        {u"[::1", "[::1"},
        {u"h:1:2", "h:1:2"},
        {u"127.0.0.1", "127.0.0.1:7070"},  // the default port where none was given
        {u"[::1]", "[::1]:7070"},
        {u"h:80", "h:80"},
        {u"[::1]:99", "[::1]:99"},
        {u"h:", "h:"},
        {u"h:0x50", "h:0x50"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.given));
        std::u16string host, port{kDefaultPort};
        SplitDestination(c.given, host, port);
        const std::u16string recorded = DestinationAsGiven(host, port);
        EXPECT_EQ(lumvox::core::ToUtf8Lossy(recorded), c.recorded);
        std::u16string host_again, port_again{kDefaultPort};
        SplitDestination(recorded, host_again, port_again);
        EXPECT_EQ(host_again, host);
        EXPECT_EQ(port_again, port);

        FakePlatform platform;
        RunOutput run = RunWith(platform, {u"--net", std::u16string(c.given), u"--dry-run", u"--json", u"hi"});
        nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["destination"], c.recorded) << run.out;
    }
    // --repeat's summary names it alike; these are refused before anything is sent.
    for (std::u16string_view given : {u"::1", u"127.0.0.1:7070:1", u"[::1"}) {
        FakePlatform platform;
        RunOutput run = RunWith(platform, {u"--net", std::u16string(given), u"--repeat", u"1", u"--json", u"hi"});
        EXPECT_EQ(run.code, 3) << run.err;
        EXPECT_EQ(nlohmann::json::parse(run.out)["destination"], lumvox::core::ToUtf8Lossy(given)) << run.out;
    }
}

// Interim replies before the final one are read past, from a real loopback peer.
TEST(ExitCodes, InterimRepliesBeforeTheFinalOneAreReadPast) {
    struct Case { std::string reply; int code; std::string_view cause; };
    const Case kCases[] = {
        {"HTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent",
         0, "none"},
        {"HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\n\r\n"
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\n\r\n",
         0, "none"},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\n\r\nHTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\nsent",
         5, "not-success"},
        {"HTTP/1.1 101 Switching Protocols\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", 5, "not-success"},
        {"HTTP/1.1 103 Early Hints\r\n\r\n", 5, "closed-early"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.reply.substr(0, 30));
        RawReplyServer server(c.reply);
        FakePlatform platform;
        const std::u16string destination =
            u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
        RunOutput run = RunWith(platform, {u"--net", destination, u"--json", u"hi"});
        EXPECT_EQ(run.code, c.code) << run.err;
        nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["cause"], c.cause) << run.out;
    }
}

// The words of a failure name what went wrong, not a neighbour of it.
TEST(Causes, ParticularsNameWhatWentWrong) {
    struct Case {
        std::string reply;
        std::string_view cause;
        std::string_view words;    // on standard error
        std::string_view not_said;
    };
    const Case kCases[] = {
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n\r\n", "bad-chunk",
         "not-acknowledged: the reply is broken: its chunk size \"zz\" is not a hexadecimal number, so its body ended "
         "there after 0 bytes, without \"sent\"",
         "does not contain"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nse\r\n-1\r\nnt\r\n0\r\n\r\n", "bad-chunk",
         "its chunk size \"-1\" is not a hexadecimal number, so its body ended there after 2 bytes", "does not contain"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nno\r\n0\r\n\r\n", "no-acknowledgement",
         "does not contain \"sent\": \"no\"", "chunk size"},
        // "sent" before the broken size is still the acknowledgement.
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\nzz\r\n\r\n", "none", "", "chunk size"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.reply);
        RawReplyServer server(c.reply);
        FakePlatform platform;
        const std::u16string destination =
            u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(server.port())).value();
        RunOutput run = RunWith(platform, {u"--net", destination, u"--json", u"hi"});
        nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["cause"], c.cause) << run.out;
        EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(c.not_said), std::string::npos) << run.err;
        EXPECT_EQ(run.code, c.cause == "none" ? 0 : 5) << run.err;
        if (c.cause == "bad-chunk") {
            EXPECT_EQ(json["message"], lumvox::core::ToUtf8Lossy(lumvox::core::messages::kSendError))
                << "the window's message stays that of a reply without \"sent\"";
        }
    }
}

// --help and --version print and exit 0 whatever else is given; a "--" ends
// the options, after which "--help" is a text.
TEST(Options, HelpAndVersionPrintWhateverElseIsGiven) {
    struct Case {
        std::vector<std::u16string> args;
        std::string_view printed;  // the start of standard output
    };
    const Case kCases[] = {
        {{u"--version", u"--bogus"}, "lumvox-send "},
        {{u"--version", u"--net"}, "lumvox-send "},
        {{u"--net", u"--version"}, "lumvox-send "},
        {{u"--help", u"--repeat", u"0"}, "Usage:\n"},
        {{u"--app", u"--clip", u"-h", u"a", u"b"}, "Usage:\n"},
        {{u"--help", u"--version"}, "Usage:\n"},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        RunOutput run = RunWith(platform, c.args);
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.args[0] + u" " + c.args[1]));
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(run.out.starts_with(c.printed)) << run.out;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(platform.app.sent.empty() && platform.clip.placed.empty());
    }
    FakePlatform platform;
    RunOutput text = RunWith(platform, {u"--app", u"--", u"--help"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(platform.app.sent, std::vector<std::u16string>{u"--help"});
}

// The one JSON object of a run, without what differs from run to run (kept as
// text: a lone surrogate in it is escaped as written, which a strict parser refuses).
std::string OutcomeObject(const std::string& out) {
    return std::regex_replace(out, std::regex("\"elapsedMs\":[0-9]+,"), "");
}

// A dry run is the real send through recording links: on every destination or
// text the real send refuses, it refuses the same way, with the same cause,
// particulars, words and exit code, and shows no request.
TEST(DryRun, RefusesWhatTheRealSendRefusesWithTheSameCause) {
    struct Case {
        std::u16string destination, text;
        std::string cause;
        std::string particular;  // a member the cause carries, "name":value; empty when none
    };
    const Case kCases[] = {
        {u"127.0.0.1:0", u"x", "bad-port", "\"port\":\"0\""},
        {u"127.0.0.1:65536", u"x", "bad-port", "\"port\":\"65536\""},
        {u"127.0.0.1:+80", u"x", "bad-port", "\"port\":\"+80\""},
        {u"127.0.0.1:0x50", u"x", "bad-port", "\"port\":\"0x50\""},
        {u"[::1]:99999", u"x", "bad-port", "\"port\":\"99999\""},
        {u"[::1", u"x", "bad-host", "\"host\":\"[::1\""},
        {u"127.0.0.1:7070:1", u"x", "bad-host", "\"host\":\"127.0.0.1:7070:1\""},
        {u"[zz]", u"x", "bad-host", "\"host\":\"[zz]\""},
        {u"[zz]:7070", u"x", "bad-host", "\"host\":\"[zz]\""},
        {u"::1", u"x", "empty-host", "\"host\":\"::1\""},
        {u"127.0.0.1:", u"x", "empty-destination", ""},
        {u"127.0.0.1", u"", "empty-text", ""},
        {u"127.0.0.1", u" \t ", "empty-text", ""},
        {u"127.0.0.1", std::u16string(u"a\xD800"), "unpaired-surrogate", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.destination));
        FakePlatform platform;
        RunOutput real = RunWith(platform, {u"--net", c.destination, u"--json", c.text});
        RunOutput dry = RunWith(platform, {u"--net", c.destination, u"--dry-run", u"--json", c.text});
        EXPECT_EQ(real.code, 3) << real.err;
        EXPECT_EQ(dry.code, real.code) << dry.err;
        EXPECT_EQ(dry.err, real.err);
        EXPECT_EQ(OutcomeObject(dry.out), OutcomeObject(real.out));
        EXPECT_NE(real.out.find("\"outcome\":\"refused\""), std::string::npos) << real.out;
        EXPECT_NE(real.out.find("\"cause\":\"" + c.cause + "\""), std::string::npos) << real.out;
        if (!c.particular.empty()) {
            EXPECT_NE(real.out.find(c.particular), std::string::npos) << real.out;
        }
        EXPECT_EQ(dry.out.find("\"dryRun\""), std::string::npos) << "nothing would go out: " << dry.out;
    }
}

// A dry run that would go out connects where the real send connects.
TEST(DryRun, ShowsWhereTheRealSendConnects) {
    struct Case {
        std::u16string destination;
        std::string connect;
    };
    const Case kCases[] = {
        {u"127.0.0.1", "connect: 127.0.0.1 port 7070\n"},
        {u"127.0.0.1:080", "connect: 127.0.0.1 port 80\n"},
        {u"[::1]:7071", "connect: ::1 port 7071\n"},
        {u"localhost:1", "connect: localhost port 1\n"},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        RunOutput dry = RunWith(platform, {u"--net", c.destination, u"--dry-run", u"x"});
        EXPECT_EQ(dry.code, 0) << dry.err;
        EXPECT_NE(dry.out.find(c.connect), std::string::npos) << dry.out;
    }
}

// --strict stops a send with a cause of its own, the same in a dry run, a
// repeat and a batch, on every channel: never "none", never delivered.
TEST(Strict, AStoppedSendHasItsOwnCause) {
    struct Case {
        std::vector<std::u16string> args;
        std::string outcome, cause;
    };
    const std::u16string nul(u"a\0b", 3);
    const Case kCases[] = {
        {{u"--net", u"127.0.0.1:1", u"<emph>x"}, "markup-error", "stopped-by-markup-error"},
        {{u"--net", u"127.0.0.1:1", u"--dry-run", u"<emph>x"}, "markup-error", "stopped-by-markup-error"},
        {{u"--app", u"<emph>x"}, "markup-error", "stopped-by-markup-error"},
        {{u"--clip", u"--dry-run", u"<emph>x"}, "markup-error", "stopped-by-markup-error"},
        {{u"--net", u"127.0.0.1:1", u"a#b"}, "warned", "stopped-by-warning"},
        {{u"--net", u"127.0.0.1:1", u"--dry-run", u"a#b"}, "warned", "stopped-by-warning"},
        {{u"--app", nul}, "warned", "stopped-by-warning"},
        {{u"--clip", u"--dry-run", nul}, "warned", "stopped-by-warning"},
        {{u"--clip", u"--repeat", u"3", nul}, "warned", "stopped-by-warning"},
        {{u"--net", u"127.0.0.1:1", u"--repeat", u"2", u"<emph>x"}, "markup-error", "stopped-by-markup-error"},
    };
    for (const Case& c : kCases) {
        std::u16string joined;
        for (const auto& arg : c.args) joined += arg + u" ";
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(joined));
        FakePlatform platform;
        std::vector<std::u16string> args = c.args;
        args.insert(args.begin(), {u"--strict", u"--json"});
        RunOutput run = RunWith(platform, args);
        EXPECT_EQ(run.code, 7) << run.err;
        const nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["outcome"], c.outcome);
        EXPECT_EQ(json["cause"], c.cause);
        EXPECT_EQ(json["exitCode"], 7);
        EXPECT_NE(json["causeText"], "delivered");
        EXPECT_TRUE(platform.app.sent.empty() && platform.clip.placed.empty()) << "nothing went out";
    }
    // A case --strict stops in a batch is recorded with the cause it stopped for.
    FakePlatform platform;
    platform.files.files[u"cases.jsonl"] =
        "{\"text\":\"a #cut\",\"channel\":\"net\",\"destination\":\"127.0.0.1:1\",\"expect\":\"warned\"}\n"
        "{\"text\":\"<emph>x\",\"channel\":\"app\",\"expect\":\"markup-error\"}\n";
    RunOutput batch = RunWith(platform, {u"--batch", u"cases.jsonl", u"--strict", u"--dry-run", u"--json"});
    EXPECT_EQ(batch.code, 0) << batch.out;
    const auto newline = batch.out.find('\n');
    ASSERT_NE(newline, std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(batch.out.substr(0, newline))["cause"], "stopped-by-warning");
    EXPECT_EQ(nlohmann::json::parse(batch.out.substr(newline + 1))["cause"], "stopped-by-markup-error");
}

// No --json object says "none" for a send that was not delivered, whatever stopped it.
TEST(Json, NoUndeliveredSendIsCausedByNone) {
    const std::u16string nul(u"a\0b", 3);
    const std::vector<std::u16string> kRuns[] = {
        {u"--net", u"127.0.0.1:0", u"--dry-run", u"x"}, {u"--net", u"[zz]", u"--dry-run", u"x"},
        {u"--net", u"127.0.0.1", u"--dry-run", u""},    {u"--strict", u"--app", nul},
        {u"--strict", u"--net", u"h", u"<emph>x"},      {u"--strict", u"--clip", u"--dry-run", u"a<emph>"},
        {u"--app", u"--file", u"missing"},              {u"--app", u"-"},
    };
    for (const auto& args : kRuns) {
        FakePlatform platform;
        platform.stdin_bytes = "\xFF";
        std::vector<std::u16string> with_json = args;
        with_json.insert(with_json.begin(), u"--json");
        RunOutput run = RunWith(platform, with_json);
        SCOPED_TRACE(run.err);
        const nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_NE(json["outcome"], "delivered");
        EXPECT_NE(run.code, 0);
        EXPECT_TRUE(json.contains("cause")) << run.out;
        EXPECT_NE(json["cause"], "none") << run.out;
    }
}

// Output that can't be written ends lumvox-send with its own exit code, and the
// reason goes to standard error where that can still be written.
TEST(Output, AFailedWriteExitsWithItsOwnCode) {
    const std::string path = testing::TempDir() + "lumvox_send_output_test.txt";
    { std::ofstream(path) << ""; }
    struct Case {
        std::vector<std::u16string> args;
        bool out_fails;  // else standard error fails
    };
    const Case kCases[] = {
        {{u"--net", u"127.0.0.1", u"--dry-run", u"--json", u"hi"}, true},
        {{u"--help"}, true},
        {{u"--version"}, true},
        {{u"--check", u"<emph>x"}, true},
        {{u"--net", u"127.0.0.1:0", u"x"}, false},
        {{u"--bogus"}, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(c.args[0]));
        std::vector<std::FILE*> failing;
        failing.push_back(std::fopen(path.c_str(), "rb"));  // a stream that takes no write, here and on Windows
#ifndef _WIN32
        failing.push_back(std::fopen("/dev/full", "wb"));  // every write: no space left
#endif
        for (std::FILE* broken : failing) {
            ASSERT_NE(broken, nullptr);
            std::FILE* working = std::tmpfile();
            ASSERT_NE(working, nullptr);
            FakePlatform platform;
            const int code = c.out_fails ? RunSendMainOn(c.args, platform, broken, working)
                                         : RunSendMainOn(c.args, platform, working, broken);
            EXPECT_EQ(code, kExitOutputFailed);
            std::rewind(working);
            std::string written(1 << 16, '\0');
            written.resize(std::fread(written.data(), 1, written.size(), working));
            if (c.out_fails) {
                EXPECT_NE(written.find("failed: standard output could not be written: "), std::string::npos)
                    << written;
            }
            std::fclose(working);
            std::fclose(broken);
        }
    }
    std::remove(path.c_str());
}


// What lumvox-send does with a channel comes from its row: its option, the
// destination it takes, what its dry run prints, its --json members, and its
// name in a batch case.
TEST(Channels, EachRowGivesItsOptionDryRunJsonMembersAndBatchName) {
    const auto channels = lumvox::core::AllChannels();
    std::set<std::string_view> names;
    for (size_t i = 0; i < channels.size(); ++i) {
        const lumvox::core::ChannelRow& row = *channels[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(static_cast<size_t>(row.channel), i) << "rows in the order of SendChannel";
        EXPECT_TRUE(names.insert(row.name).second);
        EXPECT_EQ(lumvox::core::ChannelFromName(row.name), row.channel);

        std::vector<std::u16string> args = {u"--" + lumvox::core::Utf8ToUtf16(row.name).value()};
        if (row.to_destination) args.push_back(u"127.0.0.1:9");
        args.insert(args.end(), {u"--dry-run", u"--json", u"hi"});
        FakePlatform platform;
        RunOutput run = RunWith(platform, args);
        EXPECT_EQ(run.code, 0) << run.err;
        const nlohmann::json json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["channel"], row.name);
        ASSERT_TRUE(json["dryRun"].is_string());
        const std::string dry_run = json["dryRun"];
        EXPECT_TRUE(dry_run.find("hi") != std::string::npos || dry_run.find("68 00 69 00") != std::string::npos)
            << "what would go out: " << dry_run;
        EXPECT_EQ(json.contains("destination"), row.to_destination);
        EXPECT_EQ(json.contains("status"), row.to_destination);
        EXPECT_EQ(json.contains("protocol"), row.takes_protocol);
        EXPECT_TRUE(platform.app.sent.empty() && platform.clip.placed.empty()) << "a dry run hands nothing over";

        std::string error;
        const auto replayed = ReadBatchCase(run.out, error);
        ASSERT_TRUE(replayed) << error;
        EXPECT_EQ(replayed->input.channel, row.channel);

        if (row.to_destination) {  // the option needs its destination
            FakePlatform missing;
            RunOutput usage = RunWith(missing, {args[0]});
            EXPECT_EQ(usage.code, 2);
            EXPECT_NE(usage.err.find(lumvox::core::ToUtf8Lossy(args[0]) + " needs HOST[:PORT]"), std::string::npos)
                << usage.err;
        }
    }
}

// A peer that takes no more of a long request: the request stalled going out,
// and no reply was waited for.
TEST(Causes, ARequestThePeerNeverReadsStallsGoingOut) {
    lumvox::core::test::NeverReadingPeer peer;
    FakePlatform platform;
    const std::u16string destination = u"127.0.0.1:" + lumvox::core::Utf8ToUtf16(std::to_string(peer.port())).value();
    // Beyond what the system buffers on loopback (4 MiB for the sender here).
    RunOutput run = RunWith(platform, {u"--net", destination, u"--json", std::u16string(8 << 20, u'a')});
    EXPECT_EQ(run.code, 5) << run.err;
    nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["cause"], "timed-out");
    EXPECT_EQ(json["limit"], "send");
    EXPECT_EQ(json["limitMs"], 2000);
    EXPECT_NE(run.err.find("not-acknowledged: the request could not be sent out: the peer took no more of it within "
                           "the 2000 ms wait limit"),
              std::string::npos)
        << run.err.substr(run.err.size() > 400 ? run.err.size() - 400 : 0);
    EXPECT_EQ(run.err.find("the reply stalled"), std::string::npos);
}

// --dry-run and --check refuse an input past their caps before decoding it,
// so that memory stays bounded whatever the input.
TEST(Options, DryRunAndCheckRefuseAnInputPastTheirCapBeforeReadingIt) {
    struct Case {
        std::vector<std::u16string> mode;
        TextSource source;
        size_t bytes;
        int code;
        std::string_view usage;
    };
    const Case kCases[] = {
        {{u"--net", u"127.0.0.1", u"--dry-run"}, TextSource::File, kMaxDryRunInput + 1, 2,
         "usage: --dry-run takes at most 4 MiB (4194304 bytes) of text; big.txt is 4194305 bytes: send it without "
         "--dry-run, or split it\n"},
        {{u"--app", u"--dry-run", u"--json"}, TextSource::Stdin, kMaxDryRunInput + 1, 2,
         "usage: --dry-run takes at most 4 MiB (4194304 bytes) of text; standard input is 4194305 bytes"},
        {{u"--check"}, TextSource::File, kMaxCheckInput + 1, 2,
         "usage: --check takes at most 64 MiB (67108864 bytes) of text; big.txt is 67108865 bytes"},
        {{u"--check", u"--clip"}, TextSource::Stdin, kMaxCheckInput + 1, 2, "usage: --check takes at most 64 MiB"},
        {{u"--check"}, TextSource::File, kMaxDryRunInput + 1, 0, ""},  // each mode its own cap
        {{u"--clip", u"--dry-run"}, TextSource::File, 4096, 0, ""},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        std::vector<std::u16string> args = c.mode;
        const std::string bytes(c.bytes, 'a');
        if (c.source == TextSource::File) {
            platform.files.files[u"big.txt"] = bytes;
            args.insert(args.end(), {u"--codepage", u"949", u"--file", u"big.txt"});
        } else {
            platform.stdin_bytes = bytes;
            args.emplace_back(u"-");
        }
        SCOPED_TRACE(lumvox::core::ToUtf8Lossy(args[0]) + " " + std::to_string(c.bytes));
        const RunOutput run = RunWith(platform, args);
        EXPECT_EQ(run.code, c.code) << run.err.substr(0, 300);
        if (c.code != 2) continue;
        EXPECT_EQ(run.err.find(c.usage), 0u) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(platform.code_pages.asked.empty()) << "refused before it was decoded";
    }
}

}  // namespace
}  // namespace lumvox::send
