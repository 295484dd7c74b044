#pragma once
// The network channel of the page actions, on the project's own HTTP exchange.
#include "http_client.h"
#include "page_actions.h"

namespace lumvox::core {

class HttpNetworkLink final : public NetworkLink {
public:
    std::u16string GetText(std::u16string_view encoded_url) override { return HttpGetText(encoded_url); }
};

}  // namespace lumvox::core
