// "Scheduler/Automatic Settings": the days and times of the scheduled run and
// the closing actions.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "connection_dialog_ids.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/dialog_base.h"

namespace ks {
namespace {

constexpr const char* kSection = "Scheduler";

struct FlagControl {
    int id;
    const char* key;
    bool ScheduleSettings::*flag;
};
// In the order OK writes them.
constexpr FlagControl kFlags[] = {
    {IDC_SCH_EXPIRE, "expire", &ScheduleSettings::expire},
    {IDC_SCH_NOMORE, "nomore", &ScheduleSettings::nomore},
    {IDC_SCH_QUIT, "quit", &ScheduleSettings::quit},
    {IDC_SCH_SHUTDOWN, "shutdown", &ScheduleSettings::shutdown},
    {IDC_SCH_QUIT2, "quit2", &ScheduleSettings::quit2},
    {IDC_SCH_SHUTDOWN2, "shutdown2", &ScheduleSettings::shutdown2},
    {IDC_SCH_ENABLE, "enable", &ScheduleSettings::enable},
    {IDC_SCH_SPECIFY, "specify", &ScheduleSettings::specify},
    {IDC_SCH_DAY_FIRST + 5, "friday", &ScheduleSettings::friday},
    {IDC_SCH_DAY_FIRST + 1, "monday", &ScheduleSettings::monday},
    {IDC_SCH_DAY_FIRST + 6, "saturday", &ScheduleSettings::saturday},
    {IDC_SCH_DAY_FIRST + 0, "sunday", &ScheduleSettings::sunday},
    {IDC_SCH_DAY_FIRST + 4, "thursday", &ScheduleSettings::thursday},
    {IDC_SCH_DAY_FIRST + 2, "tuesday", &ScheduleSettings::tuesday},
    {IDC_SCH_DAY_FIRST + 3, "wednesday", &ScheduleSettings::wednesday},
};

class CSchedulerDialog : public dlg::CDialog {
  public:
    explicit CSchedulerDialog(Settings& s) : CDialog(IDD_SCHEDULER), s_(s) {}

  protected:
    BOOL OnInit() override {
        const ScheduleSettings& c = s_.scheduler;
        for (const FlagControl& f : kFlags) SetCheck(f.id, c.*f.flag);
        SetPicker(IDC_SCH_DATE, c.year, c.month, c.day, 0, 0, 0);
        SetPicker(IDC_SCH_START, 2000, 1, 1, c.startHour, c.startMin, c.startSec);
        SetPicker(IDC_SCH_END, 2000, 1, 1, c.endHour, c.endMin, c.endSec);
        ApplyEnabling();
        return TRUE;
    }

    bool OnCommand(int id, int, HWND) override {
        if (id == IDC_SCH_ENABLE) {
            ApplyEnabling();
            return true;
        }
        if (id == IDC_SCH_SPECIFY) {
            Enable(IDC_SCH_DATE, Checked(IDC_SCH_SPECIFY));
            return true;
        }
        return false;
    }

    bool OnOk() override {
        ScheduleSettings& c = s_.scheduler;
        for (const FlagControl& f : kFlags) c.*f.flag = Checked(f.id);
        const SYSTEMTIME date = Picker(IDC_SCH_DATE), start = Picker(IDC_SCH_START),
                         end = Picker(IDC_SCH_END);
        c.year = date.wYear;
        c.month = date.wMonth;
        c.day = date.wDay;
        c.startHour = start.wHour;
        c.startMin = start.wMinute;
        c.startSec = start.wSecond;
        c.endHour = end.wHour;
        c.endMin = end.wMinute;
        c.endSec = end.wSecond;
        IniFile ini;
        ini.Load(s_.iniPath);
        for (const FlagControl& f : kFlags) ini.Set(kSection, f.key, FormatIniFlag(c.*f.flag));
        const std::pair<const char*, std::int32_t> numbers[] = {
            {"endhour", c.endHour},   {"starthour", c.startHour}, {"endmin", c.endMin},
            {"startmin", c.startMin}, {"endsec", c.endSec},       {"startsec", c.startSec},
            {"year", c.year},         {"month", c.month},         {"day", c.day},
        };
        for (const auto& [key, v] : numbers) ini.Set(kSection, key, std::to_string(v));
        ini.Save();
        return true;
    }

  private:
    void SetPicker(int id, int y, int mo, int d, int h, int mi, int s) {
        SYSTEMTIME t{};
        // A date the picker cannot show falls back to its own (today's).
        if (y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1 || d > 31) return;
        t.wYear = WORD(y);
        t.wMonth = WORD(mo);
        t.wDay = WORD(d);
        t.wHour = WORD(h >= 0 && h < 24 ? h : 0);
        t.wMinute = WORD(mi >= 0 && mi < 60 ? mi : 0);
        t.wSecond = WORD(s >= 0 && s < 60 ? s : 0);
        SendMessageA(Item(id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
    }

    SYSTEMTIME Picker(int id) const {
        SYSTEMTIME t{};
        SendMessageA(Item(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
        return t;
    }

    void ApplyEnabling() {
        const bool on = Checked(IDC_SCH_ENABLE);
        for (const FlagControl& f : kFlags)
            if (f.id != IDC_SCH_ENABLE) Enable(f.id, on);
        Enable(IDC_SCH_START, on);
        Enable(IDC_SCH_END, on);
        Enable(IDC_SCH_DATE, on && Checked(IDC_SCH_SPECIFY));
    }

    Settings& s_;
};

}  // namespace

bool RunSchedulerDialog(HWND parent, Settings& settings, bool& enabledNow) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    Settings edited = settings;
    CSchedulerDialog d(edited);
    if (d.DoModal(parent) != IDOK) return false;
    enabledNow = !settings.scheduler.enable && edited.scheduler.enable;
    settings = edited;
    return true;
}

}  // namespace ks
