// Command-line parsing of kestrune-cli, kept free of side effects so every
// accepted and refused form can be tested.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ks::cli {

enum class Command { None, Get, Add, List, Run, Config, Upload, Status, Search, Grab };

// Exit statuses.
enum Exit : int {
    kExitOk = 0,
    kExitError = 1,
    kExitInvalidUrl = 2,
    kExitUsage = 64,
    kExitInterrupted = 130,
};

struct Series {
    std::int32_t from = 1;
    std::int32_t to = 1;
    std::int32_t digits = 1;
    std::string right;
};

struct CliArgs {
    Command command = Command::None;
    bool help = false;     // --help (global or after the command)
    bool version = false;  // --version
    std::string home;      // --home DIR

    // get
    std::string dir;                       // --dir DIR
    std::optional<std::int32_t> segments;  // --segments N
    std::optional<Series> series;          // --series FROM TO DIGITS [RIGHT]
    std::optional<std::int32_t> retries;   // --retries N (0: no limit)
    bool quiet = false;                    // --quiet / -q
    bool longList = false;                 // list --long / -l

    // get, run: trust for https
    std::string caFile;     // --ca-file FILE: extra trusted roots (PEM)
    bool insecure = false;  // --insecure: no certificate checks

    // get, add: the URLs; upload: the FTP URL; grab: the list file or page
    std::vector<std::string> urls;
    std::vector<std::string> mirrors;  // get: --mirror URL, repeatable
    std::optional<std::string> types;  // grab: --types LIST

    // config
    std::string section, key;
    std::optional<std::string> value;

    // upload
    std::string user, password;
    bool overwrite = false;
    std::vector<std::string> files;

    // search: the keywords (joined by blanks), --category N (1-based),
    // --method all|any|exact (0, 1, 2), --copies
    std::string keywords;
    std::int32_t category = 1;
    std::int32_t method = 0;
    bool copies = false;

    std::string error;  // set when the command line is unusable
};

// args excludes the program name.
CliArgs ParseCliArgs(const std::vector<std::string>& args);

const char* CommandName(Command c);
// The usage text of a command (Command::None: the overview).
std::string UsageText(Command c);

}  // namespace ks::cli
