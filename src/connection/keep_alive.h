// Keeping an idle line busy: one URL of a list is fetched by the hidden
// project, then the next after the interval, cyclically. The interval runs
// from the end of one fetch to the start of the next; the timer is one-shot in
// effect, armed again when the fetch ends. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ks {

// Section "URL List" of the settings file.
struct KeepAliveSettings {
    bool on = false;
    std::int32_t intervalSeconds = 60;  // minute * 60 + second
    std::vector<std::string> urls;
};

// What the keep-alive needs of the main window and the job queue.
class KeepAliveHost {
  public:
    virtual ~KeepAliveHost() = default;
    virtual void ArmKeepAliveTimer(std::int64_t ms) = 0;
    virtual void StopKeepAliveTimer() = 0;
    // Starts the hidden project on url: 1, or 0 while its last fetch still runs.
    virtual int FetchHidden(const std::string& url) = 0;
};

// The period of the timer: the interval, or a minute when it is not positive
// (a negative interval would otherwise never fire).
std::int64_t KeepAliveIntervalMs(const KeepAliveSettings& s);

class KeepAlive {
  public:
    // Stops the timer, starts over with the first URL and, when on, arms it.
    void Restart(const KeepAliveSettings& s, KeepAliveHost& host);
    // The timer fired.
    void OnTimer(const KeepAliveSettings& s, KeepAliveHost& host);
    // The hidden fetch ended: the next interval begins.
    void FetchEnded(const KeepAliveSettings& s, KeepAliveHost& host);
    std::size_t NextIndex() const { return index_; }

  private:
    std::size_t index_ = 0;
};

}  // namespace ks
