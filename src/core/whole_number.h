#pragma once
// The one reader of a whole number written in digits: ports, counts and code
// pages on a command line, a port field, and the numbers of an HTTP reply.
// One rule everywhere: ASCII digits only, at least one; no sign ("+" or "-"),
// no blank before, inside or after, no "0x"; leading zeros are allowed and
// count for nothing ("007" is 7); a value outside the caller's range is out of
// range however many digits it has, never wrapped. Portable.
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <variant>

namespace lumvox::core {

enum class NumberProblem {
    NotANumber,  // empty, or a character that is not a digit of the base
    OutOfRange,  // digits only, but below `low` or above `high`
};

using NumberRead = std::variant<std::uint64_t, NumberProblem>;
inline constexpr std::uint64_t kNoHigherLimit = std::numeric_limits<std::uint64_t>::max();

namespace detail {

template <class Char>
constexpr NumberRead ReadWholeNumber(std::basic_string_view<Char> text, std::uint64_t low, std::uint64_t high,
                                     unsigned base) {
    if (text.empty()) return NumberProblem::NotANumber;
    std::uint64_t value = 0;
    bool over = false;  // reading goes on: a letter after many digits still makes no number
    for (Char c : text) {
        const auto u = static_cast<std::uint32_t>(c);
        const std::uint32_t digit = u >= '0' && u <= '9' ? u - '0'
                                    : u >= 'a' && u <= 'z' ? u - 'a' + 10
                                    : u >= 'A' && u <= 'Z' ? u - 'A' + 10
                                                           : 99;
        if (digit >= base) return NumberProblem::NotANumber;
        if (over || digit > high || value > (high - digit) / base) over = true;
        else value = value * base + digit;
    }
    if (over || value < low) return NumberProblem::OutOfRange;
    return value;
}

}  // namespace detail

// The number `text` holds, from `low` to `high`, in `base` (10, or 16 for an
// HTTP chunk size); or why it is none.
constexpr NumberRead ReadWholeNumber(std::u16string_view text, std::uint64_t low = 0,
                                     std::uint64_t high = kNoHigherLimit, unsigned base = 10) {
    return detail::ReadWholeNumber(text, low, high, base);
}
constexpr NumberRead ReadWholeNumber(std::string_view text, std::uint64_t low = 0,
                                     std::uint64_t high = kNoHigherLimit, unsigned base = 10) {
    return detail::ReadWholeNumber(text, low, high, base);
}

// The number, or nothing whatever the problem.
constexpr std::optional<std::uint64_t> WholeNumberIn(const NumberRead& read) {
    if (const auto* value = std::get_if<std::uint64_t>(&read)) return *value;
    return std::nullopt;
}

}  // namespace lumvox::core
