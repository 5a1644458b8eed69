// The settings the shell windows read and write themselves: the program
// folder, the few INI keys of the main window and view, and the three
// histories held for the whole run.
#pragma once

#include <string>

namespace ks {

struct ShellHistories {
    std::string url, upload, search;
};

class ShellSettings {
  public:
    // Resolves the program folder. On failure shows the matching message and
    // returns false; the caller ends the process with exit code 1.
    bool ResolveProgramFolder();
    const std::string& ProgramFolder() const { return folder_; }
    std::string IniPath() const;

    std::string Get(const char* section, const char* key, const char* def) const;
    int GetInt(const char* section, const char* key, int def) const;
    bool GetFlag(const char* section, const char* key, bool def) const;
    void Set(const char* section, const char* key, const std::string& value);
    void SetInt(const char* section, const char* key, int value);

    void LoadHistories();
    void SaveHistories() const;
    void ClearHistories();
    ShellHistories& Histories() { return histories_; }

  private:
    std::string folder_;
    ShellHistories histories_;
};

ShellSettings& AppSettings();

// Newest first, each entry once, cut at the last line feed past 5000 characters.
void AddToHistory(std::string& history, const std::string& entry);

}  // namespace ks
