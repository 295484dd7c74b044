// What each channel hands over of a request, and where the request's text stands in it.
#include "core/send/request.h"

#include <gtest/gtest.h>

#include "core/utf.h"

namespace lumvox::core {
namespace {

TEST(HandoverOf, TrimsAndWrapsByChannel) {
    struct Case {
        SendChannel channel;
        bool protocol;
        std::u16string_view text, handed_over;
        std::size_t begin, length, lead;
    };
    constexpr Case kCases[] = {
        {SendChannel::App, false, u" \r\nhi \t", u"hi", 3, 2, 0},
        {SendChannel::App, true, u" hi ", u"<lumvox>hi</lumvox>", 1, 2, 8},
        // A blank text still gets the envelope: the copy-data send delivers it.
        {SendChannel::App, true, u"  ", u"<lumvox></lumvox>", 2, 0, 8},
        // The network channel trims and never takes the protocol envelope.
        {SendChannel::Net, true, u"\x01hi\x20", u"hi", 1, 2, 0},
        // The clipboard keeps the text as it stands.
        {SendChannel::Clip, false, u" hi ", u" hi ", 0, 4, 0},
        {SendChannel::Clip, true, u" hi ", u"<lumvox> hi </lumvox>", 0, 4, 8},
        // U+00A0 is not blank to the rule: only U+0000..U+0020 are.
        {SendChannel::App, false, u"\u00A0hi", u"\u00A0hi", 0, 3, 0},
    };
    for (const Case& c : kCases) {
        SendRequest request;
        request.channel = c.channel;
        request.text = c.text;
        request.protocol = c.protocol;
        const Handover handover = HandoverOf(request);
        SCOPED_TRACE(std::string(ChannelName(c.channel)) + " " + ToUtf8Lossy(c.text));
        EXPECT_EQ(handover.text, c.handed_over);
        EXPECT_EQ(handover.text_begin, c.begin);
        EXPECT_EQ(handover.text_length, c.length);
        EXPECT_EQ(handover.lead, c.lead);
    }
}

TEST(ChannelNames, ReadBackToTheirChannels) {
    for (SendChannel channel : {SendChannel::App, SendChannel::Net, SendChannel::Clip})
        EXPECT_EQ(ChannelFromName(ChannelName(channel)), channel);
    EXPECT_EQ(ChannelName(SendChannel::Net), "net");
    EXPECT_EQ(ChannelFromName("App"), std::nullopt);  // names are exact
    EXPECT_EQ(ChannelFromName(""), std::nullopt);
}

TEST(Send, RefusesAChannelWithoutItsLink) {
    SendRequest request;
    request.channel = SendChannel::Clip;
    request.text = u"x";
    EXPECT_THROW(Send(request, SendLinks{}), std::logic_error);
}

}  // namespace
}  // namespace lumvox::core
