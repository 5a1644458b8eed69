// Remote Access (dial-up networking): the phonebook's entries, dialling with
// state notifications, the active connections, hang-up. On Windows this is
// rasapi32; elsewhere there is no phonebook and no connection. Tests put a
// scripted double in its place.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ks::plat {

using RasHandle = std::uintptr_t;

// Dial states as RAS numbers them (the ones the program names).
enum RasState : std::uint32_t {
    kRasOpenPort = 0,
    kRasConnectDevice = 2,
    kRasAuthenticate = 5,
    kRasAuthenticated = 14,
    kRasConnected = 0x2000,
    kRasDisconnected = 0x2001,
};

struct RasDialRequest {
    std::string entry;
    std::string phoneNumber;  // empty: the phonebook entry's own number
    std::string user;
    std::string password;
};

struct RasConnection {
    RasHandle handle = 0;
    std::string entry;
};

struct RasConnStatus {
    std::uint32_t state = 0;
    std::uint32_t error = 0;
};

// Called for every dial state, on a thread of RAS's choosing.
using RasNotify = std::function<void(std::uint32_t state, std::uint32_t error)>;

class RasApi {
  public:
    virtual ~RasApi() = default;
    virtual std::vector<std::string> Entries() = 0;
    // 0 when the dial is under way (handle set); else the error code.
    virtual std::uint32_t Dial(const RasDialRequest& request, RasNotify notify,
                               RasHandle& handle) = 0;
    // False when the connections could not be listed.
    virtual bool Connections(std::vector<RasConnection>& out) = 0;
    virtual std::optional<RasConnStatus> Status(RasHandle handle) = 0;
    virtual void HangUp(RasHandle handle) = 0;
    virtual std::string ErrorText(std::uint32_t error) = 0;
};

// The system's RAS, alive for the whole process.
RasApi& SystemRas();

}  // namespace ks::plat
