#include "http_request.h"

#include "utf.h"

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

std::optional<std::uint16_t> ParsePortNumber(std::u16string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > 65535) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> PortToConnect(std::u16string_view url, const UrlParts& parts) {
    if (!parts.port.empty()) return ParsePortNumber(parts.port);
    // The split keeps no trace of a ":" before an empty port, so look at the
    // authority again, cut the way SplitRequestUrl cuts it.
    size_t scheme_end = url.find(u"://");
    std::u16string_view authority = scheme_end == std::u16string_view::npos ? url : url.substr(scheme_end + 3);
    authority = authority.substr(0, authority.find_first_of(u"/\\?#"));
    if (size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) authority.remove_prefix(at + 1);
    size_t from = 0;
    if (parts.ipv6) from = authority.find(u']', authority.find(u'['));
    if (from != std::u16string_view::npos && authority.find(u':', from) != std::u16string_view::npos)
        return std::nullopt;
    return 80;
}

}  // namespace lumvox::core
