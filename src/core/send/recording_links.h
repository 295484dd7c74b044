#pragma once
// Links that record what a send would hand over instead of delivering it: a
// dry run is the real send through them, so that its refusals, causes,
// warnings and bytes are the real send's. Nothing leaves the process. Portable.
#include <optional>
#include <string>

#include "core/http_client.h"
#include "core/send/links.h"

namespace lumvox::core {

class RecordingSpeechApp final : public SpeechAppLink {
public:
    bool IsRunning() override { return true; }  // a dry run does not look for the window
    SendCause Send(std::u16string_view text) override;
    std::optional<std::u16string> sent;
};

// Checks the destination as the real exchange does before it connects (no name
// is looked up), then answers as the speech program does.
class RecordingNetwork final : public NetworkLink {
public:
    HttpReply Get(const EncodedUrl& url, std::stop_token stop) override;
    std::optional<EncodedUrl> url;
    ConnectTarget target;
};

class RecordingClipboard final : public ClipboardLink {
public:
    void PlaceText(std::u16string_view text) override { placed = text; }
    std::optional<std::u16string> placed;
};

struct RecordingLinks {
    RecordingSpeechApp app;
    RecordingNetwork net;
    RecordingClipboard clip;
    SendLinks Links() { return {.speech_app = &app, .network = &net, .clipboard = &clip}; }
};

}  // namespace lumvox::core
