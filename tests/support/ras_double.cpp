#include "support/ras_double.h"

#include <algorithm>

namespace ks::test {

std::uint32_t ScriptedRas::Dial(const plat::RasDialRequest& request, plat::RasNotify notify,
                                plat::RasHandle& handle) {
    dials.push_back(request);
    if (refuseNextDial != 0) {
        const std::uint32_t e = refuseNextDial;
        refuseNextDial = 0;
        handle = 0;
        return e;
    }
    notify_ = std::move(notify);
    handle = dialling_ = next_++;
    conns_.push_back({handle, request.entry, {plat::kRasOpenPort, 0}});
    return 0;
}

void ScriptedRas::Play(std::uint32_t state, std::uint32_t error) {
    for (Conn& c : conns_)
        if (c.handle == dialling_) c.status = {state, error};
    if (notify_) notify_(state, error);
}

void ScriptedRas::DropAll() {
    conns_.clear();
}

plat::RasHandle ScriptedRas::AddOutside(const std::string& entry) {
    conns_.push_back({next_, entry, {plat::kRasConnected, 0}});
    return next_++;
}

bool ScriptedRas::Connections(std::vector<plat::RasConnection>& out) {
    out.clear();
    for (const Conn& c : conns_) out.push_back({c.handle, c.entry});
    return true;
}

std::optional<plat::RasConnStatus> ScriptedRas::Status(plat::RasHandle handle) {
    for (const Conn& c : conns_)
        if (c.handle == handle) return c.status;
    return std::nullopt;
}

void ScriptedRas::HangUp(plat::RasHandle handle) {
    hangUps.push_back(handle);
    conns_.erase(std::remove_if(conns_.begin(), conns_.end(),
                                [&](const Conn& c) { return c.handle == handle; }),
                 conns_.end());
}

std::string ScriptedRas::ErrorText(std::uint32_t error) {
    return "Error " + std::to_string(error);
}

}  // namespace ks::test
