#include "events.h"

#include <cstdio>

#include "common/markup_json.h"
#include "core/markup_check.h"
#include "core/utf.h"

namespace lumvox::standin {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string Format(const char* format, auto... values) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, format, values...);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// The window's edit control slows to seconds on texts of a few hundred
// kilobytes, and the copy-data sender waits only 10 ms for the window's
// thread: the window shows a bounded part, the log keeps everything.
std::string ShownText(std::string_view utf8) {
    size_t chars = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && chars++ == kShownChars)
            return std::string(utf8.substr(0, i)) + "\r\n[cut here: the log has the whole text]";
    }
    return std::string(utf8);
}

std::string ShownHex(std::string_view bytes) {
    if (bytes.size() <= kShownBytes) return HexBytes(bytes);
    return HexBytes(bytes.substr(0, kShownBytes)) + " [" + std::to_string(bytes.size() - kShownBytes) +
           " more bytes in the log]";
}

std::u16string Utf16LeUnits(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return units;
}

// The text of an HTTP event as the speech program would read it: ill-formed
// UTF-8 already shown as U+FFFD.
std::u16string HttpText(std::string_view envelope_bytes) {
    return lumvox::core::Utf8ToUtf16(ValidUtf8(envelope_bytes)).value_or(u"");
}

std::string HeadLines(const RequestHead& head) {
    std::string out = head.request_line;
    for (const auto& h : head.headers) out += "\r\n" + h;
    return out;
}

// A refused request's first line is enough in the list; the detail has the rest.
constexpr size_t kListedStartChars = 80;

}  // namespace

std::string IsoTime(const LocalTime& t) {
    return Format("%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                  t.millisecond);
}

std::string ClockTime(const LocalTime& t) {
    return Format("%02d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
}

std::string ValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    // Each byte that starts no well-formed sequence becomes one U+FFFD.
    while (const auto bad = lumvox::core::FirstIllFormedUtf8(bytes)) {
        out += bytes.substr(0, *bad);
        out += kReplacement;
        bytes.remove_prefix(*bad + 1);
    }
    return out += bytes;
}

bool IsValidUtf8(std::string_view bytes) { return !lumvox::core::FirstIllFormedUtf8(bytes); }

std::string Utf16LeToUtf8(std::string_view bytes) { return lumvox::core::ToUtf8Lossy(Utf16LeUnits(bytes)); }

std::string FindingsDetail(std::u16string_view text) {
    auto findings = lumvox::core::CheckMarkup(text);
    if (findings.empty()) return "Markup findings: none";
    std::string out = "Markup findings (" + std::to_string(findings.size()) + "):";
    for (size_t k = 0; k < findings.size(); ++k) {
        if (k == kShownFindings) {
            out += "\r\n[" + std::to_string(findings.size() - k) + " more in the log]";
            break;
        }
        const auto& f = findings[k];
        out += "\r\n" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
               std::string(lumvox::core::SeverityName(f.severity)) + ": " +
               std::string(lumvox::core::CodeName(f.code)) + ": " + lumvox::core::MessageEn(f);
    }
    return out;
}

std::string OneLine(std::string_view utf8, size_t max_chars) {
    std::string out;
    size_t chars = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) != 0x80 && chars++ == max_chars) return out + "\xE2\x80\xA6";
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20) out += Format("\\u%04X", static_cast<unsigned>(c));
        else out += static_cast<char>(c);
    }
    return out;
}

std::string WithCrLf(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else if (c == '\0') {
            out += "\xE2\x90\x80";
        } else {
            out += c;
        }
    }
    return out;
}

lumvox::json::JsonLine EventLine(std::string_view event) {
    lumvox::json::JsonLine line(lumvox::json::EscapeStyle::ShortFormsUpperHex);
    line.Text("event", event);
    return line;
}

std::string ToJson(const CopyDataEvent& e) {
    return EventLine("copydata")
        .Text("time", IsoTime(e.time))
        .Number("wParam", static_cast<int64_t>(e.sender))
        .Number("dwData", static_cast<int64_t>(e.dw_data))
        .Number("cbData", static_cast<int64_t>(e.bytes.size()))
        .Number("units", static_cast<int64_t>(e.bytes.size() / 2))
        .Text("text", Utf16LeToUtf8(e.bytes))
        .Text("hex", HexBytes(e.bytes))
        .Value("findings", lumvox::json::FindingsJson(lumvox::core::CheckMarkup(Utf16LeUnits(e.bytes))))
        .Finish();
}

Shown Show(const CopyDataEvent& e) {
    std::string text = Utf16LeToUtf8(e.bytes);
    std::string summary = Format("dwData %llu, cbData %zu", static_cast<unsigned long long>(e.dw_data), e.bytes.size());
    std::string detail = "Copy-data message at " + ClockTime(e.time) + "\r\n" + summary +
                         Format(", wParam 0x%llX", static_cast<unsigned long long>(e.sender)) + "\r\n\r\nText (" +
                         std::to_string(e.bytes.size() / 2) + " UTF-16 units):\r\n" + ShownText(text) +
                         "\r\n\r\n" + FindingsDetail(Utf16LeUnits(e.bytes)) + "\r\n\r\nBytes (UTF-16LE):\r\n" +
                         ShownHex(e.bytes);
    return {"copy-data", summary, text, detail};
}

