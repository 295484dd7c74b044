#pragma once
// Texts a user or a peer may write where a whole number is asked for, and what
// each says as a number with no range at all. Every reader of a port, a count
// or a code page runs this one table against its own range.
#include <cstdint>
#include <string_view>

#include "core/whole_number.h"

namespace lumvox::core::test {

struct NumberCase {
    std::u16string_view text;
    NumberRead unbounded;  // ReadWholeNumber(text) with no range
};

inline const NumberCase kNumberCases[] = {
    {u"7070", std::uint64_t{7070}},
    {u"1", std::uint64_t{1}},
    {u"0", std::uint64_t{0}},
    {u"00", std::uint64_t{0}},
    {u"64", std::uint64_t{64}},
    {u"65", std::uint64_t{65}},
    {u"949", std::uint64_t{949}},
    {u"65535", std::uint64_t{65535}},
    {u"65536", std::uint64_t{65536}},
    {u"99999", std::uint64_t{99999}},
    {u"080", std::uint64_t{80}},                   // leading zeros count for nothing
    {u"00000000000443", std::uint64_t{443}},       // however many
    {u"10000000", std::uint64_t{10'000'000}},
    {u"10000001", std::uint64_t{10'000'001}},
    {u"18446744073709551615", std::uint64_t{18446744073709551615u}},
    {u"18446744073709551616", NumberProblem::OutOfRange},  // never wraps to 0
    {u"99999999999999999999999", NumberProblem::OutOfRange},
    {u"", NumberProblem::NotANumber},
    {u"x", NumberProblem::NotANumber},
    {u"-1", NumberProblem::NotANumber},
    {u"+80", NumberProblem::NotANumber},
    {u" 80", NumberProblem::NotANumber},
    {u"80 ", NumberProblem::NotANumber},
    {u"8 0", NumberProblem::NotANumber},
    {u"\t7", NumberProblem::NotANumber},
    {u"8O", NumberProblem::NotANumber},
    {u"0x50", NumberProblem::NotANumber},
    {u"1e3", NumberProblem::NotANumber},
    {u"80.", NumberProblem::NotANumber},
    {u"1,000", NumberProblem::NotANumber},
    {u"99999999999999999999999x", NumberProblem::NotANumber},  // a letter after an overflow
    {u"\xFF18\xFF10", NumberProblem::NotANumber},                // full-width digits
    {u"\x0663", NumberProblem::NotANumber},                      // an Arabic-Indic digit
};

// What a reader of the range [low, high] makes of the case.
inline NumberRead InRange(const NumberCase& c, std::uint64_t low, std::uint64_t high) {
    const auto* value = std::get_if<std::uint64_t>(&c.unbounded);
    if (!value) return c.unbounded;
    if (*value < low || *value > high) return NumberProblem::OutOfRange;
    return *value;
}

}  // namespace lumvox::core::test
