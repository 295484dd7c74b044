#include "send_outcome.h"

#include <iterator>
#include <stdexcept>

#include "page_messages.h"
#include "speech_app_link.h"
#include "utf.h"

namespace lumvox::core {
namespace {

std::u16string U(std::string_view utf8) { return Utf8ToUtf16(utf8).value_or(u"?"); }
std::u16string U(long long n) { return U(std::to_string(n)); }
std::string E(std::u16string_view text) { return ToUtf8Lossy(text); }
std::string Quoted(std::u16string_view text) { return "\"" + E(text) + "\""; }
std::u16string QuotedK(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

std::string_view CapNameEnglish(std::string_view limit) {
    if (limit == "line") return "a line";
    if (limit == "header") return "the header section";
    return "the body";
}

std::u16string_view CapNameKorean(std::string_view limit) {
    if (limit == "line") return u"한 줄";
    if (limit == "header") return u"헤더";
    return u"본문";
}

std::string HolderEnglish(const SendCause& c) {
    if (c.holder_window.empty() && c.holder_process.empty()) return "";
    std::string out = "; held open by";
    if (!c.holder_window.empty()) out += " the window " + Quoted(c.holder_window);
    if (!c.holder_process.empty()) out += (c.holder_window.empty() ? " the process " : " of the process ") + E(c.holder_process);
    return out;
}

std::u16string HolderKorean(const SendCause& c) {
    if (c.holder_window.empty() && c.holder_process.empty()) return u"";
    std::u16string out = u"; 열고 있는 것:";
    if (!c.holder_window.empty()) out += u" 창 " + QuotedK(c.holder_window);
    if (!c.holder_process.empty()) out += u" 프로세스 " + c.holder_process;
    return out;
}

std::u16string_view Orphan(char16_t c) {
    switch (c) {
    case u'\r': return u"\\r";
    case u'\n': return u"\\n";
    case u'\t': return u"\\t";
    case u'\\': return u"\\\\";
    default: return u"";
    }
}


using Parts = std::vector<Particular>;
Particular Text(std::string_view name, std::u16string_view value) { return {name, E(value)}; }
Particular Number(std::string_view name, long long value) { return {name, value}; }

std::string ThreadEnglish(Hung hung) {
    return hung == Hung::Hung   ? "the window's thread is hung"
           : hung == Hung::Busy ? "the window's thread is busy"
                                : "the window's thread is busy or hung";
}
std::u16string ThreadKorean(Hung hung) {
    return hung == Hung::Hung   ? u"창의 스레드가 응답하지 않습니다"
           : hung == Hung::Busy ? u"창의 스레드가 바쁩니다"
                                : u"창의 스레드가 바쁘거나 응답하지 않습니다";
}
std::string InParentheses(std::u16string_view words) { return words.empty() ? "" : " (" + E(words) + ")"; }
std::u16string InParenthesesK(std::u16string_view words) {
    return words.empty() ? u"" : u" (" + std::u16string(words) + u")";
}
Parts SystemText(const SendCause& c) { return {Text("systemText", c.system_text)}; }

// One row per cause: its name for scripts, the outcome the window's log shows,
// the outcome lumvox-send reports, the window's own message where it has one,
// its words in English and Korean, and the particulars that go with it into JSON.
struct CauseRow {
    CauseCode code;
    std::string_view name;
    SendOutcome outcome;
    SendOutcome script_outcome;  // see ScriptOutcomeOf
    std::u16string_view window_text;
    std::string (*english)(const SendCause&);
    std::u16string (*korean)(const SendCause&);
    Parts (*particulars)(const SendCause&);
};

namespace m = messages;
using O = SendOutcome;
using C = const SendCause&;

constexpr CauseRow kCauses[] = {
    {CauseCode::None, "none", O::Delivered, O::Delivered, u"", [](C) -> std::string { return "delivered"; },
     [](C) -> std::u16string { return u"전달됨"; }, nullptr},
    {CauseCode::EmptyText, "empty-text", O::Refused, O::Refused, u"", [](C) -> std::string { return "the text is empty"; },
     [](C) -> std::u16string { return u"문장이 비어 있습니다"; }, nullptr},
    {CauseCode::EmptyDestination, "empty-destination", O::Refused, O::Refused, m::kNoDestination,
     [](C) -> std::string { return "the host or the port is empty"; },
     [](C) -> std::u16string { return u"IP 또는 Port 번호가 비어 있습니다"; }, nullptr},
    {CauseCode::EmptyHost, "empty-host", O::Unreachable, O::Refused, u"",
     [](C c) {
         return "the destination " + Quoted(c.host) +
                " leaves no host name (an IPv6 address needs square brackets, as in [::1])";
     },
     [](C c) {
         return u"주소 " + QuotedK(c.host) + u"에 호스트 이름이 없습니다 (IPv6 주소는 [::1]처럼 대괄호로 감싸야 합니다)";
     },
     [](C c) { return Parts{Text("host", c.host)}; }},
    {CauseCode::BadHost, "bad-host", O::Unreachable, O::Refused, u"",
     [](C c) {
         return "the host " + Quoted(c.host) +
                " is neither a name nor an address: an IPv6 address goes in square brackets, as in [::1], and a "
                "port after it as :PORT";
     },
     [](C c) {
         return u"호스트 " + QuotedK(c.host) +
                u"는 이름도 주소도 아닙니다: IPv6 주소는 [::1]처럼 대괄호로 감싸고, 포트는 그 뒤에 :PORT로 씁니다";
     },
     [](C c) { return Parts{Text("host", c.host)}; }},
    {CauseCode::UnpairedSurrogate, "unpaired-surrogate", O::Unreachable, O::Refused, u"",
     [](C) -> std::string { return "the text holds a lone UTF-16 surrogate, which has no UTF-8 form"; },
     [](C) -> std::u16string { return u"문장에 UTF-8로 바꿀 수 없는 짝 없는 서로게이트가 있습니다"; }, nullptr},
    {CauseCode::BadPort, "bad-port", O::Unreachable, O::Refused, u"",
     [](C c) { return "the port " + Quoted(c.port) + " is not a whole number from 1 to 65535"; },
     [](C c) { return u"Port " + QuotedK(c.port) + u"는 1부터 65535까지의 정수가 아닙니다"; },
     [](C c) { return Parts{Text("port", c.port)}; }},
    {CauseCode::NoAddress, "no-address", O::Unreachable, O::Unreachable, u"",
     [](C c) { return "the name " + Quoted(c.host) + " has no address"; },
     [](C c) { return u"이름 " + QuotedK(c.host) + u"의 주소를 찾을 수 없습니다"; },
     [](C c) { return Parts{Text("host", c.host)}; }},
    {CauseCode::ConnectionRefused, "connection-refused", O::Unreachable, O::Unreachable, u"",
     [](C c) { return "the connection to " + c.address + " was refused: nothing listens on that port"; },
     [](C c) { return U(c.address) + u" 연결이 거부되었습니다 (그 포트에서 기다리는 프로그램이 없습니다)"; },
     [](C c) { return Parts{{"address", c.address}}; }},
    {CauseCode::ConnectFailed, "connect-failed", O::Unreachable, O::Unreachable, u"",
     [](C c) { return "the connection to " + c.address + " could not be made: " + E(c.system_text); },
     [](C c) { return U(c.address) + u"에 연결할 수 없습니다: " + c.system_text; },
     [](C c) { return Parts{{"address", c.address}, Text("systemText", c.system_text)}; }},
    {CauseCode::TimedOut, "timed-out", O::Unreachable, O::NotAcknowledged, u"",
     [](C c) {
         if (c.limit == "connect")
             return "no answer to the connection to " + c.address + " within the " + std::to_string(c.limit_value) +
                    " ms limit";
         if (c.limit == "send")
             return "the request could not be sent out: the peer took no more of it within the " +
                    std::to_string(c.limit_value) + " ms wait limit (after " + std::to_string(c.after_ms) + " ms)";
         if (c.limit == "reply")
             return "the reply stalled: no byte came within the " + std::to_string(c.limit_value) +
                    " ms wait limit (after " + std::to_string(c.after_ms) + " ms)";
         return "the exchange ran out its " + std::to_string(c.limit_value) + " ms limit (after " +
                std::to_string(c.after_ms) + " ms)";
     },
     [](C c) {
         if (c.limit == "connect") return U(c.address) + u" 연결에 제한 " + U(c.limit_value) + u" ms 안에 응답이 없습니다";
         if (c.limit == "send")
             return u"요청을 다 보내지 못했습니다: 대기 제한 " + U(c.limit_value) + u" ms 안에 상대가 더 받지 않았습니다 (" +
                    U(c.after_ms) + u" ms 후)";
         if (c.limit == "reply")
             return u"응답이 멈췄습니다: 대기 제한 " + U(c.limit_value) + u" ms 안에 받은 바이트가 없습니다 (" +
                    U(c.after_ms) + u" ms 후)";
         return u"교환 제한 " + U(c.limit_value) + u" ms가 다 되었습니다 (" + U(c.after_ms) + u" ms 후)";
     },
     [](C c) {
         Parts out{{"limit", c.limit}, Number("limitMs", c.limit_value)};
         if (c.limit == "connect") out.push_back({"address", c.address});
         else out.push_back(Number("afterMs", c.after_ms));
         return out;
     }},
    {CauseCode::ConnectionReset, "connection-reset", O::Unreachable, O::NotAcknowledged, u"",
     [](C c) { return "the connection was reset before the reply was whole" + InParentheses(c.system_text); },
     [](C c) { return u"응답을 다 받기 전에 연결이 끊겼습니다" + InParenthesesK(c.system_text); }, &SystemText},
    {CauseCode::ClosedEarly, "closed-early", O::Unreachable, O::NotAcknowledged, u"",
     [](C c) { return "the peer closed the connection before the reply was whole" + InParentheses(c.system_text); },
     [](C c) { return u"응답을 다 받기 전에 상대가 연결을 닫았습니다" + InParenthesesK(c.system_text); }, &SystemText},
    {CauseCode::BadStatusLine, "bad-status-line", O::Unreachable, O::NotAcknowledged, u"",
     [](C) -> std::string { return "the reply's status line has no readable status code"; },
     [](C) -> std::u16string { return u"응답의 상태 줄에 읽을 수 있는 상태 코드가 없습니다"; }, nullptr},
    {CauseCode::BadChunk, "bad-chunk", O::NotAcknowledged, O::NotAcknowledged, m::kSendError,
     [](C c) {
         return "the reply is broken: its chunk size " + Quoted(U(c.chunk_size)) +
                " is not a hexadecimal number, so its body ended there after " + std::to_string(c.body_length) +
                " bytes, without \"sent\"";
     },
     [](C c) {
         return u"응답이 깨졌습니다: 청크 크기 " + QuotedK(U(c.chunk_size)) + u"가 16진수가 아니어서 본문이 " +
                U(static_cast<long long>(c.body_length)) + u" 바이트에서 끝났고 \"sent\"가 없습니다";
     },
     [](C c) {
         return Parts{Number("status", c.status), {"chunkSize", c.chunk_size},
                      Number("bodyLength", static_cast<long long>(c.body_length))};
     }},
    {CauseCode::OverLimit, "over-limit", O::Unreachable, O::NotAcknowledged, u"",
     [](C c) {
         if (c.limit == "header-lines")
             return "the reply went over a cap: more than " + std::to_string(c.limit_value) + " header lines";
         return "the reply went over a cap: " + std::string(CapNameEnglish(c.limit)) + " over " +
                std::to_string(c.limit_value) + " bytes";
     },
     [](C c) {
         if (c.limit == "header-lines") return u"응답의 헤더 줄이 한도 " + U(c.limit_value) + u"줄을 넘었습니다";
         return u"응답의 " + std::u16string(CapNameKorean(c.limit)) + u"이(가) 한도 " + U(c.limit_value) +
                u" 바이트를 넘었습니다";
     },
     [](C c) {
         return Parts{{"limit", c.limit}, Number(c.limit == "header-lines" ? "capLines" : "capBytes", c.limit_value)};
     }},
    {CauseCode::NotSuccess, "not-success", O::Unreachable, O::NotAcknowledged, u"",
     [](C c) {
         return "the reply's status is " + std::to_string(c.status) + (c.reason.empty() ? "" : " " + c.reason) +
                ", not 2xx" + (c.system_text.empty() ? "" : "; then the connection dropped (" + E(c.system_text) + ")");
     },
     [](C c) {
         return u"응답 상태가 2xx가 아닙니다: " + U(c.status) + (c.reason.empty() ? u"" : u" " + U(c.reason)) +
                (c.system_text.empty() ? u"" : u"; 그 뒤 연결이 끊겼습니다 (" + c.system_text + u")");
     },
     [](C c) {
         Parts out{Number("status", c.status), {"reason", c.reason}};
         if (!c.system_text.empty()) out.push_back(Text("dropped", c.system_text));
         return out;
     }},
    {CauseCode::NotUtf8, "not-utf8", O::Unreachable, O::NotAcknowledged, u"",
     [](C c) { return "the reply's body is not UTF-8: the first bad sequence is at byte " + std::to_string(c.offset); },
     [](C c) {
         return u"응답 본문이 UTF-8이 아닙니다: 처음 잘못된 곳은 바이트 " + U(static_cast<long long>(c.offset));
     },
     [](C c) { return Parts{Number("byteOffset", static_cast<long long>(c.offset))}; }},
    {CauseCode::NoAcknowledgement, "no-acknowledgement", O::NotAcknowledged, O::NotAcknowledged, m::kSendError,
     [](C c) {
         return "the reply (status " + std::to_string(c.status) + ", body of " + std::to_string(c.body_length) +
                " bytes) does not contain \"sent\": " + Quoted(c.body_start);
     },
     [](C c) {
         return u"응답(상태 " + U(c.status) + u", 본문 " + U(static_cast<long long>(c.body_length)) +
                u" 바이트)에 \"sent\"가 없습니다: " + QuotedK(c.body_start);
     },
     [](C c) {
         return Parts{Number("status", c.status), Number("bodyLength", static_cast<long long>(c.body_length)),
                      Text("bodyStart", c.body_start)};
     }},
    {CauseCode::ExchangeFailed, "exchange-failed", O::Unreachable, O::Failed, u"",
     [](C c) { return "the exchange failed: " + E(c.system_text); },
     [](C c) { return u"교환에 실패했습니다: " + c.system_text; }, &SystemText},
    {CauseCode::Cancelled, "cancelled", O::Failed, O::Failed, u"",
     [](C) -> std::string { return "the user cancelled the send before the exchange ended"; },
     [](C) -> std::u16string { return u"교환이 끝나기 전에 사용자가 전송을 취소했습니다"; }, nullptr},
    {CauseCode::NoWindow, "no-window", O::Unreachable, O::Unreachable, m::kNotRunning,
     [](C) -> std::string { return "no window titled \"Lumvox\" was found"; },
     [](C) -> std::u16string { return u"제목이 \"Lumvox\"인 최상위 창이 없습니다"; }, nullptr},
    {CauseCode::WindowGone, "window-gone", O::Unreachable, O::Unreachable, u"",
     [](C) -> std::string { return "the window titled \"Lumvox\" closed before the text went"; },
     [](C) -> std::u16string { return u"보내기 전에 \"Lumvox\" 창이 닫혔습니다"; }, nullptr},
    {CauseCode::NotConfirmed, "not-confirmed", O::NotAcknowledged, O::NotAcknowledged, u"",
     [](C c) {
         return "not confirmed within " + std::to_string(kCopyDataTimeoutMs) + " ms: " + ThreadEnglish(c.hung) +
                " (a slow window may still take the text)";
     },
     [](C c) {
         return U(kCopyDataTimeoutMs) + u" ms 안에 확인되지 않았습니다: " + ThreadKorean(c.hung) +
                u" (느린 창은 나중에 받을 수도 있습니다)";
     },
     [](C c) {
         const char* thread = c.hung == Hung::Hung ? "hung" : c.hung == Hung::Busy ? "busy" : "busy-or-hung";
         return Parts{Number("timeoutMs", kCopyDataTimeoutMs), {"thread", std::string(thread)}};
     }},
    {CauseCode::MessageRefused, "message-refused", O::Failed, O::Failed, u"",
     [](C c) {
         return "the system refused the message: error " + std::to_string(c.system_code) + ", " + E(c.system_text);
     },
     [](C c) { return u"시스템이 메시지를 거부했습니다: 오류 " + U(c.system_code) + u", " + c.system_text; },
     [](C c) { return Parts{Number("systemCode", c.system_code), Text("systemText", c.system_text)}; }},
    {CauseCode::ClipboardBusy, "clipboard-busy", O::Failed, O::Failed, u"",
     [](C c) { return "the clipboard could not be opened: " + E(c.system_text) + HolderEnglish(c); },
     [](C c) { return u"클립보드를 열 수 없습니다: " + c.system_text + HolderKorean(c); },
     [](C c) {
         Parts out{Number("systemCode", c.system_code), Text("systemText", c.system_text)};
         if (!c.holder_window.empty()) out.push_back(Text("holderWindow", c.holder_window));
         if (!c.holder_process.empty()) out.push_back(Text("holderProcess", c.holder_process));
         return out;
     }},
    {CauseCode::ClipboardFailed, "clipboard-failed", O::Failed, O::Failed, u"",
     [](C c) { return "the text could not be placed on the clipboard: " + E(c.system_text); },
     [](C c) { return u"클립보드에 넣을 수 없습니다: " + c.system_text; }, &SystemText},
    {CauseCode::FileUnreadable, "file-unreadable", O::Failed, O::Failed, u"",
     [](C c) { return "the file " + Quoted(c.path) + " could not be read: " + E(c.system_text); },
     [](C c) { return u"파일 " + QuotedK(c.path) + u"을(를) 읽을 수 없습니다: " + c.system_text; },
     [](C c) { return Parts{Text("path", c.path), Text("systemText", c.system_text)}; }},
    {CauseCode::FileNotUtf8, "file-not-utf8", O::Failed, O::Failed, u"",
     [](C c) {
         return "the file is not well-formed UTF-8: the first bad sequence is at byte " + std::to_string(c.offset);
     },
     [](C c) {
         return u"파일이 올바른 UTF-8이 아닙니다: 처음 잘못된 곳은 바이트 " + U(static_cast<long long>(c.offset));
     },
     [](C c) { return Parts{Number("byteOffset", static_cast<long long>(c.offset))}; }},
    {CauseCode::InputUnreadable, "input-unreadable", O::Failed, O::Failed, u"",
     [](C c) { return "standard input could not be read: " + E(c.system_text); },
     [](C c) { return u"표준 입력을 읽을 수 없습니다: " + c.system_text; }, &SystemText},
    {CauseCode::InputNotUtf8, "input-not-utf8", O::Failed, O::Failed, u"",
     [](C c) {
         return "standard input is not well-formed UTF-8: the first bad sequence is at byte " + std::to_string(c.offset);
     },
     [](C c) {
         return u"표준 입력이 올바른 UTF-8이 아닙니다: 처음 잘못된 곳은 바이트 " + U(static_cast<long long>(c.offset));
     },
     [](C c) { return Parts{Number("byteOffset", static_cast<long long>(c.offset))}; }},
    {CauseCode::StoppedByMarkupError, "stopped-by-markup-error", O::MarkupError, O::MarkupError, u"",
     [](C) -> std::string { return "not sent: the markup has an error (--strict)"; },
     [](C) -> std::u16string { return u"보내지 않음: 마크업에 오류가 있습니다 (--strict)"; }, nullptr},
    {CauseCode::StoppedByWarning, "stopped-by-warning", O::Warned, O::Warned, u"",
     [](C) -> std::string { return "--strict: the wire would change the text, so nothing was sent"; },
     [](C) -> std::u16string { return u"--strict: 전송 과정이 문장을 바꾸므로 보내지 않았습니다"; }, nullptr},
};

// The row of a cause is kCauses[cause]: a cause without its row, or rows out
// of the enumeration's order, do not build.
static_assert(std::size(kCauses) == static_cast<std::size_t>(CauseCode::Count), "one row per cause");
constexpr bool CausesInOrder() {
    for (std::size_t i = 0; i < std::size(kCauses); ++i)
        if (static_cast<std::size_t>(kCauses[i].code) != i) return false;
    return true;
}
static_assert(CausesInOrder(), "kCauses lists the causes in the enumeration's order");

const CauseRow& Row(CauseCode code) {
    const auto index = static_cast<std::size_t>(code);
    if (index >= std::size(kCauses)) throw std::out_of_range("no such cause");
    return kCauses[index];
}

struct OutcomeRow {
    SendOutcome outcome;
    std::string_view name;  // scripts read it
    std::u16string_view korean;
    int exit_code;
};
constexpr OutcomeRow kOutcomes[] = {
    {O::Delivered, "delivered", u"전달됨", 0},
    {O::Usage, "usage", u"사용법 오류", 2},
    {O::Refused, "refused", u"보내지 않음", 3},
    {O::Unreachable, "unreachable", u"닿지 못함", 4},
    {O::NotAcknowledged, "not-acknowledged", u"확인 안 됨", 5},
    {O::Failed, "failed", u"실패", 6},
    {O::MarkupError, "markup-error", u"마크업 오류", 7},
    {O::Warned, "warned", u"경고로 멈춤", 7},
};
static_assert(std::size(kOutcomes) == static_cast<std::size_t>(SendOutcome::Count), "one row per outcome");
constexpr bool OutcomesInOrder() {
    for (std::size_t i = 0; i < std::size(kOutcomes); ++i)
        if (static_cast<std::size_t>(kOutcomes[i].outcome) != i) return false;
    return true;
}
static_assert(OutcomesInOrder(), "kOutcomes lists the outcomes in the enumeration's order");

const OutcomeRow& Row(SendOutcome outcome) {
    const auto index = static_cast<std::size_t>(outcome);
    if (index >= std::size(kOutcomes)) throw std::out_of_range("no such outcome");
    return kOutcomes[index];
}

}  // namespace

void SendRecord::SetCause(SendCause new_cause) {
    outcome = OutcomeOf(new_cause.code);
    cause = std::move(new_cause);
}

std::string_view OutcomeName(SendOutcome outcome) { return Row(outcome).name; }
std::u16string_view OutcomeKorean(SendOutcome outcome) { return Row(outcome).korean; }
int OutcomeExitCode(SendOutcome outcome) { return Row(outcome).exit_code; }

std::optional<SendOutcome> OutcomeFromName(std::string_view name) {
    for (const OutcomeRow& row : kOutcomes)
        if (name == row.name) return row.outcome;
    return std::nullopt;
}

std::string_view CauseName(CauseCode code) { return Row(code).name; }
SendOutcome OutcomeOf(CauseCode code) { return Row(code).outcome; }
SendOutcome ScriptOutcomeOf(const SendCause& cause) {
    // Running out of the connect limit reached nobody; any other limit ran out
    // on a peer that had taken the connection.
    if (cause.code == CauseCode::TimedOut && cause.limit == "connect") return SendOutcome::Unreachable;
    return Row(cause.code).script_outcome;
}
std::u16string_view CauseWindowText(CauseCode code) { return Row(code).window_text; }
std::string CauseTextEnglish(const SendCause& cause) { return Row(cause.code).english(cause); }
std::u16string CauseTextKorean(const SendCause& cause) { return Row(cause.code).korean(cause); }

std::vector<Particular> Particulars(const SendCause& cause) {
    const CauseRow& row = Row(cause.code);
    return row.particulars ? row.particulars(cause) : std::vector<Particular>{};
}

std::string_view WarningName(WarningCode code) {
    switch (code) {
    case WarningCode::HashCutsText: return "hash-cuts-text";
    case WarningCode::QueryMakesParameters: return "query-makes-parameters";
    case WarningCode::BackslashBecomesSlash: return "backslash-becomes-slash";
    case WarningCode::NulCharacter: return "nul-character";
    case WarningCode::DelCharacter: return "del-character";
    case WarningCode::LongRequestLine: return "long-request-line";
    }
    return "";
}

std::string WarningTextEnglish(const WireWarning& w) {
    const std::string at = "at character " + std::to_string(w.position + 1);
    switch (w.code) {
    case WarningCode::HashCutsText:
        return "\"#\" " + at + " cuts the text: it and the " + std::to_string(w.count - 1) +
               " characters after it (" + Quoted(w.excerpt) + ") are not sent, nor is the closing \"=lumvox\"";
    case WarningCode::QueryMakesParameters:
        return "\"?\" " + at + " turns the rest into parameters, where \"+\" travels raw (" +
               std::to_string(w.count) + " there): a receiver that decodes form-style reads it as a space";
    case WarningCode::BackslashBecomesSlash:
        return std::to_string(w.count) + " backslash" + (w.count == 1 ? "" : "es") + " (the first " + at +
               ") go out as \"/\"";
    case WarningCode::NulCharacter:
        return "U+0000 " + at + " (" + std::to_string(w.count) + " in all): most receivers stop reading there";
    case WarningCode::DelCharacter:
        return "U+007F " + at + " (" + std::to_string(w.count) +
               " in all) goes out as a raw byte in the request line, which strict HTTP servers refuse";
    case WarningCode::LongRequestLine:
        return "the request line is " + std::to_string(w.count) + " bytes: many HTTP servers refuse one over " +
               std::to_string(kCommonRequestLineCap) + " bytes" +
               (w.count > kStandInRequestHeadCap
                    ? ", and the stand-in refuses a request head over " + std::to_string(kStandInRequestHeadCap) +
                          " bytes (4 MiB) with 431"
                    : "");
    }
    return "";
}

std::u16string WarningTextKorean(const WireWarning& w) {
    const std::u16string at = U(static_cast<long long>(w.position + 1)) + u"번째 글자";
    switch (w.code) {
    case WarningCode::HashCutsText:
        return at + u"의 \"#\"부터 " + U(static_cast<long long>(w.count)) + u"글자(" + QuotedK(w.excerpt) +
               u")와 닫는 \"=lumvox\"가 전송되지 않습니다";
    case WarningCode::QueryMakesParameters:
        return at + u"의 \"?\" 뒤는 매개변수가 되어 \"+\"가 그대로 갑니다(" + U(static_cast<long long>(w.count)) +
               u"개): 폼 방식으로 해독하는 수신 측은 공백으로 읽습니다";
    case WarningCode::BackslashBecomesSlash:
        return u"역슬래시 " + U(static_cast<long long>(w.count)) + u"개(처음은 " + at + u")가 \"/\"로 바뀌어 갑니다";
    case WarningCode::NulCharacter:
        return at + u"에 U+0000이 있습니다(모두 " + U(static_cast<long long>(w.count)) +
               u"개): 대부분의 수신 측은 그곳에서 읽기를 멈춥니다";
    case WarningCode::DelCharacter:
        return at + u"에 U+007F가 있습니다(모두 " + U(static_cast<long long>(w.count)) +
               u"개): 요청 줄에 그대로 가는 이 바이트를 엄격한 HTTP 서버는 거부합니다";
    case WarningCode::LongRequestLine:
        return u"요청 줄이 " + U(static_cast<long long>(w.count)) + u" 바이트입니다: 많은 HTTP 서버는 " +
               U(static_cast<long long>(kCommonRequestLineCap)) + u" 바이트를 넘는 줄을 거부합니다" +
               (w.count > kStandInRequestHeadCap
                    ? u", 대역 프로그램은 " + U(static_cast<long long>(kStandInRequestHeadCap)) +
                          u" 바이트(4 MiB)를 넘는 요청 머리를 431로 거부합니다"
                    : u"");
    }
    return u"";
}

std::u16string EscapedStart(std::u16string_view text, std::size_t max_chars) {
    std::u16string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size() && chars < max_chars; ++i, ++chars) {
        char16_t c = text[i];
        if (std::u16string_view named = Orphan(c); !named.empty()) {
            out += named;
        } else if (c < 0x20 || c == 0x7F) {
            static constexpr char16_t kHex[] = u"0123456789ABCDEF";
            out += u"\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += c;
            if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) out += text[++i];
        }
    }
    return out;
}

}  // namespace lumvox::core