std::string ToJson(const HttpEvent& e) {
    RequestHead head = ParseRequestHead(e.head);
    auto envelope = NetworkEnvelopeText(head.target);
    std::vector<std::string> headers;
    for (const auto& h : head.headers) headers.push_back(ValidUtf8(h));
    lumvox::json::JsonLine line = EventLine("http");
    line.Text("time", IsoTime(e.time))
        .Text("peer", e.peer)
        .Text("reply", ReplyModeName(e.reply))
        .Text("requestLine", ValidUtf8(head.request_line))
        .Text("method", ValidUtf8(head.method))
        .Text("target", ValidUtf8(head.target))
        .Text("version", ValidUtf8(head.version))
        .List("headers", headers)
        .Text("raw", ValidUtf8(e.head));
    if (envelope) {
        line.Text("text", ValidUtf8(envelope->bytes))
            .Flag("textIsUtf8", IsValidUtf8(envelope->bytes))
            .Flag("envelopeClosed", envelope->closed)
            .Value("findings", lumvox::json::FindingsJson(lumvox::core::CheckMarkup(HttpText(envelope->bytes))));
    } else {
        line.Null("text");
    }
    std::vector<std::string> warnings;
    for (const ReceivedWarning& w : ReceivedWarnings(head.target)) warnings.emplace_back(w.code);
    line.List("warnings", warnings);
    return line.Finish();
}

Shown Show(const HttpEvent& e) {
    RequestHead head = ParseRequestHead(e.head);
    auto envelope = NetworkEnvelopeText(head.target);
    std::string text = envelope ? ValidUtf8(envelope->bytes) : std::string();
    std::string summary = ValidUtf8(head.method) + ", answered \"" + std::string(ReplyModeName(e.reply)) + "\"";
    std::string detail = "HTTP request from " + e.peer + " at " + ClockTime(e.time) + ", answered \"" +
                         std::string(ReplyModeName(e.reply)) + "\"\r\n\r\n" + ShownText(ValidUtf8(HeadLines(head))) +
                         "\r\n\r\n";
    if (!envelope) detail += "No \"lumvox=\" in the request target.";
    else {
        detail += "Decoded text between \"lumvox=\" and \"=lumvox\"";
        if (!envelope->closed) detail += " (no closing \"=lumvox\")";
        if (!IsValidUtf8(envelope->bytes)) detail += " (not well-formed UTF-8)";
        detail += ":\r\n" + ShownText(text) + "\r\n\r\n" + FindingsDetail(HttpText(envelope->bytes));
    }
    for (const ReceivedWarning& w : ReceivedWarnings(head.target)) detail += "\r\n\r\nWarning: " + w.text + ".";
    return {"HTTP", summary, text, detail};
}

std::string ToJson(const ClipboardEvent& e) {
    return EventLine("clipboard")
        .Text("time", IsoTime(e.time))
        .Number("sequence", e.sequence)
        .Number("units", static_cast<int64_t>(e.text.size()))
        .Text("text", lumvox::core::ToUtf8Lossy(e.text))
        .Value("findings", lumvox::json::FindingsJson(lumvox::core::CheckMarkup(e.text)))
        .Finish();
}

Shown Show(const ClipboardEvent& e) {
    std::string text = lumvox::core::ToUtf8Lossy(e.text);
    std::string summary = std::to_string(e.text.size()) + " UTF-16 units";
    std::string detail = "Clipboard text at " + ClockTime(e.time) + " (" + summary + "):\r\n" + ShownText(text) +
                         "\r\n\r\n" + FindingsDetail(e.text);
    return {"clipboard", summary, text, detail};
}

std::string ToJson(const RefusalEvent& e) {
    lumvox::json::JsonLine line = EventLine(IsDrop(e.reason) ? "dropped" : "refused");
    line.Text("time", IsoTime(e.time)).Text("peer", e.peer).Text("reason", RefusalName(e.reason));
    if (auto status = RefusalStatus(e.reason)) line.Number("status", *status);
    else line.Null("status");
    return line.Text("detail", e.detail)
        .Number("received", static_cast<int64_t>(e.received))
        .Text("start", ValidUtf8(e.start))
        .Finish();
}

Shown Show(const RefusalEvent& e) {
    std::string kind = IsDrop(e.reason) ? "dropped" : "refused";
    std::string summary = kind + ": " + std::string(RefusalName(e.reason));
    if (auto status = RefusalStatus(e.reason)) summary += ", answered " + std::to_string(*status);
    std::string detail = "HTTP connection from " + e.peer + " at " + ClockTime(e.time) + " " + kind + ": " + e.detail +
                         "\r\n\r\n" + std::to_string(e.received) + " bytes received";
    if (!e.start.empty()) detail += ", beginning:\r\n" + ValidUtf8(e.start);
    return {"HTTP", summary, OneLine(ValidUtf8(e.start), kListedStartChars), detail};
}

std::string ReadyJson(const LocalTime& time, std::string_view address, int port, bool listening, ReplyMode reply) {
    return EventLine("ready")
        .Text("time", IsoTime(time))
        .Text("address", address)
        .Number("port", port)
        .Flag("listening", listening)
        .Text("reply", ReplyModeName(reply))
        .Finish();
}

std::string ListenErrorJson(const LocalTime& time, std::string_view address, int port, std::string_view error) {
    return EventLine("error")
        .Text("time", IsoTime(time))
        .Text("address", address)
        .Number("port", port)
        .Text("text", ValidUtf8(error))
        .Finish();
}

std::string ReplyChangedJson(const LocalTime& time, ReplyMode reply) {
    return EventLine("reply").Text("time", IsoTime(time)).Text("reply", ReplyModeName(reply)).Finish();
}

}  // namespace lumvox::standin
