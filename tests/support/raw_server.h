// A loopback server for one connection whose every byte the test writes by
// hand: for answers no well-behaved server gives (endless replies, trickles).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/socket.h"

namespace ks::test {

class RawServer {
  public:
    // talk runs on the server's thread with the accepted connection.
    explicit RawServer(std::function<void(plat::Socket&)> talk) {
        listener_.SetTimeoutMs(10000);
        listener_.Listen("127.0.0.1", 0);
        thread_ = std::thread([this, talk = std::move(talk)] {
            std::unique_ptr<plat::Socket> s = listener_.Accept();
            if (!s) return;
            {
                std::lock_guard<std::mutex> g(mu_);
                peer_ = s.get();
                if (stopping_) s->Cancel();
            }
            talk(*s);
            std::lock_guard<std::mutex> g(mu_);
            peer_ = nullptr;
        });
    }
    // Stops the talk at its next socket step and waits for it.
    ~RawServer() {
        {
            std::lock_guard<std::mutex> g(mu_);
            stopping_ = true;
            if (peer_) peer_->Cancel();
        }
        listener_.Cancel();
        thread_.join();
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::uint16_t Port() const { return listener_.LocalPort(); }
    std::string Url(const std::string& scheme, const std::string& path) const {
        return scheme + "://127.0.0.1:" + std::to_string(Port()) + path;
    }

    // Reads up to the empty line that ends a request header.
    static bool ReadRequest(plat::Socket& s) {
        std::string got;
        char c;
        while (got.size() < 65536 && s.Recv(&c, 1) == 1) {
            got += c;
            if (got.size() >= 4 && got.compare(got.size() - 4, 4, "\r\n\r\n") == 0) return true;
        }
        return false;
    }

  private:
    plat::Socket listener_;
    std::mutex mu_;
    bool stopping_ = false;
    plat::Socket* peer_ = nullptr;
    std::thread thread_;
};

}  // namespace ks::test
