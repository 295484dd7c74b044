// libFuzzer target for lumvox-send's batch reader: one line of a batch file.
// A line it takes must survive being written back as JSON and read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "batch_reader.h"
#include "json/json_line.h"
#include "core/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumvox::send;
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::optional<BatchCase> batch = ReadBatchCase(line, error);
    if (!batch) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const lumvox::core::SendRequest& input = batch->input;
    if (!lumvox::core::Utf16ToUtf8(input.text)) std::abort();  // the library hands out well-formed text only
    const std::string again = lumvox::json::JsonLine(kJsonEscapes)
                                  .Text("text", input.text)
                                  .Text("channel", lumvox::core::ChannelName(input.channel))
                                  .Flag("protocol", input.protocol)
                                  .Text("expect", OutcomeName(batch->expected))
                                  .Finish();
    std::optional<BatchCase> reread = ReadBatchCase(again, error);
    if (!reread || reread->input.text != input.text || reread->input.channel != input.channel ||
        reread->input.protocol != input.protocol || reread->expected != batch->expected)
        std::abort();
    return 0;
}
