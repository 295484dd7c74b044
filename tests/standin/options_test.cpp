#include "options.h"

#include <gtest/gtest.h>

#include "core/utf.h"
#include "whole_number_cases.h"

namespace lumvox::standin {
namespace {

TEST(ParseOptions, DefaultsToLoopbackPort7070AndSent) {
    ParsedOptions parsed = ParseOptions({});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.address, "127.0.0.1");
    EXPECT_EQ(parsed.options.port, 7070);
    EXPECT_EQ(parsed.options.reply, ReplyMode::Sent);
    EXPECT_EQ(parsed.options.log_path, u"");
    EXPECT_EQ(parsed.options.max_connections, 100);
    EXPECT_EQ(parsed.options.idle_limit_s, 20);
    EXPECT_FALSE(parsed.options.help);
}

TEST(ParseOptions, ReadsTheConnectionLimitsWithinTheirRanges) {
    struct Case {
        std::vector<std::u16string> args;
        int max_connections, idle_limit_s;
    };
    const Case kCases[] = {
        {{u"--max-connections", u"1"}, 1, 20},
        {{u"--max-connections=10000", u"--idle-limit=3600"}, 10000, 3600},
        {{u"--idle-limit", u"1"}, 100, 1},
    };
    for (const auto& c : kCases) {
        ParsedOptions parsed = ParseOptions(c.args);
        ASSERT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.options.max_connections, c.max_connections);
        EXPECT_EQ(parsed.options.idle_limit_s, c.idle_limit_s);
    }
}

TEST(ParseOptions, ReadsEachOptionInBothForms) {
    struct Case {
        std::vector<std::u16string> args;
        std::string address;
        uint16_t port;
        ReplyMode reply;
        std::u16string log;
    };
    const Case kCases[] = {
        {{u"--port", u"8080"}, "127.0.0.1", 8080, ReplyMode::Sent, u""},
        {{u"--port=0"}, "127.0.0.1", 0, ReplyMode::Sent, u""},
        {{u"--port", u"65535"}, "127.0.0.1", 65535, ReplyMode::Sent, u""},
        {{u"--address", u"::1", u"--reply", u"silent"}, "::1", 7070, ReplyMode::Silent, u""},
        {{u"--reply=500", u"--address=0.0.0.0"}, "0.0.0.0", 7070, ReplyMode::ServerError, u""},
        {{u"--reply", u"nosent", u"--log", u"C:\\logs\\받은 것.jsonl"}, "127.0.0.1", 7070, ReplyMode::NoSent,
         u"C:\\logs\\받은 것.jsonl"},
        {{u"--log=/tmp/a=b.log", u"--port", u"1"}, "127.0.0.1", 1, ReplyMode::Sent, u"/tmp/a=b.log"},
    };
    for (const auto& c : kCases) {
        ParsedOptions parsed = ParseOptions(c.args);
        SCOPED_TRACE(testing::PrintToString(c.address) + " " + std::to_string(c.port));
        ASSERT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.options.address, c.address);
        EXPECT_EQ(parsed.options.port, c.port);
        EXPECT_EQ(parsed.options.reply, c.reply);
        EXPECT_EQ(parsed.options.log_path, c.log);
    }
    EXPECT_TRUE(ParseOptions({u"--help"}).options.help);
}

// Every number the stand-in reads, by the one rule, each in its own range.
TEST(ParseOptions, ReadsPortsAndLimitsByTheOneNumberRule) {
    struct Option {
        std::u16string_view name;
        std::uint64_t low, high;
        int (*taken)(const Options&);
    };
    const Option kOptions[] = {
        {u"--port", 0, 65535, [](const Options& o) { return int(o.port); }},
        {u"--max-connections", 1, 10000, [](const Options& o) { return o.max_connections; }},
        {u"--idle-limit", 1, 3600, [](const Options& o) { return o.idle_limit_s; }},
    };
    for (const Option& option : kOptions) {
        for (const auto& c : lumvox::core::test::kNumberCases) {
            const std::u16string joined = std::u16string(option.name) + u"=" + std::u16string(c.text);
            SCOPED_TRACE(lumvox::core::ToUtf8Lossy(joined));
            for (const std::vector<std::u16string>& args :
                 {std::vector<std::u16string>{std::u16string(option.name), std::u16string(c.text)},
                  std::vector<std::u16string>{joined}}) {
                const ParsedOptions parsed = ParseOptions(args);
                const auto value = lumvox::core::WholeNumberIn(lumvox::core::test::InRange(c, option.low, option.high));
                if (value) {
                    EXPECT_EQ(parsed.error, "");
                    EXPECT_EQ(option.taken(parsed.options), static_cast<int>(*value));
                } else {
                    EXPECT_NE(parsed.error.find(lumvox::core::ToUtf8Lossy(option.name) + " needs a number"),
                              std::string::npos)
                        << parsed.error;
                    EXPECT_NE(parsed.error.find("\"" + lumvox::core::ToUtf8Lossy(c.text) + "\""), std::string::npos)
                        << parsed.error;
                }
            }
        }
    }
}

TEST(ParseOptions, RefusesWhatItCannotUseAndNamesIt) {
    struct Case {
        std::vector<std::u16string> args;
        std::string_view named;
    };
    const Case kCases[] = {
        {{u"--port", u"65536"}, "65536"},
        {{u"--port", u"-1"}, "-1"},
        {{u"--port", u"70x"}, "70x"},
        {{u"--port="}, "--port"},
        {{u"--port"}, "--port"},
        {{u"--reply", u"SENT"}, "SENT"},
        {{u"--reply", u"200"}, "200"},
        {{u"--address="}, "--address"},
        {{u"--log"}, "--log"},
        {{u"--bogus"}, "--bogus"},
        {{u"--max-connections", u"0"}, "0"},
        {{u"--max-connections", u"10001"}, "10001"},
        {{u"--max-connections", u"many"}, "many"},
        {{u"--idle-limit", u"0"}, "0"},
        {{u"--idle-limit", u"3601"}, "3601"},
        {{u"--idle-limit", u"1.5"}, "1.5"},
        {{u"--idle-limit"}, "--idle-limit"},
        {{u"7070"}, "7070"},
    };
    for (const auto& c : kCases) {
        std::string error = ParseOptions(c.args).error;
        EXPECT_NE(error.find(c.named), std::string::npos) << "error: " << error;
    }
}

}  // namespace
}  // namespace lumvox::standin
