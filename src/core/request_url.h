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
    std::u16string path;  // "/" ... up to and including the last "/"
    std::u16string document;
    std::u16string parameters;
    std::u16string bookmark;
};

// `url` must contain "://".
UrlParts SplitRequestUrl(std::u16string_view url);

enum class EncodeFailure { EmptyHost, UnpairedSurrogate };
using EncodeResult = std::variant<std::u16string, EncodeFailure>;

EncodeResult EncodeRequestUrl(std::u16string_view url);

// Derived from the split of an encoded URL.
std::u16string RequestTarget(const UrlParts& parts);    // path + document [+ "?" + parameters]
std::u16string ConnectionPort(const UrlParts& parts);   // port text, "80" when empty
std::u16string HostHeaderValue(const UrlParts& parts);  // host [":" port]

bool IsIpv6Literal(std::u16string_view host);

}  // namespace lumvox::core
