#include "request_url.h"

#include <array>

#include "utf.h"

namespace lumvox::core {
namespace {

constexpr auto npos = std::u16string_view::npos;

enum class EscapeRule { Path, Parameters };

// Set for the ASCII characters that are escaped by both rules.
constexpr auto kUnsafeAscii = [] {
    std::array<bool, 128> unsafe{};
    for (int c = 0; c <= 0x20; ++c) unsafe[c] = true;
    for (char c : std::string_view("\"#%*<>[\\]^`{|}")) unsafe[static_cast<unsigned char>(c)] = true;
    return unsafe;
}();

char16_t* PutEscapedByte(unsigned byte, char16_t* out) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    out[0] = u'%';
    out[1] = kHex[byte >> 4];
    out[2] = kHex[byte & 0xF];
    return out + 3;
}

// The length of a text once escaped: every character's UTF-8 bytes as %XX, but
// the ASCII characters that need no escape. A pair's two halves make 12.
size_t EscapedSize(std::u16string_view text, EscapeRule rule) {
    size_t size = 0;
    for (char16_t c : text) {
        if (c < 0x80) size += kUnsafeAscii[c] || (c == u'+' && rule == EscapeRule::Path) ? 3 : 1;
        else if (c < 0x800 || IsLowSurrogate(c)) size += 6;
        else size += 9 - 3 * IsHighSurrogate(c);
    }
    return size;
}

// Escapes character by character onto `result`, `size` being its EscapedSize; a
// surrogate pair is one character. Runs over every text the user sends, so the
// UTF-8 bytes go straight out as escapes, into room made once: zero-filling the
// worst case (9 units a unit) or growing as it goes costs more than counting first.
bool Escape(std::u16string_view text, EscapeRule rule, size_t size, std::u16string& result) {
    const size_t start = result.size();
    result.resize(start + size);
    char16_t* out = result.data() + start;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            if (kUnsafeAscii[c] || (c == u'+' && rule == EscapeRule::Path)) out = PutEscapedByte(c, out);
            else *out++ = c;
        } else if (c < 0x800) {
            out = PutEscapedByte(0xC0 | (c >> 6), out);
            out = PutEscapedByte(0x80 | (c & 0x3F), out);
        } else if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) {
            out = PutEscapedByte(0xE0 | (c >> 12), out);
            out = PutEscapedByte(0x80 | ((c >> 6) & 0x3F), out);
            out = PutEscapedByte(0x80 | (c & 0x3F), out);
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
            out = PutEscapedByte(0xF0 | (cp >> 18), out);
            out = PutEscapedByte(0x80 | ((cp >> 12) & 0x3F), out);
            out = PutEscapedByte(0x80 | ((cp >> 6) & 0x3F), out);
            out = PutEscapedByte(0x80 | (cp & 0x3F), out);
        } else {
            result.resize(start);
            return false;  // an unpaired surrogate has no UTF-8 form
        }
    }
    result.resize(out - result.data());
    return true;
}

std::u16string_view Before(std::u16string_view s, size_t pos) { return s.substr(0, pos); }
std::u16string_view After(std::u16string_view s, size_t pos) { return s.substr(pos + 1); }

void SplitHostAndPort(std::u16string_view authority, UrlParts& parts) {
    size_t open = authority.find(u'[');
    size_t close = open == npos ? npos : authority.find(u']', open + 1);
    if (close != npos) {
        parts.host = authority.substr(open + 1, close - open - 1);
        parts.ipv6 = true;
        size_t colon = authority.find(u':', close + 1);
        if (colon != npos) parts.port = After(authority, colon);
        parts.port_written = colon != npos;
        return;
    }
    size_t colon = authority.find(u':');
    parts.host = Before(authority, colon);
    if (colon != npos) parts.port = After(authority, colon);
    parts.port_written = colon != npos;
}

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsDottedQuad(std::u16string_view s) {
    int parts = 0;
    size_t i = 0;
    while (true) {
        size_t start = i;
        unsigned value = 0;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && i - start < 3) value = value * 10 + (s[i++] - u'0');
        if (i == start || value > 255) return false;
        ++parts;
        if (i == s.size()) return parts == 4;
        if (s[i] != u'.' || parts == 4) return false;
        ++i;
    }
}

}  // namespace

