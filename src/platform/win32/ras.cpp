// Win32 side of the RAS seam: rasapi32. RasDial with a notification function
// returns at once and reports every state from a RAS thread; the function
// has no context argument, so the one dial under way keeps its notify here.
#include <windows.h>
// clang-format off
#include <ras.h>
#include <raserror.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/ras.h"

namespace ks::plat {
namespace {

using EntryName = RASENTRYNAMEA;  // a macro for "struct tag...", unusable in expressions

std::mutex g_mu;
RasNotify g_notify;

VOID WINAPI OnRasState(UINT, RASCONNSTATE state, DWORD error) {
    RasNotify notify;
    {
        std::lock_guard<std::mutex> g(g_mu);
        notify = g_notify;
    }
    if (notify) notify(static_cast<std::uint32_t>(state), error);
}

template <std::size_t N>
void CopyField(char (&dst)[N], const std::string& src) {
    const std::size_t n = std::min(src.size(), N - 1);
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

class Win32Ras : public RasApi {
  public:
    std::vector<std::string> Entries() override {
        std::vector<EntryName> names(1);
        names[0].dwSize = sizeof(RASENTRYNAMEA);
        DWORD bytes = sizeof(RASENTRYNAMEA), count = 0;
        DWORD r = RasEnumEntriesA(nullptr, nullptr, names.data(), &bytes, &count);
        if (r == ERROR_BUFFER_TOO_SMALL) {
            names.assign(bytes / sizeof(EntryName) + 1, EntryName{});
            names[0].dwSize = sizeof(RASENTRYNAMEA);
            bytes = DWORD(names.size() * sizeof(RASENTRYNAMEA));
            r = RasEnumEntriesA(nullptr, nullptr, names.data(), &bytes, &count);
        }
        std::vector<std::string> out;
        if (r != 0) return out;
        for (DWORD i = 0; i < count && i < names.size(); ++i)
            out.emplace_back(names[i].szEntryName);
        return out;
    }

    std::uint32_t Dial(const RasDialRequest& rq, RasNotify notify, RasHandle& handle) override {
        RASDIALPARAMSA p{};
        p.dwSize = sizeof p;
        CopyField(p.szEntryName, rq.entry);
        CopyField(p.szPhoneNumber, rq.phoneNumber);
        CopyField(p.szUserName, rq.user);
        CopyField(p.szPassword, rq.password);
        {
            std::lock_guard<std::mutex> g(g_mu);
            g_notify = std::move(notify);
        }
        HRASCONN h = nullptr;
        DWORD r = RasDialA(nullptr, nullptr, &p, 0, reinterpret_cast<LPVOID>(&OnRasState), &h);
        SecureZeroMemory(p.szPassword, sizeof p.szPassword);
        if (r != 0 && h) RasHangUpA(h);  // a refused dial still holds a handle
        handle = r == 0 ? reinterpret_cast<RasHandle>(h) : 0;
        return r;
    }

    bool Connections(std::vector<RasConnection>& out) override {
        out.clear();
        RASCONNA conns[20] = {};
        conns[0].dwSize = sizeof(RASCONNA);
        DWORD bytes = sizeof conns, count = 0;
        if (RasEnumConnectionsA(conns, &bytes, &count) != 0) return false;
        for (DWORD i = 0; i < count && i < 20; ++i)
            out.push_back({reinterpret_cast<RasHandle>(conns[i].hrasconn), conns[i].szEntryName});
        return true;
    }

    std::optional<RasConnStatus> Status(RasHandle handle) override {
        RASCONNSTATUSA s{};
        s.dwSize = sizeof s;
        DWORD r = RasGetConnectStatusA(reinterpret_cast<HRASCONN>(handle), &s);
        if (r != 0) return RasConnStatus{0, r};
        return RasConnStatus{static_cast<std::uint32_t>(s.rasconnstate), s.dwError};
    }

    void HangUp(RasHandle handle) override {
        if (handle) RasHangUpA(reinterpret_cast<HRASCONN>(handle));
    }

    std::string ErrorText(std::uint32_t error) override {
        char buf[512] = {};
        if (RasGetErrorStringA(error, buf, sizeof buf) != 0)
            return "Error " + std::to_string(error);
        return buf;
    }
};

}  // namespace

RasApi& SystemRas() {
    static Win32Ras ras;
    return ras;
}

}  // namespace ks::plat
