#include "cli/cli_args.h"

#include <charconv>

namespace ks::cli {
namespace {

bool IsOption(const std::string& s) {
    return s.size() > 1 && s[0] == '-';
}

bool ParseInt(const std::string& s, std::int32_t& out, std::int32_t min) {
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && ptr == end && out >= min;
}

// Options of a command that take one value.
bool TakesValue(const std::string& opt) {
    return opt == "--dir" || opt == "--segments" || opt == "--retries" || opt == "--user" ||
           opt == "--password" || opt == "--home" || opt == "--category" || opt == "--method" ||
           opt == "--mirror" || opt == "--types" || opt == "--ca-file";
}

// Whether a non-option argument is still to come after index i.
bool PositionalAfter(const std::vector<std::string>& a, std::size_t i) {
    for (std::size_t k = i; k < a.size(); ++k) {
        if (a[k] == "--") return k + 1 < a.size();
        if (!IsOption(a[k])) return true;
        if (TakesValue(a[k])) ++k;
        if (a[k] == "--series") k += 3;
    }
    return false;
}

Command CommandFromName(const std::string& s) {
    for (Command c : {Command::Get, Command::Add, Command::List, Command::Run, Command::Config,
                      Command::Upload, Command::Status, Command::Search, Command::Grab})
        if (s == CommandName(c)) return c;
    return Command::None;
}

struct Parser {
    const std::vector<std::string>& a;
    std::size_t i = 0;
    CliArgs r;

    bool Fail(std::string msg) {
        if (r.error.empty()) r.error = std::move(msg);
        return false;
    }
    bool Value(const std::string& opt, std::string& out) {
        if (i + 1 >= a.size()) return Fail("option " + opt + " needs a value");
        out = a[++i];
        return true;
    }
    bool Number(const std::string& opt, std::int32_t& out, std::int32_t min) {
        std::string v;
        if (!Value(opt, v)) return false;
        if (!ParseInt(v, out, min)) return Fail("option " + opt + ": bad number '" + v + "'");
        return true;
    }
    bool SeriesOption(bool urlSeen) {
        Series s;
        if (!Number("--series", s.from, 0) || !Number("--series", s.to, 0) ||
            !Number("--series", s.digits, 1))
            return false;
        if (s.digits > 65535) return Fail("option --series: at most 65535 digits");
        // RIGHT is optional: it is there when the URL was given before or still follows.
        if (i + 1 < a.size() && !IsOption(a[i + 1]) && (urlSeen || PositionalAfter(a, i + 2)))
            s.right = a[++i];
        r.series = s;
        return true;
    }
    bool CommandOption(const std::string& opt, std::size_t positionals) {
        const Command c = r.command;
        if (opt == "--help" || opt == "-h") return r.help = true;
        if (opt == "--home") return Value(opt, r.home);
        if (c == Command::Get || c == Command::Run || c == Command::Add) {
            if (opt == "--ca-file") return Value(opt, r.caFile);
            if (opt == "--insecure") return r.insecure = true;
        }
        if (c == Command::Get && opt == "--mirror") {
            std::string m;
            return Value(opt, m) && (r.mirrors.push_back(m), true);
        }
        if (c == Command::Grab && opt == "--types") {
            std::string t;
            return Value(opt, t) && (r.types = t, true);
        }
        if (c == Command::Get || c == Command::Grab) {
            if (opt == "--dir") return Value(opt, r.dir);
            if (opt == "--quiet" || opt == "-q") return r.quiet = true;
            std::int32_t n = 0;
            if (opt == "--segments") return Number(opt, n, 0) && (r.segments = n, true);
            if (opt == "--retries") return Number(opt, n, 0) && (r.retries = n, true);
            if (opt == "--series" && c == Command::Get) return SeriesOption(positionals > 0);
        }
        if (c == Command::Upload) {
            if (opt == "--user") return Value(opt, r.user);
            if (opt == "--password") return Value(opt, r.password);
            if (opt == "--overwrite") return r.overwrite = true;
            if (opt == "--quiet" || opt == "-q") return r.quiet = true;
        }
        if (c == Command::List && (opt == "--long" || opt == "-l")) return r.longList = true;
        if (c == Command::Search) return SearchOption(opt);
        return Fail(std::string("unknown option ") + opt + " for " + CommandName(c));
    }
    bool SearchOption(const std::string& opt) {
        if (opt == "--copies") return r.copies = true;
        if (opt == "--category") return Number(opt, r.category, 1);
        if (opt == "--method") {
            std::string m;
            if (!Value(opt, m)) return false;
            const char* names[] = {"all", "any", "exact"};
            for (std::int32_t k = 0; k < 3; ++k)
                if (m == names[k]) return r.method = k, true;
            return Fail("option --method: all, any or exact, not '" + m + "'");
        }
        return Fail("unknown option " + opt + " for search");
    }
    void Positional(const std::string& s, std::vector<std::string>& rest) { rest.push_back(s); }

