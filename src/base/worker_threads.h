// Worker threads and the end-of-worker hand-over.
//
// Each running project gets its own detached thread; a process-wide count of
// live worker threads lets the exit path (and the headless front end) wait
// until they have all wound down.
//
// Ownership hand-over: a project whose row is deleted while its worker runs
// is destroyed by that worker when it ends. The UI side and the worker decide
// this under the project's lock, so exactly one of them destroys it and never
// while the other still touches it.
#pragma once

#include <cstdint>
#include <functional>

namespace ks {

class CProject;

// Runs body on a new thread. False if the thread could not be created.
bool LaunchWorkerThread(std::function<void()> body);
int LiveWorkerThreads();
// True when no worker thread is left; false after timeoutMs (< 0: wait for ever).
bool WaitForWorkerThreads(std::int64_t timeoutMs);

// Worker side, the very last use of the project: clears active, workerRunning
// and queued, and destroys the project when deleteFiles or deleteWhenDone is set.
void EndWorker(CProject* project);

// Stop request: sets deleteFiles (when asked) and stopRequested and cancels the
// blocking call the worker sits in.
void RequestStop(CProject& project, bool deleteFiles);

// UI side: releases a project whose row is gone, after a stop request made under
// the same lock. Destroys it now when no worker runs, else leaves that to the
// worker. Returns true if destroyed here.
bool DestroyOrHandOver(CProject* project, bool deleteFiles);

}  // namespace ks
