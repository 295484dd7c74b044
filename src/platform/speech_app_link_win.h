#pragma once
#include <string_view>

#include "core/speech_app_link.h"

namespace lumvox::win {

bool IsSpeechAppRunning();
core::SendCause SendToSpeechApp(std::u16string_view text);

class WindowMessageLink final : public core::SpeechAppLink {
public:
    bool IsRunning() override { return IsSpeechAppRunning(); }
    core::SendCause Send(std::u16string_view text) override { return SendToSpeechApp(text); }
};

}  // namespace lumvox::win
