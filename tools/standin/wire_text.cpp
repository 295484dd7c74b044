#include "wire_text.h"

#include <algorithm>

#include "core/send_outcome.h"

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

// RFC 9110's token characters: what a method and a header name are made of.
bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!IsTokenChar(c)) return false;
    return true;
}

bool IsTargetByte(char c) { return static_cast<unsigned char>(c) > 0x20 && c != 0x7F; }

bool IsHttpVersion(std::string_view text) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return text.size() == 8 && text.starts_with("HTTP/") && digit(text[5]) && text[6] == '.' && digit(text[7]);
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

std::string BadRequestReply() { return Reply("400 Bad Request", "malformed request"); }

std::string_view RefusalName(Refusal reason) {
    switch (reason) {
    case Refusal::Connections: return "connections";
    case Refusal::Idle: return "idle";
    case Refusal::TooLarge: return "too-large";
    case Refusal::Malformed: return "malformed";
    case Refusal::ClosedEarly: return "closed";
    }
    return "?";
}

bool IsDrop(Refusal reason) { return reason == Refusal::Idle || reason == Refusal::ClosedEarly; }

std::optional<int> RefusalStatus(Refusal reason) {
    switch (reason) {
    case Refusal::TooLarge: return 431;
    case Refusal::Malformed: return 400;
    default: return std::nullopt;
    }
}

std::string RefusalReply(Refusal reason) {
    switch (reason) {
    case Refusal::TooLarge: return HeadTooLargeReply();
    case Refusal::Malformed: return BadRequestReply();
    default: return {};
    }
}

std::string RefusalStart(std::string_view received) {
    if (received.size() <= kRefusalStartBytes) return std::string(received);
    size_t end = kRefusalStartBytes;
    // Back over the continuation bytes of a sequence that the cut would split.
    for (size_t back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(received[end]) & 0xC0) == 0x80; ++back)
        --end;
    return std::string(received.substr(0, end));
}

std::optional<size_t> FindHeadEnd(std::string_view bytes) {
    for (size_t lf = bytes.find('\n'); lf != std::string_view::npos; lf = bytes.find('\n', lf + 1)) {
        size_t next = lf + 1;
        if (next < bytes.size() && bytes[next] == '\n') return next + 1;
        if (next + 1 < bytes.size() && bytes[next] == '\r' && bytes[next + 1] == '\n') return next + 2;
    }
    return std::nullopt;
}

HeadReading ReadRequestHead(std::string_view received, size_t searched, size_t max_head) {
    // A blank line is at most three bytes ("\n\r\n"): one that ends among the
    // new bytes starts at most three bytes before them.
    searched = std::min(searched, received.size());
    size_t from = searched < 3 ? 0 : searched - 3;
    if (auto end = FindHeadEnd(received.substr(from))) {
        size_t size = from + *end;
        std::string problem = RequestHeadProblem(ParseRequestHead(received.substr(0, size)));
        if (problem.empty()) return {HeadReading::State::Whole, size, {}};
        return {HeadReading::State::Malformed, size, std::move(problem)};
    }
    if (received.size() > max_head) return {HeadReading::State::TooLarge, 0, {}};
    return {};
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

std::string RequestHeadProblem(const RequestHead& head) {
    bool line_ok = IsToken(head.method) && !head.target.empty() &&
                   std::all_of(head.target.begin(), head.target.end(), IsTargetByte) && IsHttpVersion(head.version);
    if (!line_ok) return "the request line is not METHOD TARGET HTTP/d.d, one space apart";
    for (size_t i = 0; i < head.headers.size(); ++i) {
        std::string_view line = head.headers[i];
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
            return "header line " + std::to_string(i + 1) + " is not a name followed by a colon";
    }
    return {};
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

std::vector<ReceivedWarning> ReceivedWarnings(std::string_view target) {
    using lumvox::core::WarningCode;
    using lumvox::core::WarningName;
    std::vector<ReceivedWarning> warnings;
    const size_t open = target.find(kOpening);
    if (open == std::string_view::npos) return warnings;
    const std::string_view after = target.substr(open + kOpening.size());
    if (size_t query = after.find('?'); query != std::string_view::npos) {
        const std::string_view parameters = after.substr(query + 1);
        const size_t plus = static_cast<size_t>(std::count(parameters.begin(), parameters.end(), '+'));
        warnings.push_back({WarningName(WarningCode::QueryMakesParameters),
                            "the text after its \"?\" arrived as parameters, where \"+\" travels raw (" +
                                std::to_string(plus) + " there): a receiver that decodes form-style reads it as a space"});
    }
    auto envelope = NetworkEnvelopeText(target);
    if (envelope && !envelope->closed)
        warnings.push_back({WarningName(WarningCode::HashCutsText),
                            "the target ends without the closing \"=lumvox\": the text was cut short, most likely at a "
                            "\"#\", which drops itself and everything after it"});
    return warnings;
}

}  // namespace lumvox::standin
