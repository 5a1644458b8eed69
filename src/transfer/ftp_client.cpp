#include "transfer/ftp_client.h"

#include "base/runtime.h"
#include "platform/clock.h"
#include "transfer/failure_text.h"
#include "transfer/ftp_listing.h"
#include "transfer/ftp_pasv.h"

namespace ks {

namespace {
constexpr std::size_t kListingBlock = 1023;
// A listing of one file is a line; anything past this is not kept.
constexpr std::size_t kMaxListing = 1 << 20;
}  // namespace

const char* FtpMessageText(int number) {
    switch (number) {
        case kFtpNoSocket:
            return "Unable to create socket";
        case kFtpNoConnect:
            return "Unable to connect to server";
        case kFtpLocalFile:
            return "Unable to open file on local machine";
        case kFtpFileError:
            return "File error";
        case kFtpNetworkError:
            return "Network error";
        case kFtpLogonFailed:
            return "Logon failed";
    }
    return "";
}

CFtpClient::CFtpClient(CProject& owner) : owner_(owner), timeoutMs_(GlobalRuntime().TimeoutMs()) {}

CFtpClient::~CFtpClient() {
    file_.Close();
    CloseData();
    CloseControl();
}

void CFtpClient::Fail(FtpFailure kind) {
    failure = kind;
    if (kind == FtpFailure::Network) owner_.result = ResultNetwork;
}

void CFtpClient::NetworkFailed(plat::SocketError e, bool connecting) {
    networkError_ = SocketFailureText(e, host_, port_, connecting);
    Fail(FtpFailure::Network);
}

std::string CFtpClient::Why() const {
    switch (failure) {
        case FtpFailure::LocalFile:
            return localError;
        case FtpFailure::Network:
            if (!networkError_.empty()) return networkError_;
            break;
        case FtpFailure::Stopped:
            return "stopped";
        default:
            break;
    }
    // A reply of the server starts with its number; anything else is one of
    // our own texts ("Logon failed").
    const bool reply = !lastMessage.empty() && lastMessage[0] >= '1' && lastMessage[0] <= '5';
    return reply ? ServerAnswerText(lastMessage) : lastMessage;
}

void CFtpClient::RequestAbort() {
    aborted_ = true;
    std::lock_guard<std::mutex> g(mu_);
    if (control_) control_->Cancel();
    if (data_) data_->Cancel();
    if (listener_) listener_->Cancel();
}

void CFtpClient::Install(std::unique_ptr<plat::Socket>& slot, std::unique_ptr<plat::Socket> s) {
    s->SetTimeoutMs(timeoutMs_);
    std::lock_guard<std::mutex> g(mu_);
    slot = std::move(s);
    if (aborted_) slot->Cancel();
}

void CFtpClient::CloseData() {
    std::unique_ptr<plat::Socket> data, listener;
    {
        std::lock_guard<std::mutex> g(mu_);
        data = std::move(data_);
        listener = std::move(listener_);
    }
}

void CFtpClient::CloseControl() {
    std::unique_ptr<CControlSocket> c;
    std::lock_guard<std::mutex> g(mu_);
    c = std::move(control_);
}

int CFtpClient::Connect(const std::string& host, std::uint16_t port) {
    SetMessage(kFtpNoSocket);
    CloseControl();
    {
        auto c = std::make_unique<CControlSocket>(timeoutMs_);
        std::lock_guard<std::mutex> g(mu_);
        control_ = std::move(c);
        if (aborted_) control_->Cancel();
    }
    SetMessage(kFtpNoConnect);
    host_ = host;
    port_ = port;
    networkError_.clear();
    if (!control_->Connect(host, port)) {
        NetworkFailed(control_->LastError(), true);
        return 0;
    }
    SetMessage(kFtpNoSocket);
    return 1;
}

int CFtpClient::SendLine(std::string_view text) {
    SetMessage(kFtpNetworkError);
    if (!control_ || !control_->SendLine(text)) {
        NetworkFailed(control_ ? control_->LastError() : plat::SocketError::Other, false);
        return 0;
    }
    return 1;
}

int CFtpClient::ReadReply() {
    SetMessage(kFtpNetworkError);
    FtpReply reply;
    if (!control_ || !control_->ReadReply(reply)) {
        NetworkFailed(control_ ? control_->LastError() : plat::SocketError::Other, false);
        return 0;
    }
    lastMessage = std::move(reply.text);
    replyClass = reply.replyClass;
    return 1;
}

int CFtpClient::Command(std::string_view text) {
    if (owner_.stopRequested) {
        failure = FtpFailure::Stopped;
        return 0;
    }
    if (!text.empty() && !SendLine(text)) return 0;
    if (!ReadReply()) return 0;
    if (replyClass != 2) {
        failure = FtpFailure::Refused;
        return 0;
    }
    return 1;
}

int CFtpClient::Logon(const FtpLogonParams& p) {
    failure = FtpFailure::None;
    auto steps = FtpLogonSteps(p.logonType);
    std::string host;
    std::uint16_t port = 0;
    FtpLogonTarget(p, host, port);
    bool ok = !steps.empty() && Connect(host, port) && Command("");
    if (ok) {
        std::size_t step = 0;
        // Every table only moves forward, so this ends within its length.
        for (std::size_t turns = 0; turns <= steps.size(); ++turns) {
            const FtpLogonStep& s = steps[step];
            if (!SendLine(FtpLogonCommandText(s.command, p)) || !ReadReply()) break;
            if (replyClass != 2 && replyClass != 3) {
                failure = FtpFailure::Refused;  // the server's own words stay in lastMessage
                break;
            }
            std::int8_t next = replyClass == 2 ? s.after2xx : s.after3xx;
            if (next == kLogonDone) return 1;
            if (next < 0 || static_cast<std::size_t>(next) >= steps.size()) {
                SetMessage(kFtpLogonFailed);
                failure = FtpFailure::Refused;
                break;
            }
            step = static_cast<std::size_t>(next);
        }
    } else if (steps.empty()) {
        SetMessage(kFtpLogonFailed);
    }
    owner_.result = ResultNetwork;
    return 0;
}

int CFtpClient::OpenData(bool passive) {
    CloseData();
    passiveData_ = passive;
    if (passive) {
        if (!Command("PASV")) return 0;
        PasvTarget target;
        if (!ParsePasvReply(lastMessage, target)) {
            Fail(FtpFailure::Network);
            return 0;
        }
        // The reply's address is not trusted: behind NAT or a proxy it is often
        // wrong, and it must never steer the client to a third host.
        std::string host = control_->PeerAddress();
        if (host.empty()) host = target.address;
        Install(data_, std::make_unique<plat::Socket>());
        // A segment's data connection is dropped at the next segment's start
        // while the server still sends: a modest window bounds what it sent in vain.
        if (owner_.segmentWorker || owner_.settings.segments > 0)
            data_->SetReceiveBuffer(kSegmentedReceiveBuffer);
        // Connect before the transfer command: some servers answer it only once
        // the data connection stands.
        if (!data_->Connect(host, target.port)) {
            NetworkFailed(data_->LastError(), true);
            CloseData();
            return 0;
        }
        return 1;
    }
    const std::string local = control_->LocalAddress();
    Install(listener_, std::make_unique<plat::Socket>());
    if (!listener_->Listen(local, 0, 5)) {
        Fail(FtpFailure::Network);
        CloseData();
        return 0;
    }
    if (!Command(PortCommand(local, listener_->LocalPort()))) {
        CloseData();
        return 0;
    }
    return 1;
}

int CFtpClient::AttachData() {
    if (passiveData_) return data_ ? 1 : 0;
    std::unique_ptr<plat::Socket> s = listener_ ? listener_->Accept() : nullptr;
    if (!s) {
        NetworkFailed(listener_ ? listener_->LastError() : plat::SocketError::Other, true);
        CloseData();
        return 0;
    }
    Install(data_, std::move(s));
    std::unique_ptr<plat::Socket> listener;
    {
        std::lock_guard<std::mutex> g(mu_);
        listener = std::move(listener_);
    }
    return 1;
}

int CFtpClient::RemoteSize(const std::string& path, bool passive) {
    failure = FtpFailure::None;
    remoteSize = 0;
    listing.clear();
    // A server that does not know TYPE A still lists.
    if (!Command("TYPE A") && failure != FtpFailure::Refused) return 0;
    if (!OpenData(passive)) return 0;
    if (!SendLine("LIST " + path) || !ReadReply()) {
        CloseData();
        return 0;
    }
    if (replyClass != 1) {
        failure = FtpFailure::Refused;
        CloseData();
        return 0;
    }
    if (!AttachData()) return 0;
    char buf[kListingBlock];
    for (;;) {
        std::int64_t n = data_->Recv(buf, sizeof buf);
        if (n < 0) {
            NetworkFailed(data_->LastError(), false);
            CloseData();
            return 0;
        }
        if (n == 0) break;
        if (listing.size() < kMaxListing) listing.append(buf, static_cast<std::size_t>(n));
    }
    CloseData();
    if (!Command("")) return 0;
    remoteSize = ListingRemoteSize(listing, path);
    return 1;
}

void CFtpClient::Quit() {
    if (control_) {
        SendLine("QUIT");
    }
    CloseData();
    CloseControl();
}

}  // namespace ks
