#pragma once
// Reads an HTTP reply by the workshop's acceptance rules from any byte source,
// so that the socket, the tests and the fuzzer all run the same reader.
#include <cstddef>
#include <span>
#include <string>
#include <variant>

#include "core/http_client.h"

namespace lumvox::core {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills at least one byte of `out` and returns the count, or returns 0 once
    // the peer has closed in an orderly way. Throws HttpFailureError when the
    // connection breaks or a time limit runs out.
    virtual std::size_t Read(std::span<char> out) = 0;
};

// Reads the status line and headers (dropping interim 1xx replies but 101) and the
// body of the final reply, whatever its status. Only the size caps of `limits`
// apply here; the source keeps the time limits.
HttpReply ReadReply(ByteSource& source, const HttpLimits& limits);

// The body of a 2xx reply as strict UTF-8 text, a byte-order mark kept as U+FEFF;
// for any other status and for ill-formed UTF-8, the failure as a value.
using ReplyTextResult = std::variant<std::u16string, HttpFailureError>;
ReplyTextResult ReplyText(const HttpReply& reply);

}  // namespace lumvox::core
