// The project files in "<program folder>/Projects": the 22-line project file
// (.kpr), the segment file list (.cac), the mirror list (.mir) and the upload
// list (.lst). Every file is replaced whole (temporary file + rename), so a
// crash leaves either the previous or the new version, never a torn one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/list_file.h"
#include "base/project.h"

namespace ks {

// "<programFolder>/Projects".
std::string ProjectsFolder(const std::string& programFolder);

// A free project number for files of the given extensions in projectsDir:
// the current time in seconds, or the next number after it when a file with
// that number already exists or the number was handed out before in this
// process. Thread-safe. `exts` are e.g. {".kpr", ".cac"}.
std::int64_t NewProjectNumber(const std::string& projectsDir, const std::vector<std::string>& exts);

// A new project. With assignNewFiles the .kpr and .cac names are given from
// one fresh number and the project is saved at once. The .cac file (segments
// > 0) and the .mir file (Download) named in the settings are read in.
std::unique_ptr<CProject> CreateProject(ProjectSettings settings, bool assignNewFiles,
                                        const std::string& programFolder);

// Writes the .kpr (false if that fails), then the .cac and .mir files. For a
// segment worker no file is written: it hands its progress and its node back
// (ReturnSegment).
bool SaveProject(CProject& project);

// Every project in "<programFolder>/Projects", in row order (by saved position,
// then renumbered 0..n-1), each with imageBase 5 (series finished) or 4.
// Creates the folder when missing.
std::vector<std::unique_ptr<CProject>> LoadProjects(const std::string& programFolder,
                                                    void* ownerList = nullptr);

// The .kpr text of a project; line 8 carries `line8` (savedProgress for a
// search, bytesDone otherwise). And the reverse: missing lines read as empty
// strings and 0.
std::string FormatProjectFile(const ProjectSettings& s, std::int64_t line8);
ProjectSettings ParseProjectFile(const std::string& text);

// The upload list: assigns the project's .lst name (its `source`) on first
// use, then writes one path per line.
bool WriteUploadList(CProject& project, const std::vector<std::string>& paths,
                     const std::string& programFolder);

// Mirror lists, same line rules as the upload list.
std::vector<std::string> ReadMirrorList(const std::string& path);
bool WriteMirrorList(const std::string& path, const std::vector<std::string>& mirrors);
// Refills the project's mirrors from its .mir file (Download with a .mir name
// only) and restarts the mirror rotation.
void LoadProjectMirrors(CProject& project);
// The project dialog's OK: assigns the .mir name when missing, replaces the
// mirror list and writes the file whatever it holds. False if not written.
bool StoreProjectMirrors(CProject& project, std::vector<std::string> mirrors,
                         const std::string& programFolder);

}  // namespace ks
