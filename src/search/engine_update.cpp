#include "search/engine_update.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/project.h"
#include "base/status_event.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace ks {
namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kCategories = "Categories";
// A hostile or broken update cannot keep the merge busy for ever.
constexpr int kMaxMergedCategories = 99;
constexpr int kMaxMergedEngines = 999;

void MergeEngine(const IniDocument& src, IniFile& dst, const std::string& e) {
    // An engine the user switched off stays off; otherwise the update decides.
    const std::string userOn = dst.Get(e, "on", "yes");
    dst.Set(e, "on", IniNamesEqual(userOn, "no") ? "no" : src.Get(e, "on", "no"));
    for (const char* key :
         {"name", "url", "t1", "t2", "s1", "s2", "all", "any", "exact", "home", "base", "post"}) {
        dst.Set(e, key, src.Get(e, key));
    }
    dst.Set(e, "dig", src.Get(e, "dig", "no"));
    dst.Set(e, "lnum", src.Get(e, "lnum"));
}

}  // namespace

void EngineUpdateFlags::AddWaiter(CProject* p) {
    std::lock_guard<std::mutex> g(mu_);
    waiters_.push_back(p);
}

void EngineUpdateFlags::RemoveWaiter(CProject* p) {
    std::lock_guard<std::mutex> g(mu_);
    waiters_.erase(std::find(waiters_.begin(), waiters_.end(), p));
}

void EngineUpdateFlags::Finish() {
    running.store(false);
    // Under the lock: a waiter is only removed, and so only gone, after this.
    std::lock_guard<std::mutex> g(mu_);
    for (CProject* p : waiters_) p->WakeWaiters();
}

EngineUpdateFlags& GlobalEngineUpdateFlags() {
    static EngineUpdateFlags flags;
    return flags;
}

bool EngineUpdateDue(const EngineDefs& defs, std::int64_t now) {
    if (IniNamesEqual(defs.Read(kOptions, "skipupdate", "no"), "yes")) return false;
    const std::int64_t last = IniNumber64(defs.Read(kOptions, "last", "0"));
    return !(now > last && now - last < kEngineUpdatePeriod);
}

void CheckEngineUpdate(CProject& project, const EngineDefs& defs, const EngineUpdateIo& io) {
    if (!EngineUpdateDue(defs, plat::NowSeconds())) return;
    EngineUpdateFlags& flags = GlobalEngineUpdateFlags();
    for (;;) {
        if (flags.running.load()) {
            NotifyRow(project, StatusEvent::WaitingForEngineUpdate);
            flags.AddWaiter(&project);
            project.WaitUntil(std::numeric_limits<std::int32_t>::max(), [&] {
                return !flags.running.load() || project.stopRequested.load();
            });
            flags.RemoveWaiter(&project);
            if (project.stopRequested.load()) return;
        }
        if (flags.asked.load()) return;
        bool idle = false;
        // One search puts the question; the others wait for its outcome.
        if (flags.running.compare_exchange_strong(idle, true)) break;
    }
    if (!flags.asked.load()) RunEngineUpdate(project, defs, io);
    flags.Finish();
}

void RunEngineUpdate(CProject& project, const EngineDefs& defs, const EngineUpdateIo& io) {
    EngineUpdateFlags& flags = GlobalEngineUpdateFlags();
    if (!(io.ask && io.ask())) {
        defs.Write(kOptions, "last", std::to_string(plat::NowSeconds()));
        flags.asked.store(true);
        return;
    }
    NotifyRow(project, StatusEvent::UpdatingEngine);
    const std::string url = defs.Read(kOptions, "update", kVendorUpdatePage);
    const std::string body = io.fetch ? io.fetch(url) : std::string();
    const std::string updatePath = plat::JoinPath(io.programFolder, kUpdateIniName);
    // Unwritable: the previous update file, if any, is merged instead.
    plat::WriteFileAtomic(updatePath, body);
    MergeEngineUpdate(updatePath, defs.Path(), plat::NowSeconds());
    flags.asked.store(true);
}

bool MergeEngineUpdate(const std::string& source, const std::string& destination,
                       std::int64_t now) {
    IniDocument src;
    std::string bytes;
    if (plat::ReadWholeFile(source, bytes)) src.Parse(bytes);
    IniFile dst;
    if (!dst.Load(destination)) return false;
    dst.Set(kOptions, "update", src.Get(kOptions, "update", kVendorUpdatePage));
    const int categories =
        std::min(IniNumber(src.Get(kCategories, "total", "0")), kMaxMergedCategories);
    if (categories > 0) {
        dst.Set(kCategories, "total", std::to_string(categories));
        for (int i = 1; i <= categories; ++i) {
            dst.Set(kCategories, NumberedKey("types", i),
                    src.Get(kCategories, NumberedKey("types", i), "htm,html"));
            dst.Set(kCategories, NumberedKey("list", i),
                    src.Get(kCategories, NumberedKey("list", i), "htm,html"));
            const std::string k = src.Get(kCategories, NumberedKey("cat", i));
            dst.Set(kCategories, NumberedKey("cat", i), k);
            if (k.empty()) continue;  // no section to merge into
            const int engines = std::min(IniNumber(src.Get(k, "total", "0")), kMaxMergedEngines);
            dst.Set(k, "total", std::to_string(engines));
            for (int j = 1; j <= engines; ++j) {
                const std::string e = src.Get(k, NumberedKey("eng", j));
                dst.Set(k, NumberedKey("eng", j), e);
                if (!e.empty()) MergeEngine(src, dst, e);
            }
        }
        dst.Set(kOptions, "last", std::to_string(now));
    }
    return dst.Save();
}

void ResetEngineUpdate(const EngineDefs& defs) {
    defs.Write(kOptions, "skipupdate", "no");
    defs.Write(kOptions, "last", "0");
    GlobalEngineUpdateFlags().asked.store(false);
}

}  // namespace ks
