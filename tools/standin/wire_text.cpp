#include "wire_text.h"

namespace lumvox::standin {
namespace {

constexpr std::string_view kOpening = "lumvox=";
constexpr std::string_view kClosing = "=lumvox";

std::string Reply(std::string_view status, std::string_view body) {
    std::string reply = "HTTP/1.1 ";
    reply += status;
    reply += "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: ";
    reply += std::to_string(body.size());
    reply += "\r\nConnection: close\r\n\r\n";
    reply += body;
    return reply;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::optional<ReplyMode> ParseReplyMode(std::string_view name) {
    for (ReplyMode mode : kReplyModes)
        if (ReplyModeName(mode) == name) return mode;
    return std::nullopt;
}

std::string_view ReplyModeName(ReplyMode mode) {
    switch (mode) {
    case ReplyMode::Sent: return "sent";
    case ReplyMode::NoSent: return "nosent";
    case ReplyMode::ServerError: return "500";
    case ReplyMode::Silent: return "silent";
    }
    return "sent";
}

std::string_view ReplyModeCaption(ReplyMode mode) {
    switch (mode) {
    case ReplyMode::Sent: return "200 \"sent\" (delivered)";
    case ReplyMode::NoSent: return "200 without \"sent\"";
    case ReplyMode::ServerError: return "500 with \"sent\"";
    case ReplyMode::Silent: return "no answer (silent)";
    }
    return "";
}

std::string ReplyFor(ReplyMode mode) {
    switch (mode) {
    case ReplyMode::Sent: return Reply("200 OK", "sent");
    case ReplyMode::NoSent: return Reply("200 OK", "busy");
    // The body holds the word so that only the status can make the send fail.
    case ReplyMode::ServerError: return Reply("500 Internal Server Error", "sent");
    case ReplyMode::Silent: return {};
    }
    return {};
}

std::string MethodNotAllowedReply() { return Reply("405 Method Not Allowed", "GET only"); }

std::string HeadTooLargeReply() { return Reply("431 Request Header Fields Too Large", "too large"); }

std::optional<size_t> FindHeadEnd(std::string_view bytes) {
    for (size_t lf = bytes.find('\n'); lf != std::string_view::npos; lf = bytes.find('\n', lf + 1)) {
        size_t next = lf + 1;
        if (next < bytes.size() && bytes[next] == '\n') return next + 1;
        if (next + 1 < bytes.size() && bytes[next] == '\r' && bytes[next + 1] == '\n') return next + 2;
    }
    return std::nullopt;
}

RequestHead ParseRequestHead(std::string_view head) {
    RequestHead parsed;
    bool first = true;
    while (!head.empty()) {
        size_t lf = head.find('\n');
        std::string_view line = WithoutCr(head.substr(0, lf));
        head.remove_prefix(lf == std::string_view::npos ? head.size() : lf + 1);
        if (first) {
            parsed.request_line = line;
            first = false;
            continue;
        }
        if (line.empty()) break;
        parsed.headers.emplace_back(line);
    }
    std::string_view rest = parsed.request_line;
    size_t space = rest.find(' ');
    parsed.method = rest.substr(0, space);
    if (space == std::string_view::npos) return parsed;
    rest.remove_prefix(space + 1);
    space = rest.find(' ');
    parsed.target = rest.substr(0, space);
    if (space != std::string_view::npos) parsed.version = rest.substr(space + 1);
    return parsed;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::optional<EnvelopeText> NetworkEnvelopeText(std::string_view target) {
    size_t open = target.find(kOpening);
    if (open == std::string_view::npos) return std::nullopt;
    size_t begin = open + kOpening.size();
    size_t close = target.rfind(kClosing);
    bool closed = close != std::string_view::npos && close >= begin;
    std::string_view inner = target.substr(begin, closed ? close - begin : std::string_view::npos);
    return EnvelopeText{PercentDecode(inner), closed};
}

}  // namespace lumvox::standin