UrlParts SplitRequestUrl(std::u16string_view input) {
    std::u16string url(input);
    size_t scheme_end = url.find(u"://");
    size_t query_or_fragment = url.find_first_of(u"?#");
    UrlParts parts;
    if (scheme_end != npos) {
        size_t stop = query_or_fragment == npos ? url.size() : query_or_fragment;
        for (size_t i = scheme_end + 3; i < stop; ++i)
            if (url[i] == u'\\') {
                url[i] = u'/';
                ++parts.backslashes;
            }
    }

    std::u16string_view view(url);
    parts.protocol = Before(view, scheme_end);
    std::u16string_view rest = scheme_end == npos ? view : view.substr(scheme_end + 3);

    auto at = [&](std::u16string_view within, size_t pos) { return size_t(within.data() - view.data()) + pos; };
    if (size_t q = rest.find(u'?'); q != npos) {
        parts.query_at = at(rest, q);
        std::u16string_view params = After(rest, q);
        rest = Before(rest, q);
        if (size_t h = params.find(u'#'); h != npos) {
            parts.bookmark_at = at(params, h);
            parts.bookmark = After(params, h);
            params = Before(params, h);
        }
        parts.parameters = params;
    } else if (size_t h = rest.find(u'#'); h != npos) {
        parts.bookmark_at = at(rest, h);
        parts.bookmark = After(rest, h);
        rest = Before(rest, h);
    }

    size_t slash = rest.find(u'/');
    std::u16string_view authority = Before(rest, slash);
    rest = slash == npos ? std::u16string_view{} : After(rest, slash);

    if (size_t at = authority.rfind(u'@'); at != npos) {
        std::u16string_view user_info = Before(authority, at);
        authority = After(authority, at);
        size_t colon = user_info.find(u':');
        parts.user_name = Before(user_info, colon);
        if (colon != npos && !parts.user_name.empty()) parts.password = After(user_info, colon);
    }
    SplitHostAndPort(authority, parts);

    if (size_t last = rest.rfind(u'/'); last != npos) {
        parts.path = u"/";
        parts.path.append(rest.substr(0, last + 1));
        parts.document = After(rest, last);
    } else {
        parts.path = u"/";
        parts.document = rest;
    }
    return parts;
}

EncodeRequestResult EncodeRequest(std::u16string_view url) {
    EncodedUrl encoded{{}, SplitRequestUrl(url)};
    UrlParts& parts = encoded.parts;
    std::u16string& out = encoded.url;
    out = parts.protocol + u"://";
    if (parts.ipv6) out.append(u"[").append(parts.host).append(u"]");
    else out.append(parts.host);
    if (!parts.port.empty() && parts.port != u"80") out.append(u":").append(parts.port);
    // The escapes go straight onto the URL, into room made once for all three parts.
    const size_t path_size = EscapedSize(parts.path, EscapeRule::Path);
    const size_t document_size = EscapedSize(parts.document, EscapeRule::Path);
    const size_t parameters_size = EscapedSize(parts.parameters, EscapeRule::Parameters);
    out.reserve(out.size() + path_size + document_size + 1 + parameters_size);
    const size_t path_start = out.size();
    if (!Escape(parts.path, EscapeRule::Path, path_size, out) ||
        !Escape(parts.document, EscapeRule::Path, document_size, out))
        return EncodeFailure::UnpairedSurrogate;
    const size_t parameters_start = out.size() + 1;
    if (!parts.parameters.empty()) {
        out.push_back(u'?');
        if (!Escape(parts.parameters, EscapeRule::Parameters, parameters_size, out))
            return EncodeFailure::UnpairedSurrogate;
    }
    if (parts.protocol.empty() || parts.host.empty()) return EncodeFailure::EmptyHost;
    // The parts take their escaped forms from the URL just built: the split of
    // the encoded URL gives the same, so the exchange need not split it again.
    parts.path = out.substr(path_start, path_size);
    parts.document = out.substr(path_start + path_size, document_size);
    parts.parameters = parts.parameters.empty() ? std::u16string() : out.substr(parameters_start);
    return encoded;
}

EncodeResult EncodeRequestUrl(std::u16string_view url) {
    EncodeRequestResult result = EncodeRequest(url);
    if (auto* failure = std::get_if<EncodeFailure>(&result)) return *failure;
    return std::move(std::get<EncodedUrl>(result).url);
}

EncodedUrl ReadEncodedUrl(std::u16string_view encoded_url) {
    return {std::u16string(encoded_url), SplitRequestUrl(encoded_url)};
}

std::u16string RequestTarget(const UrlParts& parts) {
    std::u16string target = parts.path + parts.document;
    if (!parts.parameters.empty()) target.append(u"?").append(parts.parameters);
    return target;
}

std::u16string ConnectionPort(const UrlParts& parts) {
    return parts.port.empty() ? std::u16string(u"80") : parts.port;
}

std::u16string HostHeaderValue(const UrlParts& parts) {
    std::u16string value = parts.ipv6 && IsIpv6Literal(parts.host) ? u"[" + parts.host + u"]" : parts.host;
    std::u16string port = ConnectionPort(parts);
    if (port != u"80") value.append(u":").append(port);
    return value;
}

bool IsIpv6Literal(std::u16string_view host) {
    if (host.empty()) return false;
    int groups = 0;
    bool compressed = false;
    size_t i = 0;
    if (host.substr(0, 2) == u"::") {
        compressed = true;
        i = 2;
        if (i == host.size()) return true;
    } else if (host[0] == u':') {
        return false;
    }
    while (i < host.size()) {
        size_t start = i;
        while (i < host.size() && IsHexDigit(host[i]) && i - start < 5) ++i;
        size_t len = i - start;
        if (i < host.size() && host[i] == u'.') {  // embedded dotted IPv4 ends the address
            if (!IsDottedQuad(host.substr(start))) return false;
            groups += 2;
            i = host.size();
            break;
        }
        if (len == 0 || len > 4) return false;
        ++groups;
        if (i == host.size()) break;
        if (host[i] != u':') return false;
        ++i;
        if (i < host.size() && host[i] == u':') {
            if (compressed) return false;
            compressed = true;
            ++i;
            if (i == host.size()) break;
        } else if (i == host.size()) {
            return false;  // trailing single colon
        }
    }
    return compressed ? groups <= 7 : groups == 8;
}

}  // namespace lumvox::core
