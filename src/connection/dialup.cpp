#include "connection/dialup.h"

namespace ks {

void DialUp::Start(const DialUpSettings& s) {
    s_ = s;
    entryIndex_ = 0;
    current_ = s_.use && !s_.entries.empty() ? s_.entries.front() : kLanSettings;
    if (!s_.use) {
        Show("");
        return;
    }
    CheckConnection(0);
    host_.SetTrayAnimation(false);
}

void DialUp::Apply(const DialUpSettings& s) {
    s_ = s;
    if (s_.entries.empty()) s_.use = false;
    entryIndex_ = 0;
    current_ = s_.use ? s_.entries.front() : kLanSettings;
    LoadConnectionProfile();
    if (s_.use) {
        CheckConnection(0);
    } else {
        Show("");
    }
}

void DialUp::Show(const std::string& text) {
    host_.ShowDialText(s_.use ? text : "(Not using dial-up)");
}

bool DialUp::LoadConnectionProfile() {
    if (s_.use && s_.entries.empty()) return false;
    cred_ = host_.LoadProfile(current_);
    return true;
}

void DialUp::AdvanceEntry() {
    if (s_.entries.empty()) return;
    if (++entryIndex_ >= s_.entries.size()) entryIndex_ = 0;
    current_ = s_.entries[entryIndex_];
}

std::string DialUp::NextPhoneNumber(const std::string& entry) {
    const std::vector<DialNumber> numbers = host_.PhoneNumbers(entry);
    phoneNumber_.clear();
    if (numbers.empty()) return phoneNumber_;
    if (phoneIndex_ >= numbers.size()) phoneIndex_ = 0;
    const std::size_t start = phoneIndex_;
    std::size_t next = start + 1;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        const DialNumber& n = numbers[(start + k) % numbers.size()];
        if (n.number.empty() || !n.enabled) continue;
        phoneNumber_ = n.number;
        next = (start + k) % numbers.size() + 1;
        break;
    }
    phoneIndex_ = next;
    return phoneNumber_;
}

void DialUp::DialCommand() {
    if (dialPending_ || connected_) return;
    AdvanceEntry();
    host_.SetDialTimer(kRedialTimer, false);
    Dial(true);
}

bool DialUp::Dial(bool force) {
    userHungUp_ = false;
    if (!LoadConnectionProfile()) {
        s_.use = false;
        return false;
    }
    if (force || !CheckConnection(0)) {
        CheckConnection(1);
        DialStep();
    }
    LoadConnectionProfile();
    return true;
}

void DialUp::DialStep() {
    if (connected_) return;
    userHungUp_ = false;
    dialCountdown_ = s_.dialTime;
    host_.SetDialTimer(kDialTimeoutTimer, true);
    plat::RasDialRequest request{current_, NextPhoneNumber(current_), cred_.user, cred_.password};
    connection_ = 0;
    dialPending_ = false;
    DialUpHost* host = &host_;
    plat::RasHandle handle = 0;
    const std::uint32_t refused = ras_.Dial(
        request, [host](std::uint32_t st, std::uint32_t err) { host->PostDialState(st, err); },
        handle);
    if (refused != 0) {
        connected_ = false;
        connectedSince_ = 0;
        Show("Dial-Up failed.");
        host_.SetDialTimer(kDialTimeoutTimer, false);
        if (s_.redial && !userHungUp_) WaitToRedial();
        return;
    }
    connection_ = handle;
    dialPending_ = true;
    host_.SetTrayAnimation(true);
    host_.SetDialTimer(kMonitorTimer, true);
}

void DialUp::WaitToRedial() {
    redialCountdown_ = s_.redialTime;
    dialPending_ = true;
    host_.SetDialTimer(kRedialTimer, true);
}

