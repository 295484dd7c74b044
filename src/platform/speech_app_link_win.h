#pragma once
#include <string_view>

#include "core/speech_app_link.h"

namespace lumvox::win {

bool IsSpeechAppRunning();
void SendToSpeechApp(std::u16string_view text);

class WindowMessageLink final : public core::SpeechAppLink {
public:
    bool IsRunning() override { return IsSpeechAppRunning(); }
    void Send(std::u16string_view text) override { SendToSpeechApp(text); }
};

}  // namespace lumvox::win
