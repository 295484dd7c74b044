#include "core/send/recording_links.h"

namespace lumvox::core {

SendCause RecordingSpeechApp::Send(std::u16string_view text) {
    sent = text;
    return {};
}

HttpReply RecordingNetwork::Get(const EncodedUrl& encoded, std::stop_token) {
    target = CheckedTarget(encoded.parts);
    url = encoded;
    return HttpReply{200, "sent", "OK"};
}

}  // namespace lumvox::core
