// A dial-up line for tests: plays dial states and errors through the
// notification the program registered, keeps the connection list RAS would
// show (its own dials, drops, connections made outside the program), and
// records every dial and hang-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras.h"

namespace ks::test {

class ScriptedRas : public plat::RasApi {
  public:
    std::vector<std::string> entries;
    std::uint32_t refuseNextDial = 0;  // Dial answers this error once
    std::vector<plat::RasDialRequest> dials;
    std::vector<plat::RasHandle> hangUps;

    // A state of the dial under way, as RAS reports it; Connected makes the
    // connection listed as up.
    void Play(std::uint32_t state, std::uint32_t error = 0);
    void DropAll();  // the line is lost
    plat::RasHandle AddOutside(const std::string& entry);
    std::size_t LiveConnections() const { return conns_.size(); }

    std::vector<std::string> Entries() override { return entries; }
    std::uint32_t Dial(const plat::RasDialRequest& request, plat::RasNotify notify,
                       plat::RasHandle& handle) override;
    bool Connections(std::vector<plat::RasConnection>& out) override;
    std::optional<plat::RasConnStatus> Status(plat::RasHandle handle) override;
    void HangUp(plat::RasHandle handle) override;
    std::string ErrorText(std::uint32_t error) override;

  private:
    struct Conn {
        plat::RasHandle handle;
        std::string entry;
        plat::RasConnStatus status;
    };
    plat::RasNotify notify_;
    plat::RasHandle dialling_ = 0;
    plat::RasHandle next_ = 100;
    std::vector<Conn> conns_;
};

}  // namespace ks::test
