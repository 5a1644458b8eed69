// The engine as the headless front end runs it: program folder, settings,
// the job list loaded from the project files, and the queue over it. The
// calling thread plays the UI thread's part.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/settings.h"
#include "base/ui_tasks.h"
#include "platform/console.h"
#include "projects/queue.h"

namespace ks::cli {

// The headless host: no dialogs, no sound, no tray. The current download
// folder is --dir, else the folder the command was started in.
class CliHost : public QueueHost {
  public:
    std::string CurrentFolder() override { return folder; }
    void SetCurrentFolder(const std::string& f) override { folder = f; }
    std::string folder;
};

// The registry stand-in's file in the program folder (not on Windows, which
// has a registry).
inline constexpr const char* kRegistryStoreName = "registry.txt";

class Engine {
  public:
    Engine() = default;
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // False with a message when the program folder cannot be used.
    bool Open(const std::string& homeOption, std::string& error);
    // Saves every project and waits for the workers to end.
    void Close();

    std::string programFolder;
    Settings settings;
    CliHost host;
    std::unique_ptr<ProjectQueue> queue;

  private:
    bool open_ = false;
};

// "kestrune-cli: msg" on standard error.
void Complain(const std::string& msg);
// Engine::Open for a command: false, with the reason told, when it fails.
bool OpenEngine(Engine& e, const std::string& homeOption);

// The https trust of this command: the "TLS" settings, then --ca-file and
// --insecure. Tells once on stderr when certificates go unchecked; false
// (told) when the CA file does not exist.
bool ApplyTrustOptions(const Settings& settings, const std::string& caFile, bool insecure,
                       bool quiet);

// The CA bundle in the program folder that `add --ca-file` builds up.
inline constexpr const char* kTrustedCaFileName = "trusted-ca.pem";

// add --ca-file / --insecure: the trust goes into the settings ("TLS"
// "cafile" names the program folder's bundle, which keeps what the setting
// trusted before; "verify" "no"), so a later run honours it. False (told)
// when the CA file is missing, no PEM, or cannot be stored.
bool RecordTrust(Engine& e, const std::string& caFile, bool insecure);

// The main loop's wait: runs the UI tasks the workers post (row events) and
// returns when one arrives or a worker ends, else after at most maxWaitMs. A
// Ctrl-C sets a flag (a signal handler may not post), so no wait is longer
// than kInterruptCheckMs.
inline constexpr std::int64_t kInterruptCheckMs = 200;
void WaitForWork(std::int64_t maxWaitMs = kInterruptCheckMs);

// path made absolute against the current folder.
std::string AbsolutePath(const std::string& path);

using plat::InstallInterruptHandler;
using plat::Interrupted;
using plat::StderrIsTerminal;
using plat::StdinIsTerminal;
using plat::TerminalWidth;

}  // namespace ks::cli
