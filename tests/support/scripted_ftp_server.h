// An FTP server for tests: loopback, a free port, an in-memory file system,
// behaviours chosen as data. It records every command line it receives, so a
// test can check the exact conversation. It can also stand in for an FTP
// proxy: it then only answers the logon lines it is scripted to answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace ks::test {

struct FtpBehaviour {
    // Each entry is sent as one line; several make a multi-line greeting.
    std::vector<std::string> greeting = {"220 Scripted FTP ready"};
    // Exact command line -> reply text (CR LF is added; embed "\r\n" for a
    // multi-line reply). Consulted before the built-in answers.
    std::map<std::string, std::string> replies;
    // Replies by command verb ("USER", "SITE" ...), after `replies`.
    std::map<std::string, std::string> verbReplies;
    bool restRefused = false;          // REST answered with 502
    bool dosListing = false;           // LIST lines in DOS layout
    bool refuseMissingList = false;    // LIST of a missing file: 550 (else an empty listing)
    bool refuseList = false;           // LIST always 550
    std::string pasvAddress;           // "10,0,0,1": the PASV reply names this host
    std::string pasvReply;             // the whole PASV reply text, used as is
    std::int64_t dataCloseAfter = -1;  // RETR: close the data connection after this many bytes
    std::string earlyCloseReply = "426 Connection closed; transfer aborted.";
    int dataDelayMs = 0;            // pause before each data block (a slow server)
    std::string stallAfter;         // verb after which the server goes silent
    std::string listOwner = "ftp";  // owner and group column of Unix lines
};

class ScriptedFtpServer {
  public:
    explicit ScriptedFtpServer(FtpBehaviour behaviour = {});
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    std::uint16_t Port() const { return port_; }
    void PutFile(const std::string& path, std::string content);
    std::string GetFile(const std::string& path) const;
    bool HasFile(const std::string& path) const;
    std::vector<std::string> Commands() const;
    // The commands once `last` has arrived (the client does not wait for the
    // answer to QUIT, so the server may still be reading it).
    std::vector<std::string> CommandsUpTo(const std::string& last) const;
    int Sessions() const { return sessions_.load(); }

  private:
    struct Session;
    void Serve();
    void RunSession(plat::Socket& control);
    bool HandleTransfer(Session& s, const std::string& verb, const std::string& arg);
    std::unique_ptr<plat::Socket> OpenData(Session& s);
    std::string ListingLine(const std::string& path, std::int64_t size) const;
    void Track(plat::Socket* s, bool add);
    bool Reply(Session& s, const std::string& text);
    void Stall();

    FtpBehaviour b_;
    plat::Socket listener_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> sessions_{0};
    mutable std::mutex mu_;
    std::map<std::string, std::string> files_;
    std::vector<std::string> commands_;
    std::vector<plat::Socket*> live_;
    std::thread thread_;
};

}  // namespace ks::test
