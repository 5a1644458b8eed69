// No dial-up networking here: an empty phonebook and no connections, so the
// program runs on the network it has ("LAN Settings").
#include "platform/ras.h"

namespace ks::plat {
namespace {

class NoRas : public RasApi {
  public:
    std::vector<std::string> Entries() override { return {}; }
    std::uint32_t Dial(const RasDialRequest&, RasNotify, RasHandle& handle) override {
        handle = 0;
        return kNoDevice;
    }
    bool Connections(std::vector<RasConnection>& out) override {
        out.clear();
        return true;
    }
    std::optional<RasConnStatus> Status(RasHandle) override { return std::nullopt; }
    void HangUp(RasHandle) override {}
    std::string ErrorText(std::uint32_t error) override {
        return error == kNoDevice ? "There is no dial-up networking on this system."
                                  : "Dial-up error " + std::to_string(error) + ".";
    }

  private:
    static constexpr std::uint32_t kNoDevice = 633;  // as RAS numbers "device not found"
};

}  // namespace

RasApi& SystemRas() {
    static NoRas ras;
    return ras;
}

}  // namespace ks::plat
