// One flat JSON object per line: members in order, values of every kind.
#include "json/json_line.h"

#include <gtest/gtest.h>

#include <limits>

#include <nlohmann/json.hpp>

namespace lumvox::json {
namespace {

TEST(JsonLine, WritesMembersInTheOrderAdded) {
    struct Case {
        EscapeStyle style;
        std::string_view line;
    };
    constexpr Case kCases[] = {
        {EscapeStyle::LowerHex,
         R"({"event":"probe","text":"a\u0008\u001f","utf16":"\ud800","n":-42,"big":4294967296,)"
         R"("yes":true,"no":false,"none":null,"items":["\u000c","x"],"empty":[]})"},
        {EscapeStyle::ShortFormsUpperHex,
         R"({"event":"probe","text":"a\b\u001F","utf16":"\uD800","n":-42,"big":4294967296,)"
         R"("yes":true,"no":false,"none":null,"items":["\f","x"],"empty":[]})"},
    };
    for (const auto& c : kCases) {
        std::string line = JsonLine(c.style)
                               .Text("event", "probe")
                               .Text("text", "a\b\x1F")
                               .Text("utf16", u"\xD800")
                               .Number("n", -42)
                               .Number("big", 4294967296)
                               .Flag("yes", true)
                               .Flag("no", false)
                               .Null("none")
                               .List("items", {"\f", "x"})
                               .List("empty", {})
                               .Finish();
        EXPECT_EQ(line, c.line);
    }
}

TEST(JsonLine, WritesTheWholeRangeOfNumbersAndAnEmptyObject) {
    EXPECT_EQ(JsonLine(EscapeStyle::LowerHex).Finish(), "{}");
    EXPECT_EQ(JsonLine(EscapeStyle::LowerHex)
                  .Number("min", std::numeric_limits<int64_t>::min())
                  .Number("max", std::numeric_limits<int64_t>::max())
                  .Number("zero", 0)
                  .Finish(),
              R"({"min":-9223372036854775808,"max":9223372036854775807,"zero":0})");
}

// Nested values keep the line's escape style all the way down, and what is
// written reads back through the library as the same value.
TEST(JsonLine, WritesNestedValuesInItsStyleAndReadsBack) {
    using nlohmann::ordered_json;
    ordered_json findings = ordered_json::array({{{"at", 3}, {"what", "\b안"}}, ordered_json::array(), nullptr});
    struct Case {
        EscapeStyle style;
        std::string_view line;
    };
    constexpr Case kCases[] = {
        {EscapeStyle::LowerHex, R"({"cause":"\u001f","findings":[{"at":3,"what":"\u0008안"},[],null],"n":1})"},
        {EscapeStyle::ShortFormsUpperHex, R"({"cause":"\u001F","findings":[{"at":3,"what":"\b안"},[],null],"n":1})"},
    };
    for (const auto& c : kCases) {
        JsonLine line(c.style);
        line.Text("cause", "\x1F").Value("findings", findings).Number("n", 1);
        EXPECT_EQ(line.Finish(), c.line);
        EXPECT_EQ(ordered_json::parse(line.Finish()), line.Object());
    }
}

}  // namespace
}  // namespace lumvox::json
