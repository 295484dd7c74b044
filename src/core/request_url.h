#pragma once
// Splitting and percent-encoding of the network channel's request URL, and the
// values the HTTP exchange derives from the encoded URL.
#include <string>
#include <string_view>
#include <variant>

namespace lumvox::core {

struct UrlParts {
    std::u16string protocol;
    std::u16string user_name;
    std::u16string password;
    std::u16string host;  // without square brackets
    bool ipv6 = false;    // host was written in square brackets
    std::u16string port;  // as typed, never validated
    bool port_written = false;  // a ":" named a port, even an empty one
    std::u16string path;  // "/" ... up to and including the last "/"
    std::u16string document;
    std::u16string parameters;
    std::u16string bookmark;
    // Where the input had the "?" that starts the parameters and the "#" that
    // starts the bookmark (npos when none), and how many backslashes became "/".
    size_t query_at = std::u16string_view::npos;
    size_t bookmark_at = std::u16string_view::npos;
    size_t backslashes = 0;
};

// `url` must contain "://".
UrlParts SplitRequestUrl(std::u16string_view url);

enum class EncodeFailure { EmptyHost, UnpairedSurrogate };
using EncodeResult = std::variant<std::u16string, EncodeFailure>;

EncodeResult EncodeRequestUrl(std::u16string_view url);

// A URL split once: the encoded URL and its parts, with path, document and
// parameters escaped. The exchange reads everything it needs from the parts.
struct EncodedUrl {
    std::u16string url;
    UrlParts parts;
};
using EncodeRequestResult = std::variant<EncodedUrl, EncodeFailure>;

// What EncodeRequestUrl does, keeping the split.
EncodeRequestResult EncodeRequest(std::u16string_view url);
// An URL that is already encoded, split as it stands.
EncodedUrl ReadEncodedUrl(std::u16string_view encoded_url);

// Derived from the split of an encoded URL.
std::u16string RequestTarget(const UrlParts& parts);    // path + document [+ "?" + parameters]
std::u16string ConnectionPort(const UrlParts& parts);   // port text, "80" when empty
std::u16string HostHeaderValue(const UrlParts& parts);  // host [":" port]

bool IsIpv6Literal(std::u16string_view host);

}  // namespace lumvox::core
