// A small harness for tests that drive kestrune.exe from outside, through the
// same window messages a user's clicks produce. Each test is a plain function
// registered with GUI_TEST; the runner prints one line per test and a summary,
// and exits non-zero when anything failed or crashed.
//
// Helpers cover what every GUI test needs: starting the program on a prepared
// program folder, finding its windows and dialogs, pressing buttons, reading
// and setting control texts, and reading list-view cells across processes.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace guitest {

// ---- Registration and checks ---------------------------------------------

using TestFn = void (*)();
struct Registrar {
    // A test that needs servers started outside (named in the environment)
    // runs only when the command line's filter names it.
    Registrar(const char* name, TestFn fn, bool needsServers = false);
};

// Records a failed check for the running test; the test goes on.
void Fail(const char* file, int line, const std::string& what);
// Thrown by REQUIRE to end the running test at once.
struct AbortTest {};

template <class A, class B>
std::string Describe(const char* ea, const char* eb, const A& a, const B& b) {
    std::ostringstream o;
    o << ea << " == " << eb << " (got \"" << a << "\" vs \"" << b << "\")";
    return o.str();
}

}  // namespace guitest

#define GUI_TEST(name)                                                  \
    static void gui_test_##name();                                      \
    static ::guitest::Registrar gui_reg_##name(#name, gui_test_##name); \
    static void gui_test_##name()

// A test against servers an integration script starts and names in the
// environment; the plain run skips it.
#define GUI_TEST_SERVED(name)                                                 \
    static void gui_test_##name();                                            \
    static ::guitest::Registrar gui_reg_##name(#name, gui_test_##name, true); \
    static void gui_test_##name()

#define CHECK(cond) ((cond) ? (void)0 : ::guitest::Fail(__FILE__, __LINE__, "CHECK(" #cond ")"))
#define CHECK_EQ(a, b)                                                                      \
    do {                                                                                    \
        const auto& gt_a_ = (a);                                                            \
        const auto& gt_b_ = (b);                                                            \
        if (!(gt_a_ == gt_b_))                                                              \
            ::guitest::Fail(__FILE__, __LINE__, ::guitest::Describe(#a, #b, gt_a_, gt_b_)); \
    } while (0)
#define REQUIRE(cond)                                                  \
    do {                                                               \
        if (!(cond)) {                                                 \
            ::guitest::Fail(__FILE__, __LINE__, "REQUIRE(" #cond ")"); \
            throw ::guitest::AbortTest{};                              \
        }                                                              \
    } while (0)

namespace guitest {

// ---- Waiting --------------------------------------------------------------

// Polls pred every 20 ms until it holds or timeoutMs passes.
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// ---- Program folders and the program --------------------------------------

// A fresh empty folder under the test's temp area (removed at exit).
std::string MakeTempFolder(const std::string& tag);
bool WriteTextFile(const std::string& path, const std::string& text);
bool ReadTextFile(const std::string& path, std::string& out);
bool PathExists(const std::string& path);

// The folder that holds kestrune.exe and this test program.
std::string BuildFolder();

// One running kestrune.exe with its program folder set through KESTRUNE_HOME.
class App {
  public:
    App() = default;
    ~App();  // kills the process if a test left it running
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Starts the program and waits for its main window. args is the command
    // line after the program name.
    bool Start(const std::string& home, const std::string& args = "");
    // Starts another instance with args and waits for it to end.
    static DWORD RunSecond(const std::string& home, const std::string& args, int timeoutMs = 10000);
    // "E&xit" and wait for the process to end. Returns its exit code, or -1.
    int Exit(int timeoutMs = 10000);
    void Kill();

    HWND Main() const { return main_; }
    DWORD Pid() const { return pid_; }
    HANDLE Process() const { return process_; }
    bool Running() const;

    // Posts a menu/toolbar command to the main window.
    void Command(int id) const;
    // The job list (id 1234).
    HWND List() const;

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// ---- Windows and dialogs ----------------------------------------------------

// A visible top-level window of process pid with this class and title
// (empty class or title matches any). Waits up to timeoutMs.
HWND FindTop(DWORD pid, const std::string& cls, const std::string& title, int timeoutMs = 5000);
// A dialog (#32770) of process pid titled title.
HWND FindDialog(DWORD pid, const std::string& title, int timeoutMs = 5000);
// A message box of process pid whose text contains text; nullptr if none came.
HWND FindMessageBox(DWORD pid, const std::string& text, int timeoutMs = 5000);
// Whether some visible dialog of pid holds a static text containing text.
bool DialogHasText(HWND dlg, const std::string& text);

std::string WindowText(HWND w);
void SetText(HWND w, const std::string& text);
// A child control by its visible text (buttons, statics); nullptr if none.
HWND ChildByText(HWND parent, const std::string& text);
// Presses the button by its text without waiting (safe when the click opens
// a modal window).
bool Click(HWND parent, const std::string& buttonText);
// Presses the button by id and returns once the click was handled (don't use
// it for a click that opens a modal window: post BM_CLICK instead).
bool ClickId(HWND parent, int id);
// Closes a message box or dialog through its OK/Yes/etc. button by text.
bool Dismiss(HWND dlg, const std::string& buttonText = "OK");
// Types text into the edit part of a combo box, character by character, as
// the keyboard would.
void TypeInto(HWND combo, const std::string& text);

// ---- Toolbars in another process -------------------------------------------

// Command ids of the buttons in order, 0 for separators.
std::vector<int> ToolbarCommands(HWND toolbar);

// ---- List views in another process ----------------------------------------

int ListCount(HWND list);
std::string ListText(HWND list, int row, int column);
std::vector<std::string> ListRow(HWND list, int row, int columns);
// State image of a row (the small image index).
int ListImage(HWND list, int row);
std::string ListHeader(HWND list, int column);
int ListColumnWidth(HWND list, int column);
// The check box of a row of a list with check boxes.
bool ListChecked(HWND list, int row);
void ListSetChecked(HWND list, int row, bool on);
void ListSelectOnly(HWND list, int row);  // row -1 clears the selection
int ListFirstSelected(HWND list);

// ---- Status bars in another process ---------------------------------------

std::string StatusPartText(HWND status, int part);

// ---- Screens ----------------------------------------------------------------

// Saves the whole screen. A path ending in ".png" is written as PNG when the
// system's imaging library can; otherwise, and for any other path, as BMP
// (the ending is then changed to ".bmp"). Returns the path written, or "".
std::string SaveScreen(const std::string& path);
// The folder named by KESTRUNE_ARTIFACTS (a Unix path is taken as Z:), else ".".
std::string ArtifactsFolder();

}  // namespace guitest
