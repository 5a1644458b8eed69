#include "support/scripted_ftp_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/clock.h"

namespace ks::test {

struct ScriptedFtpServer::Session {
    explicit Session(plat::Socket& c) : control(c) {}
    plat::Socket& control;
    std::string pending;
    std::unique_ptr<plat::Socket> pasvListener;
    std::string activeHost;
    std::uint16_t activePort = 0;
    std::int64_t rest = 0;
};

namespace {
constexpr std::int64_t kServerTimeoutMs = 5000;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

ScriptedFtpServer::ScriptedFtpServer(FtpBehaviour behaviour) : b_(std::move(behaviour)) {
    plat::SocketLayerInit();
    listener_.SetTimeoutMs(0);
    listener_.Listen("127.0.0.1", 0, 8);
    port_ = listener_.LocalPort();
    thread_ = std::thread([this] { Serve(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    stopping_ = true;
    listener_.Cancel();
    {
        std::lock_guard<std::mutex> g(mu_);
        for (plat::Socket* s : live_) s->Cancel();
    }
    thread_.join();
}

void ScriptedFtpServer::PutFile(const std::string& path, std::string content) {
    std::lock_guard<std::mutex> g(mu_);
    files_[path] = std::move(content);
}

std::string ScriptedFtpServer::GetFile(const std::string& path) const {
    std::lock_guard<std::mutex> g(mu_);
    auto it = files_.find(path);
    return it == files_.end() ? std::string() : it->second;
}

bool ScriptedFtpServer::HasFile(const std::string& path) const {
    std::lock_guard<std::mutex> g(mu_);
    return files_.count(path) != 0;
}

std::vector<std::string> ScriptedFtpServer::Commands() const {
    std::lock_guard<std::mutex> g(mu_);
    return commands_;
}

std::vector<std::string> ScriptedFtpServer::CommandsUpTo(const std::string& last) const {
    for (int i = 0; i < 500; ++i) {
        std::vector<std::string> c = Commands();
        if (std::find(c.begin(), c.end(), last) != c.end()) return c;
        plat::SleepMs(10);
    }
    return Commands();
}

void ScriptedFtpServer::Track(plat::Socket* s, bool add) {
    std::lock_guard<std::mutex> g(mu_);
    if (add) {
        live_.push_back(s);
        if (stopping_) s->Cancel();
    } else {
        live_.erase(std::remove(live_.begin(), live_.end(), s), live_.end());
    }
}

void ScriptedFtpServer::Stall() {
    while (!stopping_) plat::SleepMs(10);
}

void ScriptedFtpServer::Serve() {
    while (!stopping_) {
        std::unique_ptr<plat::Socket> control = listener_.Accept();
        if (!control) break;
        control->SetTimeoutMs(kServerTimeoutMs * 4);
        ++sessions_;
        Track(control.get(), true);
        RunSession(*control);
        Track(control.get(), false);
    }
}

bool ScriptedFtpServer::Reply(Session& s, const std::string& text) {
    return s.control.SendAll(text + "\r\n");
}

void ScriptedFtpServer::RunSession(plat::Socket& control) {
    Session s(control);
    for (const std::string& line : b_.greeting)
        if (!control.SendAll(line + "\r\n")) return;
    char buf[1024];
    for (;;) {
        std::size_t eol = s.pending.find("\r\n");
        if (eol == std::string::npos) {
            std::int64_t n = control.Recv(buf, sizeof buf);
            if (n <= 0) return;
            s.pending.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        std::string line = s.pending.substr(0, eol);
        s.pending.erase(0, eol + 2);
        {
            std::lock_guard<std::mutex> g(mu_);
            commands_.push_back(line);
        }
        std::size_t sp = line.find(' ');
        std::string verb = Upper(line.substr(0, sp));
        std::string arg = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        if (verb == b_.stallAfter) return Stall();
        if (auto it = b_.replies.find(line); it != b_.replies.end()) {
            if (!Reply(s, it->second)) return;
            continue;
        }
        if (auto it = b_.verbReplies.find(verb); it != b_.verbReplies.end()) {
            if (!Reply(s, it->second)) return;
            continue;
        }
        bool ok = true;
        if (verb == "USER")
            ok = Reply(s, "331 Please specify the password.");
        else if (verb == "PASS")
            ok = Reply(s, "230 Login successful.");
        else if (verb == "ACCT")
            ok = Reply(s, "230 Account accepted.");
        else if (verb == "SITE" || verb == "OPEN")
            ok = Reply(s, "331 Connected, send user.");
        else if (verb == "TYPE")
            ok = Reply(s, "200 Type set.");
        else if (verb == "QUIT") {
            Reply(s, "221 Goodbye.");
            return;
        } else if (verb == "REST") {
            if (b_.restRefused) {
                ok = Reply(s, "502 REST not implemented.");
            } else {
                s.rest = std::strtoll(arg.c_str(), nullptr, 10);
                ok = Reply(s, "350 Restart position accepted (" + arg + ").");
            }
        } else if (verb == "PASV") {
            s.pasvListener = std::make_unique<plat::Socket>();
            s.pasvListener->SetTimeoutMs(kServerTimeoutMs);
            s.pasvListener->Listen("127.0.0.1", 0, 1);
            std::uint16_t p = s.pasvListener->LocalPort();
            std::string host = b_.pasvAddress.empty() ? "127,0,0,1" : b_.pasvAddress;
            std::string text = b_.pasvReply.empty() ? "227 Entering Passive Mode (" + host + "," +
                                                          std::to_string(p / 256) + "," +
                                                          std::to_string(p % 256) + ")."
                                                    : b_.pasvReply;
            ok = Reply(s, text);
        } else if (verb == "PORT") {
            int n[6] = {};
            std::sscanf(arg.c_str(), "%d,%d,%d,%d,%d,%d", &n[0], &n[1], &n[2], &n[3], &n[4], &n[5]);
            s.activeHost = std::to_string(n[0]) + "." + std::to_string(n[1]) + "." +
                           std::to_string(n[2]) + "." + std::to_string(n[3]);
            s.activePort = static_cast<std::uint16_t>(n[4] * 256 + n[5]);
            s.pasvListener.reset();
            ok = Reply(s, "200 PORT command successful.");
        } else if (verb == "LIST" || verb == "RETR" || verb == "STOR" || verb == "APPE") {
            ok = HandleTransfer(s, verb, arg);
        } else {
            ok = Reply(s, "500 Unknown command.");
        }
        if (!ok) return;
    }
}

std::unique_ptr<plat::Socket> ScriptedFtpServer::OpenData(Session& s) {
    std::unique_ptr<plat::Socket> d;
    if (s.pasvListener) {
        d = s.pasvListener->Accept();
        s.pasvListener.reset();
    } else if (s.activePort != 0) {
        d = std::make_unique<plat::Socket>();
        d->SetTimeoutMs(kServerTimeoutMs);
        if (!d->Connect(s.activeHost, s.activePort)) d.reset();
    }
    if (d) d->SetTimeoutMs(kServerTimeoutMs);
    return d;
}

std::string ScriptedFtpServer::ListingLine(const std::string& path, std::int64_t size) const {
    std::string name = path.substr(path.rfind('/') + 1);
    char line[512];
    if (b_.dosListing) {
        std::snprintf(line, sizeof line, "01-01-01  12:00PM %20lld %s\r\n", (long long)size,
                      name.c_str());
    } else {
        std::snprintf(line, sizeof line, "-rw-r--r--    1 %-8s %-8s %12lld Jan 01 12:00 %s\r\n",
                      b_.listOwner.c_str(), b_.listOwner.c_str(), (long long)size, name.c_str());
    }
    return line;
}

// Passive data connections are accepted before the 1xx reply, as some real
// servers do, so a client that waits for the reply before connecting hangs.
bool ScriptedFtpServer::HandleTransfer(Session& s, const std::string& verb,
                                       const std::string& arg) {
    const bool passive = s.pasvListener != nullptr;
    const std::int64_t rest = s.rest;
    s.rest = 0;
    std::string content;
    bool exists;
    {
        std::lock_guard<std::mutex> g(mu_);
        auto it = files_.find(arg);
        exists = it != files_.end();
        if (exists) content = it->second;
    }
    if (verb == "LIST" && (b_.refuseList || (!exists && b_.refuseMissingList)))
        return Reply(s, "550 No such file or directory.");
    if (verb == "RETR" && !exists) return Reply(s, "550 Failed to open file.");

    std::unique_ptr<plat::Socket> data;
    if (passive) data = OpenData(s);
    if (passive && !data) return Reply(s, "425 Failed to establish connection.");
    if (!Reply(s, "150 Opening data connection.")) return false;
    if (!passive) data = OpenData(s);
    if (!data) return Reply(s, "425 Failed to establish connection.");
    Track(data.get(), true);
    std::string outcome = "226 Transfer complete.";
    if (verb == "LIST" || verb == "RETR") {
        std::string out =
            verb == "LIST"
                ? (exists ? ListingLine(arg, (std::int64_t)content.size()) : std::string())
                : content.substr(std::min<std::size_t>(rest, content.size()));
        if (verb == "RETR" && b_.dataCloseAfter >= 0 &&
            static_cast<std::size_t>(b_.dataCloseAfter) < out.size()) {
            out.resize(static_cast<std::size_t>(b_.dataCloseAfter));
            outcome = b_.earlyCloseReply;
        }
        for (std::size_t pos = 0; pos < out.size(); pos += 4096) {
            if (b_.dataDelayMs > 0) plat::SleepMs(b_.dataDelayMs);
            if (stopping_ ||
                !data->SendAll(out.data() + pos, std::min<std::size_t>(4096, out.size() - pos))) {
                outcome = "426 Failure writing network stream.";
                break;
            }
        }
    } else {
        std::string got;
        char buf[4096];
        std::int64_t n;
        while ((n = data->Recv(buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
        if (n < 0) outcome = "426 Failure reading network stream.";
        std::lock_guard<std::mutex> g(mu_);
        std::string& f = files_[arg];
        if (verb == "APPE")
            f += got;
        else {
            f.resize(
                static_cast<std::size_t>(std::min<std::int64_t>(rest, (std::int64_t)f.size())));
            f += got;
        }
    }
    Track(data.get(), false);
    data.reset();
    return Reply(s, outcome);
}

}  // namespace ks::test
