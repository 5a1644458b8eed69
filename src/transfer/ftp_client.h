// One FTP session on the worker's thread: logon (direct or through one of the
// nine kinds of proxy), remote size from a listing, and resumable transfers in
// either direction over passive or active data connections.
//
// Every blocking step is bounded by the socket time-out of the settings, and
// Cancel() (from the UI thread, through the project) makes the step in
// progress fail at once, on the control and the data connection alike.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/project.h"
#include "platform/files.h"
#include "platform/socket.h"
#include "transfer/ftp_control.h"
#include "transfer/ftp_logon.h"

namespace ks {

// Failure texts left in lastMessage (numbered as in the string table).
enum FtpMessage : int {
    kFtpNoSocket = 103,
    kFtpNoConnect = 105,
    kFtpLocalFile = 106,
    kFtpFileError = 107,
    kFtpNetworkError = 108,
    kFtpLogonFailed = 109,
};
const char* FtpMessageText(int number);

// Why the last operation failed, for callers that judge retries.
enum class FtpFailure { None, Network, Refused, LocalFile, Stopped };

// The password sent when the URL and project name none.
inline constexpr const char* kAnonymousPassword = "kestrune@example.com";

class CFtpClient : public Cancellable {
  public:
    explicit CFtpClient(CProject& owner);
    ~CFtpClient() override;
    CFtpClient(const CFtpClient&) = delete;
    CFtpClient& operator=(const CFtpClient&) = delete;

    int Logon(const FtpLogonParams& params);
    // Sends text (unless empty), reads one reply; 1 for a 2xx reply.
    int Command(std::string_view text);
    int SendLine(std::string_view text);
    int ReadReply();
    // 1 when the listing arrived; the size is then in remoteSize.
    int RemoteSize(const std::string& path, bool passive);
    int Transfer(const std::string& remote, const std::string& local, bool passive, bool download,
                 bool resume);
    // Sends QUIT without waiting for an answer and closes everything.
    void Quit();

    void RequestAbort();
    void Cancel() override { RequestAbort(); }

    // Why the last operation failed, in the user's words: the server's reply,
    // the local file's error or what the connection did.
    std::string Why() const;

    std::int64_t remoteSize = 0;
    std::string lastMessage;
    std::string listing;
    int replyClass = 0;
    FtpFailure failure = FtpFailure::None;
    // The local file that failed and the system's reason, in the user's words.
    std::string localError;

  private:
    enum class LoopEnd { ServerClosed, OwnStop, Merged, Failed };

    void SetMessage(int number) { lastMessage = FtpMessageText(number); }
    void Fail(FtpFailure kind);
    // A connection failure, with what the socket said.
    void NetworkFailed(plat::SocketError e, bool connecting);
    // The local file could not be opened, read or written; call right after
    // the failing call, so the system's reason is still there.
    void LocalFileFailed(int number, const char* action);
    static constexpr int kSegmentedReceiveBuffer = 256 * 1024;
    std::int64_t Keep(std::int64_t n, std::int64_t& limit) const;
    int Connect(const std::string& host, std::uint16_t port);
    int OpenData(bool passive);
    int AttachData();
    void CloseData();
    void CloseControl();
    // Adopt a socket so that an abort reaches it; cancelled at once after one.
    void Install(std::unique_ptr<plat::Socket>& slot, std::unique_ptr<plat::Socket> s);
    int ProbeRest();
    bool Restart(bool download);
    LoopEnd DownloadLoop();
    LoopEnd UploadLoop();
    int FinishTransfer(bool download, LoopEnd end);

    CProject& owner_;
    std::int64_t timeoutMs_;
    std::string host_;  // the server (or proxy) of the control connection
    std::uint16_t port_ = 0;
    std::string networkError_;
    plat::File file_;
    std::string localPathOpen_;

    std::mutex mu_;  // guards the socket pointers against an abort from another thread
    std::atomic<bool> aborted_{false};
    std::unique_ptr<CControlSocket> control_;
    std::unique_ptr<plat::Socket> data_;
    std::unique_ptr<plat::Socket> listener_;
    bool passiveData_ = false;
};

}  // namespace ks
