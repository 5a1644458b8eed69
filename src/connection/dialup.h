// The dial-up connection manager: dials the chosen phonebook entries in turn,
// shows every dial state, hangs up when no connection comes within the time
// limit, redials after a pause, watches the line every three seconds, dials by
// itself when there is work, and adopts a connection made outside the program.
//
// Everything here runs on the UI thread: RAS reports its states on a thread of
// its own, and the host posts them back (PostDialState -> OnDialState). The
// host owns the timers and the status bar; this class says when.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras.h"

namespace ks {

// Section "Dial Up" of the settings file.
struct DialUpSettings {
    std::vector<std::string> entries;  // "total", "con%d" (empty names skipped)
    std::int32_t dialTime = 60;        // "dialtime"
    std::int32_t redialTime = 60;      // "redialtime"
    bool redial = false;               // "redial"
    bool use = false;                  // "use"
    bool remember = false;             // "remember"
};

inline constexpr int kDialTimeoutTimer = 555;
inline constexpr int kRedialTimer = 666;
inline constexpr int kMonitorTimer = 777;
inline constexpr const char* kLanSettings = "LAN Settings";

struct DialNumber {
    std::string number;
    bool enabled = false;
};

struct DialCredentials {
    std::string user;
    std::string password;  // clear text, for RAS only
};

class DialUpHost {
  public:
    virtual ~DialUpHost() = default;
    virtual void SetDialTimer(int id, bool run) = 0;
    // Pane 1 of the status bar, the text as given.
    virtual void ShowDialText(const std::string& text) = 0;
    // Tray icon: animate, or the still icon for Connected().
    virtual void SetTrayAnimation(bool on) = 0;
    // Loads the profile named connection into the transfers' proxy record;
    // gives back its dial-up credentials.
    virtual DialCredentials LoadProfile(const std::string& connection) = 0;
    virtual std::vector<DialNumber> PhoneNumbers(const std::string& entry) = 0;
    virtual void PauseAll() = 0;
    virtual std::int64_t Now() = 0;  // seconds
    // From a RAS thread: hand the state to the UI thread's OnDialState.
    virtual void PostDialState(std::uint32_t state, std::uint32_t error) = 0;
};

// "(%s) Connected.[%03d:%02d:%02d]": hours wrap every 24.
std::string ConnectedTimeText(const std::string& connection, std::int64_t seconds);
// The text one dial state adds (empty for states without one).
std::string DialStateText(std::uint32_t state, const std::string& entry,
                          const std::string& phoneNumber);

class DialUp {
  public:
    DialUp(plat::RasApi& ras, DialUpHost& host) : ras_(ras), host_(host) {}

    // Window creation: the settings, the first entry as the current
    // connection, and a look for a connection that is already up.
    void Start(const DialUpSettings& s);
    // The Connection Settings dialog was confirmed.
    void Apply(const DialUpSettings& s);

    // The Dial command once dial-up is on (the host asks first when it is off).
    void DialCommand();
    void HangUpCommand();
    void OnTimer(int id);
    void OnDialState(std::uint32_t state, std::uint32_t error);

    // Heartbeat: the connected time in pane 1.
    void ShowConnectedTime();
    // Heartbeat, after the queue: dial when there is work and no line.
    void AutoDial(bool haveWork);

    // Pane 1's rule: without dial-up it reads "(Not using dial-up)".
    void Show(const std::string& text);

    // The pieces, public for the tests that walk each path.
    bool Dial(bool force);
    void DialStep();
    bool CheckConnection(int mode);
    void AdvanceEntry();
    std::string NextPhoneNumber(const std::string& entry);
    bool LoadConnectionProfile();

    // A scheduled start dials again even after the user hung up.
    void ClearUserHungUp() { userHungUp_ = false; }
    // The Proxy Settings dialog may have changed the current profile.
    void ReloadProfile() { LoadConnectionProfile(); }

    bool UseDialUp() const { return s_.use; }
    bool Connected() const { return connected_; }
    bool DialPending() const { return dialPending_; }
    bool UserHungUp() const { return userHungUp_; }
    const std::string& CurrentConnection() const { return current_; }
    const std::string& LastDialText() const { return lastDialText_; }
    std::int64_t ConnectedSince() const { return connectedSince_; }
    int DialCountdown() const { return dialCountdown_; }
    int RedialCountdown() const { return redialCountdown_; }

  private:
    void Lost();  // shared by the error, time-out and monitor paths
    void WaitToRedial();

    plat::RasApi& ras_;
    DialUpHost& host_;
    DialUpSettings s_;
    std::string current_ = kLanSettings;
    std::size_t entryIndex_ = 0;
    std::size_t phoneIndex_ = 0;
    std::string phoneNumber_;
    DialCredentials cred_;
    plat::RasHandle connection_ = 0;
    bool connected_ = false;
    std::int64_t connectedSince_ = 0;
    bool dialPending_ = false;
    bool userHungUp_ = false;
    int dialCountdown_ = 0;
    int redialCountdown_ = 0;
    std::string lastDialText_;
};

}  // namespace ks
