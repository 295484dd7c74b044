#pragma once
// The stand-in's events: one JSON object per log line, and what the window
// shows of each. Portable.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/hex_dump.h"
#include "json/json_line.h"
#include "wire_text.h"

namespace lumvox::standin {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
std::string IsoTime(const LocalTime& t);    // 2024-05-01T09:03:04.005
std::string ClockTime(const LocalTime& t);  // 09:03:04.005

// "EC 95 88": upper-case pairs separated by one space.
using core::HexBytes;
// The bytes as UTF-8 with every ill-formed sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// UTF-16LE bytes as UTF-8; an odd last byte is left out, lone surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// One display line: control characters shown as \r, \n, \t or \u00XX, cut
// after `max_chars` code points with "…".
std::string OneLine(std::string_view utf8, size_t max_chars);

// For a multi-line edit control: every line end becomes CR LF, and NUL
// becomes U+2400 so that it does not cut the text short.
std::string WithCrLf(std::string_view utf8);

// One log line, begun with its "event" member. The log keeps the escapes its
// readers have always seen: \b, \f and upper-case hex.
lumvox::json::JsonLine EventLine(std::string_view event);

// The window's detail shows at most this many characters of a text and bytes
// of hex; the log always has everything.
inline constexpr size_t kShownChars = 8000;
inline constexpr size_t kShownBytes = 1024;
inline constexpr size_t kShownFindings = 20;

// The markup findings on a received text, for the detail: one per line, in English.
std::string FindingsDetail(std::u16string_view text);

// What the window lists for one event (UTF-8; the detail uses CR LF).
struct Shown {
    std::string channel;
    std::string summary;
    std::string text;
    std::string detail;
};

struct CopyDataEvent {
    LocalTime time;
    uint64_t sender = 0;   // wParam
    uint64_t dw_data = 0;
    std::string bytes;     // exactly cbData bytes
};
std::string ToJson(const CopyDataEvent& e);
Shown Show(const CopyDataEvent& e);

struct HttpEvent {
    LocalTime time;
    std::string peer;  // address:port
    ReplyMode reply = ReplyMode::Sent;
    std::string head;  // request line and headers up to and including the empty line
};
std::string ToJson(const HttpEvent& e);
Shown Show(const HttpEvent& e);

struct ClipboardEvent {
    LocalTime time;
    uint32_t sequence = 0;
    std::u16string text;
};
std::string ToJson(const ClipboardEvent& e);
Shown Show(const ClipboardEvent& e);

// A connection ended without an arrival: refused (answered with an error or
// closed at once) or dropped (it ended before its head was whole).
struct RefusalEvent {
    LocalTime time;
    std::string peer;  // address:port
    Refusal reason = Refusal::Malformed;
    std::string detail;    // what happened, in plain words
    size_t received = 0;   // bytes read from the connection
    std::string start;     // the first of them, at most kRefusalStartBytes
};
std::string ToJson(const RefusalEvent& e);
Shown Show(const RefusalEvent& e);

// `listening` is false when the port could not be opened; the other channels still work.
std::string ReadyJson(const LocalTime& time, std::string_view address, int port, bool listening, ReplyMode reply);
std::string ListenErrorJson(const LocalTime& time, std::string_view address, int port, std::string_view error);
std::string ReplyChangedJson(const LocalTime& time, ReplyMode reply);

}  // namespace lumvox::standin
