#pragma once
// What the status line's second part says, so that a listener hears each step of
// a session: where a send went or why it did not, numbered so that two equal
// outcomes are two different texts, and every text an action replaced or
// emptied with its new length. Portable.
#include <cstddef>
#include <string>
#include <string_view>

#include "send/request.h"

namespace lumvox::core {

// "전송됨: 어플리케이션, 42자 (3번째 전송)", "전송됨: 클립보드, 빈 텍스트 (0자) (4번째 전송)", or the
// cause for a send that was not delivered; `number` counts the sends of this run.
std::u16string SendEndedWords(const SendRecord& record, std::size_t number);

// What replaced the first page's text.
enum class TextSource { Sample, Command, File };
// "첫 페이지 텍스트를 바꿨습니다: 예문 태그 문장, 57자"; `name` is the sample's
// caption, the command or the file's name.
std::u16string FirstPageReplacedWords(TextSource source, std::u16string_view name, std::size_t length);

// The check box emptied the third page's text: "셋째 페이지 텍스트를 비웠습니다 (프로토콜 사용 켬, 0자)".
std::u16string ClipTextEmptiedWords(bool use_protocol);

}  // namespace lumvox::core
