// The one whole-number reader, and the port field that reads by it.
#include <gtest/gtest.h>

#include "core/http_request.h"
#include "core/utf.h"
#include "core/whole_number.h"
#include "whole_number_cases.h"

namespace lumvox::core {
namespace {

using test::InRange;
using test::kNumberCases;

std::string Shown(const NumberRead& read) {
    if (const auto* value = std::get_if<std::uint64_t>(&read)) return std::to_string(*value);
    return std::get<NumberProblem>(read) == NumberProblem::NotANumber ? "not a number" : "out of range";
}

TEST(WholeNumber, OneRuleForSignsBlanksLeadingZerosAndOverflow) {
    struct Range { std::uint64_t low, high; };
    const Range kRanges[] = {{0, kNoHigherLimit}, {1, 65535}, {0, 65535}, {1, 64}, {1, 10'000'000}, {65, 65}};
    for (const auto& c : kNumberCases) {
        const std::string text = ToUtf8Lossy(c.text);
        SCOPED_TRACE("\"" + text + "\"");
        for (Range r : kRanges) {
            const NumberRead expected = InRange(c, r.low, r.high);
            EXPECT_EQ(Shown(ReadWholeNumber(c.text, r.low, r.high)), Shown(expected)) << r.low << ".." << r.high;
            // The byte form (an HTTP reply's numbers) reads ASCII alike, and
            // a UTF-8 digit look-alike is no digit either.
            EXPECT_EQ(Shown(ReadWholeNumber(std::string_view(text), r.low, r.high)), Shown(expected))
                << r.low << ".." << r.high;
        }
        // The port a URL connects to, and so the window's port field.
        const auto port = WholeNumberIn(InRange(c, 1, 65535));
        EXPECT_EQ(ParsePortNumber(c.text), port ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*port))
                                                : std::nullopt);
    }
}

TEST(WholeNumber, HexadecimalDigitsForChunkSizes) {
    struct Case { std::string_view text; NumberRead read; };
    const Case kCases[] = {
        {"0", std::uint64_t{0}}, {"a", std::uint64_t{10}}, {"00FF", std::uint64_t{255}}, {"fFfF", std::uint64_t{65535}},
        {"ffffffffffffffff", std::uint64_t{0xffffffffffffffffu}}, {"10000000000000000", NumberProblem::OutOfRange},
        {"g", NumberProblem::NotANumber}, {"zz", NumberProblem::NotANumber}, {"", NumberProblem::NotANumber},
        {"0x10", NumberProblem::NotANumber}, {"-a", NumberProblem::NotANumber}, {" a", NumberProblem::NotANumber},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Shown(ReadWholeNumber(c.text, 0, kNoHigherLimit, 16)), Shown(c.read)) << "\"" << c.text << "\"";
}

}  // namespace
}  // namespace lumvox::core
