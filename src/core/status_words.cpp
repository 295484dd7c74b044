#include "status_words.h"

#include "page_messages.h"
#include "text_rules.h"

namespace lumvox::core {
namespace {

std::u16string Decimal(std::size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string Length(std::size_t units) { return Decimal(units) + u"자"; }

std::u16string Numbered(std::u16string words, std::size_t number) {
    return words + u" (" + Decimal(number) + u"번째 전송)";
}

// Where a delivered text went, and how much of it; an empty text handed over
// (the clipboard takes one) says what went instead.
std::u16string DeliveredWords(const SendRecord& record) {
    std::u16string words = std::u16string(messages::kDelivered) + u": " + std::u16string(ChannelOf(record.channel).korean);
    if (!record.host.empty() || !record.port.empty())
        words += u" " + std::u16string(TrimmedPart(record.host)) + u":" + std::u16string(TrimmedPart(record.port));
    const HandoverParts parts = HandoverPartsOf(record.channel, record.text, record.protocol);
    if (parts.kept.empty() && parts.enveloped) return words + u", 빈 봉투 " + record.handed_over + u"만 (텍스트 없음)";
    if (parts.kept.empty()) return words + u", 빈 텍스트 (0자)";
    return words + u", " + Length(record.handed_over.size());
}

}  // namespace

std::u16string SendEndedWords(const SendRecord& record, std::size_t number) {
    if (record.outcome == SendOutcome::Delivered) return Numbered(DeliveredWords(record), number);
    return Numbered(CauseTextKorean(record.cause), number);
}

std::u16string FirstPageReplacedWords(TextSource source, std::u16string_view name, std::size_t length) {
    std::u16string_view what;
    switch (source) {
    case TextSource::Sample: what = u"예문"; break;
    case TextSource::Command: what = u"명령어"; break;
    case TextSource::File: what = u"파일"; break;
    }
    return u"첫 페이지 텍스트를 바꿨습니다: " + std::u16string(what) + u" " + std::u16string(name) + u", " +
           Length(length);
}

std::u16string ClipTextEmptiedWords(bool use_protocol) {
    return use_protocol ? u"셋째 페이지 텍스트를 비웠습니다 (프로토콜 사용 켬, 0자)"
                        : u"셋째 페이지 텍스트를 비웠습니다 (프로토콜 사용 끔, 0자)";
}

}  // namespace lumvox::core
