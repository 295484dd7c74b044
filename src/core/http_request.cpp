#include "http_request.h"

#include "utf.h"
#include "whole_number.h"

namespace lumvox::core {
namespace {

void PutAscii(std::u16string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        out.push_back('?');
    }
}

}  // namespace

std::string WriteGetRequest(std::u16string_view target, std::u16string_view host_header) {
    std::string out;
    out.reserve(target.size() + host_header.size() + 200);
    out.append("GET ");
    PutAscii(target, out);
    out.append(" HTTP/1.1\r\n"
               "Content-Type: application/x-www-form-urlencoded\r\n"
               "Host: ");
    PutAscii(host_header, out);
    out.append("\r\n"
               "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
               "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
               "\r\n");
    return out;
}

std::string RequestBytes(const UrlParts& parts) {
    return WriteGetRequest(RequestTarget(parts), HostHeaderValue(parts));
}

std::optional<std::uint16_t> ParsePortNumber(std::u16string_view text) {
    if (auto port = WholeNumberIn(ReadWholeNumber(text, 1, 65535))) return static_cast<std::uint16_t>(*port);
    return std::nullopt;
}

std::optional<std::uint16_t> PortToConnect(const UrlParts& parts) {
    if (!parts.port_written) return 80;
    return ParsePortNumber(parts.port);
}

}  // namespace lumvox::core
