// The command-line hand-over between instances over DDE: the client side a
// second start uses, and the server the running instance keeps.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <functional>
#include <string>

namespace ks {

inline constexpr char kDdeService[] = "KESTRUNEDDE";
inline constexpr char kDdeCommandTopic[] = "KS_CommandLine";
inline constexpr char kDdeOpenUrlTopic[] = "WWW_OpenURL";

// Returns 1 if a conversation was opened and the request sent, 0 if no
// instance answered. The request is asynchronous: nothing waits for the
// running instance to act on it.
int HandOffToRunningInstance(const std::string& commandLine);

// The running instance's DDE server. One per process (DDEML callbacks carry
// no context). Runs on the UI thread; the handlers run inside the callback.
class CDdeServer {
  public:
    using CommandLineHandler = std::function<void(const std::string& item)>;
    // Transactions on topics other than the command line (the browser's
    // WWW_ topics) go here when set; it returns the callback's result.
    using OtherTopicHandler =
        std::function<HDDEDATA(UINT type, UINT fmt, HCONV conv, const std::string& topic,
                               const std::string& item, HDDEDATA data)>;

    bool Start(CommandLineHandler onCommandLine);
    void Stop();
    bool Running() const { return instance_ != 0; }
    DWORD Instance() const { return instance_; }
    void SetOtherTopicHandler(OtherTopicHandler h) { other_ = std::move(h); }
    ~CDdeServer() { Stop(); }

  private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2,
                                      HDDEDATA data, ULONG_PTR d1, ULONG_PTR d2);
    static HDDEDATA Dispatch(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data);
    std::string Text(HSZ h) const;

    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    CommandLineHandler onCommandLine_;
    OtherTopicHandler other_;
    static CDdeServer* current_;
};

}  // namespace ks
