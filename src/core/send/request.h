#pragma once
// One send as a value, built once from the window's page or from lumvox-send's
// options, and the one function that sends it. Portable.
#include <cstddef>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/send/channel.h"
#include "core/send/links.h"
#include "core/send_outcome.h"

namespace lumvox::core {

struct SendRequest {
    SendChannel channel = SendChannel::App;
    std::u16string text;        // as the page or the option holds it, untrimmed
    bool protocol = false;      // the protocol envelope is asked for (where the channel takes it)
    std::u16string host, port;  // the network destination as written
};

// What the channel hands the speech program, and where the request's text
// stands in it, so that findings in it lead back to the text.
struct Handover {
    std::u16string text;         // trimmed where the channel trims, enveloped where asked
    std::size_t text_begin = 0;  // first code unit of the request's text that is kept
    std::size_t text_length = 0;
    std::size_t lead = 0;        // code units the envelope puts before it
};
Handover HandoverOf(const SendRequest& request);

// The same rule without the copy: the part of `text` that `channel` keeps, and
// whether the envelope goes around it. A check that only reads the handover
// reads `kept` in place when nothing is wrapped.
struct HandoverParts {
    std::u16string_view kept;    // trimmed where the channel trims
    std::size_t text_begin = 0;  // where `kept` starts in `text`
    bool enveloped = false;
};
HandoverParts HandoverPartsOf(SendChannel channel, std::u16string_view text, bool protocol);
Handover HandoverOf(const HandoverParts& parts);

// Sends the request through its channel's link and returns its record, whatever
// the outcome. A failure that goes to the general error report (the clipboard's)
// is recorded with its message in error_report. A stop asked for from another
// thread ends a network send early, with the cause "cancelled".
SendRecord Send(const SendRequest& request, const SendLinks& links, std::stop_token stop = {});

// The window's fixed message for a send, or empty where the window shows none.
std::u16string_view WindowMessage(const SendRecord& record);

// A send's outcome in words for the status line: "전송됨", or the cause.
std::u16string OutcomeWords(const SendRecord& record);
// What the status line says while a network send waits: where it goes, and
// that Escape cancels it.
std::u16string SendingWords(const SendRequest& request);

}  // namespace lumvox::core
