// The connection dialogs in the dialog host: a phonebook given on the command
// line stands in for RAS (Wine's is empty).
#include "dialog_host_connection.h"

#include "dialogs/connection_dialogs.h"

namespace {

class ListedPhonebook : public ks::plat::RasApi {
  public:
    explicit ListedPhonebook(std::vector<std::string> entries) : entries_(std::move(entries)) {}
    std::vector<std::string> Entries() override { return entries_; }
    std::uint32_t Dial(const ks::plat::RasDialRequest&, ks::plat::RasNotify,
                       ks::plat::RasHandle& h) override {
        h = 0;
        return 633;
    }
    bool Connections(std::vector<ks::plat::RasConnection>& out) override {
        out.clear();
        return true;
    }
    std::optional<ks::plat::RasConnStatus> Status(ks::plat::RasHandle) override {
        return std::nullopt;
    }
    void HangUp(ks::plat::RasHandle) override {}
    std::string ErrorText(std::uint32_t) override { return "no line"; }

  private:
    std::vector<std::string> entries_;
};

std::vector<std::string> SplitCommas(const std::string& s) {
    std::vector<std::string> out;
    std::string::size_type pos = 0;
    while (pos <= s.size() && !s.empty()) {
        std::string::size_type end = s.find(',', pos);
        if (end == std::string::npos) end = s.size();
        out.push_back(s.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

std::string Field(const std::map<std::string, std::string>& f, const char* key) {
    auto it = f.find(key);
    return it == f.end() ? std::string() : it->second;
}

}  // namespace

bool RunConnectionDialog(const std::string& dialog, const std::string& home,
                         const std::map<std::string, std::string>& fields, bool& ok,
                         std::string& report) {
    ks::Settings s = ks::Settings::Load(home + "\\kestrune.ini", home);
    s.installKey = Field(fields, "key");
    if (dialog == "connection") {
        ListedPhonebook book(SplitCommas(Field(fields, "entries")));
        ok = ks::RunConnectionSettingsDialog(nullptr, s, book);
        report = "current=" + s.currentConnection + "\n";
    } else if (dialog == "proxy") {
        ok = ks::RunProxySettingsDialog(nullptr, s.iniPath, Field(fields, "connection"),
                                        s.installKey);
    } else if (dialog == "keepalive") {
        ok = ks::RunKeepAliveDialog(nullptr, s);
        report = "interval=" + std::to_string(s.urlList.IntervalSeconds()) + "\n";
    } else if (dialog == "scheduler") {
        bool enabledNow = false;
        ok = ks::RunSchedulerDialog(nullptr, s, enabledNow);
        report = "enabledNow=" + std::to_string(enabledNow ? 1 : 0) + "\n";
    } else if (dialog == "countdown") {
        ok = ks::RunCountdownDialog(nullptr, Field(fields, "action"));
    } else {
        return false;
    }
    return true;
}