    bool Finish(std::vector<std::string>& rest) {
        if (r.help) return true;
        switch (r.command) {
            case Command::Get:
                if (rest.size() != 1) return Fail("get takes exactly one URL");
                r.urls = rest;
                return true;
            case Command::Grab:
                if (rest.size() != 1) return Fail("grab takes exactly one list file or page URL");
                r.urls = rest;
                return true;
            case Command::Add:
                if (rest.empty()) return Fail("add needs at least one URL");
                r.urls = rest;
                return true;
            case Command::List:
            case Command::Run:
            case Command::Status:
                if (!rest.empty())
                    return Fail(std::string(CommandName(r.command)) + " takes no arguments");
                return true;
            case Command::Config:
                if (rest.size() < 2 || rest.size() > 3)
                    return Fail("config takes SECTION KEY [VALUE]");
                r.section = rest[0];
                r.key = rest[1];
                if (rest.size() == 3) r.value = rest[2];
                return true;
            case Command::Upload:
                if (rest.size() < 2) return Fail("upload takes FTPURL FILE...");
                r.urls = {rest[0]};
                r.files.assign(rest.begin() + 1, rest.end());
                return true;
            case Command::Search:
                if (rest.empty()) return Fail("search needs keywords");
                for (const std::string& w : rest) r.keywords += (r.keywords.empty() ? "" : " ") + w;
                return true;
            case Command::None:
                return true;
        }
        return true;
    }

    CliArgs Run() {
        // Global options, then the command.
        for (; i < a.size(); ++i) {
            const std::string& s = a[i];
            if (s == "--help" || s == "-h") {
                r.help = true;
            } else if (s == "--version" || s == "-V") {
                r.version = true;
            } else if (s == "--home") {
                if (!Value(s, r.home)) return r;
            } else if (IsOption(s)) {
                Fail("unknown option " + s);
                return r;
            } else {
                r.command = CommandFromName(s);
                if (r.command == Command::None) Fail("unknown command '" + s + "'");
                ++i;
                break;
            }
        }
        if (r.command == Command::None) {
            if (!r.help && !r.version && r.error.empty()) Fail("no command given");
            return r;
        }
        std::vector<std::string> rest;
        bool optionsDone = false;
        for (; i < a.size(); ++i) {
            const std::string& s = a[i];
            if (!optionsDone && s == "--") {
                optionsDone = true;
            } else if (!optionsDone && IsOption(s)) {
                if (!CommandOption(s, rest.size())) return r;
            } else {
                Positional(s, rest);
            }
        }
        Finish(rest);
        return r;
    }
};

}  // namespace

const char* CommandName(Command c) {
    switch (c) {
        case Command::Get:
            return "get";
        case Command::Add:
            return "add";
        case Command::List:
            return "list";
        case Command::Run:
            return "run";
        case Command::Config:
            return "config";
        case Command::Upload:
            return "upload";
        case Command::Status:
            return "status";
        case Command::Search:
            return "search";
        case Command::Grab:
            return "grab";
        case Command::None:
            break;
    }
    return "";
}

CliArgs ParseCliArgs(const std::vector<std::string>& args) {
    Parser p{args, 0, CliArgs{}};
    return p.Run();
}

}  // namespace ks::cli
