#pragma once
// The network channel of the page actions, on the project's own HTTP exchange.
#include "http_client.h"
#include "send/links.h"

namespace lumvox::core {

class HttpNetworkLink final : public NetworkLink {
public:
    explicit HttpNetworkLink(HttpLimits limits = {}) : limits_(limits) {}
    HttpReply Get(const EncodedUrl& url, std::stop_token stop) override { return HttpGet(url, limits_, std::move(stop)); }

private:
    HttpLimits limits_;
};

}  // namespace lumvox::core
