#pragma once
// Raw replies and what the workshop makes of them; read from memory by the
// reader tests and served over loopback by the exchange tests.
#include <optional>
#include <ostream>
#include <string_view>

#include "core/http_client.h"

namespace lumvox::core {

inline std::ostream& operator<<(std::ostream& out, HttpFailure failure) {
    static constexpr const char* kNames[] = {"BadUrl",      "BadPort",       "BadHost",   "NoAddress", "Refused",
                                             "ConnectFailed", "TimedOut",   "Broken",    "ClosedEarly",
                                             "BadStatusLine", "OverLimit",  "NotSuccess", "NotUtf8",
                                             "Cancelled"};
    return out << kNames[static_cast<int>(failure)];
}

}  // namespace lumvox::core

namespace lumvox::core::test {

struct ReplyCase {
    std::string_view name;
    std::string_view reply;  // every byte the peer sends before it closes
    int status;              // 0: reading the reply fails with `failure`
    std::string_view body;
    std::optional<std::u16string_view> text;  // HttpGetText's result; none: it fails with `failure`
    HttpFailure failure = HttpFailure::BadUrl;
};

using enum HttpFailure;
using namespace std::string_view_literals;

inline const ReplyCase kReplyCases[] = {
    {"content length", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", 200, "sent", u"sent"},
    {"content length stops reading", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent and more", 200, "sent", u"sent"},
    {"content length zero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nsent", 200, "", u""},
    {"letter case of the body kept", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nSENT", 200, "SENT", u"SENT"},
    {"chunked se+nt", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nse\r\n2\r\nnt\r\n0\r\n\r\n", 200, "sent",
     u"sent"},
    {"Transfer-Encoding: Chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n4\r\nsent\r\n0\r\n\r\n", 200,
     "sent", u"sent"},
    {"chunked among codings, any case",
     "HTTP/1.1 200 OK\r\ntransfer-encoding: gzip, CHUNKED\r\n\r\n4\r\nsent\r\n0\r\n\r\n", 200, "sent", u"sent"},
    {"chunked wins over content length",
     "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\n\r\n", 200, "sent",
     u"sent"},
    {"hex chunk sizes", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\na\r\n0123456789\r\n0011\r\nabcdefABCDEF sent\r\n0\r\n\r\n",
     200, "0123456789abcdefABCDEF sent", u"0123456789abcdefABCDEF sent"},
    {"chunk extensions ignored",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2;name=value\r\nse\r\n2 ; x=\"y\"\r\nnt\r\n0;last\r\n\r\n", 200,
     "sent", u"sent"},
    {"unreadable chunk size ends the body",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nse\r\nzz\r\n\r\n", 200, "se", u"se"},
    {"empty chunk size ends the body", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n\r\n\r\n", 200,
     "sent", u"sent"},
    {"trailers dropped",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\nX-Check: 1\r\nX-More: 2\r\n\r\n", 200, "sent",
     u"sent"},
    {"close after the last chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\n", 200, "sent",
     u"sent"},
    {"HTTP/1.0 read to close", "HTTP/1.0 200 OK\r\n\r\nmessage sent", 200, "message sent", u"message sent"},
    {"Content-Length: abc read to close", "HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\nmessage sent", 200,
     "message sent", u"message sent"},
    {"negative content length read to close", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nsent", 200, "sent", u"sent"},
    {"header names in any case", "HTTP/1.1 200 OK\r\nCONTENT-length : 4\r\n\r\nsent!", 200, "sent", u"sent"},
    {"first content length counts", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 4\r\n\r\nsent", 200, "se",
     u"se"},
    {"bare LF line ends", "HTTP/1.1 200 OK\nContent-Length: 4\n\nsent", 200, "sent", u"sent"},
    {"bare LF in chunks", "HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n2\nse\n2\r\nnt\n0\n\n", 200, "sent", u"sent"},
    {"100 then 200", "HTTP/1.1 100 Continue\r\nX-Note: a\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", 200,
     "sent", u"sent"},
    {"two 100s then 200", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 200 OK\r\n\r\nsent", 200,
     "sent", u"sent"},
    {"100 framing forgotten", "HTTP/1.1 100 Continue\r\nContent-Length: 2\r\n\r\nHTTP/1.1 200 OK\r\n\r\nsent", 200,
     "sent", u"sent"},
    {"101 fails", "HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\nsent", 101, "", std::nullopt, NotSuccess},
    // Every interim reply but 101 is read past (RFC 9110, 15.2).
    {"103 then 200", "HTTP/1.1 103 Early Hints\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent", 200, "sent",
     u"sent"},
    {"102 and 103 then 200",
     "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\n"
     "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nsent",
     200, "sent", u"sent"},
    {"199 then 404", "HTTP/1.1 199 Whatever\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nsent", 404,
     "sent", std::nullopt, NotSuccess},
    {"103 framing forgotten", "HTTP/1.1 103 Early Hints\r\nContent-Length: 2\r\n\r\nHTTP/1.1 200 OK\r\n\r\nsent", 200,
     "sent", u"sent"},
    {"closed after a 103", "HTTP/1.1 103 Early Hints\r\n\r\n", 0, "", std::nullopt, ClosedEarly},
    {"204 reads no body", "HTTP/1.1 204 No Content\r\nContent-Length: 4\r\n\r\nsent", 204, "", u""},
    {"201 succeeds", "HTTP/1.1 201 Created\r\nContent-Length: 4\r\n\r\nsent", 201, "sent", u"sent"},
    {"299 succeeds", "HTTP/1.1 299 Whatever\r\nContent-Length: 4\r\n\r\nsent", 299, "sent", u"sent"},
    {"302 fails", "HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 4\r\n\r\nsent", 302, "sent", std::nullopt,
     NotSuccess},
    {"404 fails", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nsent", 404, "sent", std::nullopt, NotSuccess},
    {"500 fails", "HTTP/1.1 500 Internal Server Error\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n0\r\n\r\n", 500,
     "sent", std::nullopt, NotSuccess},
    {"300 fails", "HTTP/1.0 300 Multiple Choices\r\n\r\nsent", 300, "sent", std::nullopt, NotSuccess},
    {"status line without reason", "HTTP/1.1 200\r\nContent-Length: 4\r\n\r\nsent", 200, "sent", u"sent"},
    {"BOM + sent", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n\xEF\xBB\xBFsent", 200, "\xEF\xBB\xBFsent", u"\uFEFFsent"},
    {"sent + 0xE9 fails decoding", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsent\xE9", 200, "sent\xE9", std::nullopt,
     NotUtf8},
    {"encoded surrogate fails decoding", "HTTP/1.0 200 OK\r\n\r\nsent\xED\xA0\x80", 200, "sent\xED\xA0\x80", std::nullopt,
     NotUtf8},
    {"Hangul, charset ignored",
     "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=iso-8859-1\r\nContent-Encoding: gzip\r\nContent-Length: 11\r\n\r\n"
     "\xEC\xA0\x84\xEC\x86\xA1 sent",
     200, "\xEC\xA0\x84\xEC\x86\xA1 sent", u"전송 sent"},
    {"NUL bytes in the body", "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nse\0\0nt"sv, 200, "se\0\0nt"sv, u"se\0\0nt"sv},
    {"status line without a number", "HTTP/1.1 OK\r\nContent-Length: 4\r\n\r\nsent", 0, "", std::nullopt, BadStatusLine},
    {"status line of one field", "HTTP/1.1\r\nContent-Length: 4\r\n\r\nsent", 0, "", std::nullopt, BadStatusLine},
    {"status code with a letter", "HTTP/1.1 2O0 OK\r\n\r\nsent", 0, "", std::nullopt, BadStatusLine},
    {"status line empty", "\r\nHTTP/1.1 200 OK\r\n\r\nsent", 0, "", std::nullopt, BadStatusLine},
    {"closed before replying", "", 0, "", std::nullopt, ClosedEarly},
    {"closed inside the status line", "HTTP/1.1 200", 0, "", std::nullopt, ClosedEarly},
    {"closed inside the headers", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n", 0, "", std::nullopt, ClosedEarly},
    {"closed inside a counted body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nsent", 0, "", std::nullopt, ClosedEarly},
    {"closed inside a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nse", 0, "", std::nullopt,
     ClosedEarly},
    {"closed before the last chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nsent\r\n", 0, "",
     std::nullopt, ClosedEarly},
};

}  // namespace lumvox::core::test