void DialUp::OnDialState(std::uint32_t state, std::uint32_t error) {
    std::string text = error != 0 ? ras_.ErrorText(error) + "..." : std::string();
    text += DialStateText(state, current_, phoneNumber_);
    if (state == plat::kRasConnected) {
        host_.SetDialTimer(kDialTimeoutTimer, false);
        connected_ = true;
        connectedSince_ = host_.Now();
        dialPending_ = false;
        host_.SetTrayAnimation(false);
        CheckConnection(0);
    }
    if (state == plat::kRasDisconnected) {
        connectedSince_ = 0;
        connected_ = false;
        host_.SetTrayAnimation(false);
    }
    if (error != 0) {
        ras_.HangUp(connection_);
        connection_ = 0;
        host_.SetTrayAnimation(false);
        host_.SetDialTimer(kDialTimeoutTimer, false);
        connected_ = false;
        connectedSince_ = 0;
        host_.SetDialTimer(kMonitorTimer, false);
        if (!s_.redial) {
            dialPending_ = false;
        } else if (!userHungUp_) {
            WaitToRedial();
        }
    }
    lastDialText_ = text;
    Show(text);
}

bool DialUp::CheckConnection(int mode) {
    std::vector<plat::RasConnection> list;
    if (ras_.Connections(list)) {
        for (const plat::RasConnection& c : list) {
            // Each connection's own status: a connection made outside the
            // program is adopted by what its handle says, not by ours.
            const std::optional<plat::RasConnStatus> st = ras_.Status(c.handle);
            if (mode == 1) {
                if (!st || st->error != 0 || st->state == 0 || st->state == plat::kRasConnected) {
                    ras_.HangUp(c.handle);
                    return true;
                }
                continue;
            }
            if (!st || (st->error != 0 && st->state != 0)) continue;
            current_ = c.entry;
            if (!connected_) connectedSince_ = host_.Now();
            connected_ = true;
            if (mode == 0 && !dialPending_) {
                host_.SetDialTimer(kMonitorTimer, true);
                LoadConnectionProfile();
                Show("(" + c.entry + ") Connected.");
            }
            connection_ = c.handle;
            return true;
        }
    }
    if (mode == 0) Show("(" + current_ + ") Not connected.");
    return false;
}

void DialUp::HangUpCommand() {
    host_.PauseAll();
    for (int id : {kDialTimeoutTimer, kRedialTimer, kMonitorTimer}) host_.SetDialTimer(id, false);
    userHungUp_ = true;
    connected_ = false;
    connectedSince_ = 0;
    if (connection_ != 0) ras_.HangUp(connection_);
    connection_ = 0;
    // Also when only a redial wait was pending: otherwise Dial would refuse
    // for ever, thinking a dial still runs.
    dialPending_ = false;
    host_.SetTrayAnimation(false);
    Show("The port was disconnected by the user.");
}

void DialUp::Lost() {
    if (connection_ != 0) ras_.HangUp(connection_);
    connection_ = 0;
    dialPending_ = false;
    connectedSince_ = 0;
    connected_ = false;
    host_.SetTrayAnimation(false);
    Show("Disconnected.");
    host_.SetDialTimer(kDialTimeoutTimer, false);
    host_.SetDialTimer(kMonitorTimer, false);
    if (s_.redial && !userHungUp_) WaitToRedial();
}

void DialUp::OnTimer(int id) {
    if (id == kDialTimeoutTimer) {
        if (dialCountdown_ >= 0)
            Show(lastDialText_ + "(" + std::to_string(dialCountdown_) + " seconds)");
        if (--dialCountdown_ >= 0) return;
        if (connection_ != 0) ras_.HangUp(connection_);
        connection_ = 0;
        if (!s_.redial) dialPending_ = false;
        host_.SetTrayAnimation(false);
        host_.SetDialTimer(kDialTimeoutTimer, false);
        if (s_.redial && !userHungUp_) {
            host_.SetDialTimer(kMonitorTimer, false);
            WaitToRedial();
        }
    } else if (id == kRedialTimer) {
        dialPending_ = true;
        if (redialCountdown_ >= 0)
            Show("Waiting to redial...(" + std::to_string(redialCountdown_) + " seconds)");
        if (--redialCountdown_ >= 0) return;
        host_.SetDialTimer(kRedialTimer, false);
        AdvanceEntry();
        Dial(false);
    } else if (id == kMonitorTimer) {
        if (dialPending_) return;
        if (!CheckConnection(3)) Lost();
    }
}

void DialUp::ShowConnectedTime() {
    if (connected_) Show(ConnectedTimeText(current_, host_.Now() - connectedSince_));
}

void DialUp::AutoDial(bool haveWork) {
    if (!s_.use || userHungUp_ || connected_ || dialPending_ || !haveWork) return;
    AdvanceEntry();
    Dial(false);
}

}  // namespace ks
