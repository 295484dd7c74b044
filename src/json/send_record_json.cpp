#include "json/send_record_json.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace lumvox::json {

void AppendCause(JsonLine& json, const core::SendCause& cause, const std::vector<std::string_view>& taken) {
    json.Text("cause", core::CauseName(cause.code)).Text("causeText", core::CauseTextEnglish(cause));
    for (const core::Particular& p : core::Particulars(cause)) {
        if (std::find(taken.begin(), taken.end(), p.name) != taken.end()) continue;
        if (const auto* n = std::get_if<long long>(&p.value)) json.Number(p.name, *n);
        else json.Text(p.name, std::get<std::string>(p.value));
    }
}

void AppendWarnings(JsonLine& json, const std::vector<core::WireWarning>& warnings) {
    auto items = nlohmann::ordered_json::array();
    for (const core::WireWarning& w : warnings) {
        JsonLine item(EscapeStyle::LowerHex);
        item.Text("code", core::WarningName(w.code))
            .Number("position", static_cast<int64_t>(w.position))
            .Number("count", static_cast<int64_t>(w.count));
        if (w.code == core::WarningCode::HashCutsText) item.Text("excerpt", w.excerpt);
        item.Text("text", core::WarningTextEnglish(w));
        items.push_back(item.Object());
    }
    json.Value("warnings", items);
}

std::string SendLogLine(const core::SendRecord& r, std::string_view iso_time) {
    JsonLine json(EscapeStyle::LowerHex);
    json.Text("text", r.text).Text("channel", core::ChannelName(r.channel));
    const core::ChannelRow& channel = core::ChannelOf(r.channel);
    if (channel.to_destination) json.Text("destination", r.host + u":" + r.port);
    if (channel.takes_protocol) json.Flag("protocol", r.protocol);
    // The expectation is what lumvox-send reports for the cause, so that the line replays true.
    json.Text("expect", core::OutcomeName(core::ScriptOutcomeOf(r.cause)))
        .Text("time", iso_time)
        .Number("elapsedMs", r.elapsed.count())
        .Number("units", static_cast<int64_t>(r.handed_over.size()))
        .Number("wireBytes", static_cast<int64_t>(r.wire_bytes));
    AppendCause(json, r.cause, {"status"});
    AppendWarnings(json, r.warnings);
    if (channel.to_destination) {
        if (r.status) json.Number("status", *r.status);
        else json.Null("status");
    }
    return json.Finish();
}

}  // namespace lumvox::json
