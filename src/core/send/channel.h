#pragma once
// The channels to the speech program: each is one row of kChannels, and its
// send lives in its own file beside this one. Portable.
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace lumvox::core {

enum class SendChannel { App, Net, Clip };

struct SendRequest;
struct SendRecord;
struct SendLinks;
struct RecordingLinks;

struct ChannelRow {
    SendChannel channel;
    std::string_view name;          // for scripts and logs: "app", "net", "clip"
    std::u16string_view korean;     // the send log's column
    bool trims;                     // the text goes without its leading and trailing blanks
    bool takes_protocol;            // the protocol envelope, when asked for, wraps the text
    std::u16string_view empty_text_message;  // the window's message for an empty text
    std::u16string_view failure_message;     // the window's message for any failure without its own
    std::string_view delivered_english;      // lumvox-send's words for a delivery
    // Goes to a peer at a destination written HOST[:PORT], which replies:
    // lumvox-send's option takes the destination, a batch case and a --json line
    // carry it as "destination", --json the reply as "status" and "body", and
    // --repeat --concurrency sends several at once, each on its own link.
    bool to_destination;
    std::string_view sends_how;  // lumvox-send --repeat's words: "through the clipboard"
    // What a dry run prints: exactly what the channel's recording link was handed.
    std::string (*dry_run_words)(const RecordingLinks& recorded);
    bool (*has_link)(const SendLinks& links);  // this platform has the channel's link
    // Fills in the record what the channel did with the request's text. A stop
    // ends a send that waits on a peer (the network's); the others take
    // milliseconds and let it pass.
    void (*send)(const SendRequest& request, const SendLinks& links, std::stop_token stop, SendRecord& record);
};

const ChannelRow& ChannelOf(SendChannel channel);
// Every channel's row, in the order of SendChannel.
std::span<const ChannelRow* const> AllChannels();
std::string_view ChannelName(SendChannel channel);
std::optional<SendChannel> ChannelFromName(std::string_view name);

}  // namespace lumvox::core
