// A worker's checkpoints: after each file of a series, when segments split
// off, and at its end. A segment worker hands its progress back to the node it
// served; any other project is written to its project files by the saver the
// project store installs (the store sits above the transfer code, which must
// not depend on it).
#pragma once

namespace ks {

class CProject;

using ProjectSaver = bool (*)(CProject& project);
void SetProjectSaver(ProjectSaver saver);

// False when the project could not be saved or no saver is installed.
bool SaveCheckpoint(CProject& project);

// The end of a segment worker: its progress goes back to its node and it lets
// go of the node and of its parent (parentProject and servedSegment are
// cleared; a second call does nothing). Always true.
bool ReturnSegment(CProject& worker);

}  // namespace ks
