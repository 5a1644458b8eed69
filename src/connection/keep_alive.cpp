#include "connection/keep_alive.h"

namespace ks {

std::int64_t KeepAliveIntervalMs(const KeepAliveSettings& s) {
    return std::int64_t(s.intervalSeconds > 0 ? s.intervalSeconds : 60) * 1000;
}

void KeepAlive::Restart(const KeepAliveSettings& s, KeepAliveHost& host) {
    host.StopKeepAliveTimer();
    index_ = 0;
    if (s.on) host.ArmKeepAliveTimer(KeepAliveIntervalMs(s));
}

void KeepAlive::OnTimer(const KeepAliveSettings& s, KeepAliveHost& host) {
    if (!s.on) return;
    host.StopKeepAliveTimer();
    if (s.urls.empty()) return;
    if (index_ >= s.urls.size()) index_ = 0;  // the list shrank in the dialog
    if (host.FetchHidden(s.urls[index_]) == 1) index_ = (index_ + 1) % s.urls.size();
}

void KeepAlive::FetchEnded(const KeepAliveSettings& s, KeepAliveHost& host) {
    if (s.on) host.ArmKeepAliveTimer(KeepAliveIntervalMs(s));
}

}  // namespace ks
