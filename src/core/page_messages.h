#pragma once
// The fixed messages of the page actions; WindowMessage picks one for a send.
#include <string_view>

namespace lumvox::core::messages {

inline constexpr std::u16string_view kEmptyText = u"문장을 입력하세요!";
inline constexpr std::u16string_view kNotRunning =
    u"Lumvox를 실행하고 [어플리케이션에서 메세지 받기]를 선택하십시오!";
inline constexpr std::u16string_view kNoDestination = u"IP와 Port 번호를 입력하세요!";
inline constexpr std::u16string_view kNoNetworkMessage = u"보낼 메세지를 입력하세요!";
inline constexpr std::u16string_view kConnectivity = u"인터넷이나 와이파이에 접속이 되어 있는지 확인해 보십시오!";
inline constexpr std::u16string_view kSendError = u"메세지 전송 에러. 다시 시도해 보십시오!";
// The status line's words for a send that was delivered.
inline constexpr std::u16string_view kDelivered = u"전송됨";

}  // namespace lumvox::core::messages
