#pragma once
// One HTTP/1.1 GET over a fresh TCP connection, as the network channel sends it.
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumvox_unit {

// Every failure of an exchange. Its text is for tests and logs; the window shows
// its own connectivity message instead.
class HttpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `encoded_url` has passed through EncodeRequestUrl. Returns the reply body
// decoded as strict UTF-8; throws HttpError on any failure.
std::u16string HttpGetText(std::u16string_view encoded_url);

}  // namespace lumvox_unit
