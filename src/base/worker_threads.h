// Worker threads, and who owns a project while they run.
//
// THE RULE. A project lives in a ProjectPtr (std::shared_ptr). The queue's row
// holds one; every thread that works on a project holds another for as long
// as it runs, captured in its body. Whoever lets go last destroys the project
// (and with deleteFiles set, its files); nobody deletes one by hand.
//
// To start a worker: LaunchWorkerThread([project] { Work(project.get()); })
// with `project` a ProjectPtr copied into the body. The thread is joinable and
// owned by the process's worker list; it is joined when it has ended, and the
// exit path waits for and joins every one (WaitForWorkerThreads) before it
// destroys anything a worker may use. A worker must therefore end promptly
// once stopRequested is set: every blocking call it makes is cancellable
// (SetConnection / SetClient; host lookups can be walked away from).
//
// Segment workers are projects too, owned by their own thread's body; the
// node they serve only names the worker (CSegment::worker) and the worker
// lets go of the node (ReturnSegment) before it ends. A segmented project's
// own worker waits for all its segments, so none outlives it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace ks {

class CProject;
using ProjectPtr = std::shared_ptr<CProject>;

// Runs body on a new joinable thread. False if the thread could not be created.
bool LaunchWorkerThread(std::function<void()> body);
int LiveWorkerThreads();
// Waits until no worker thread is left and joins them all: true. False after
// timeoutMs (< 0: wait for ever), with the threads that ended joined.
bool WaitForWorkerThreads(std::int64_t timeoutMs);

// Worker side, the last step of a worker on its project: a segment worker
// hands its node back, then active, workerRunning and queued are cleared.
void EndWorker(CProject* project);

// Stop request: sets deleteFiles (when asked) and stopRequested, wakes the
// worker's waits and cancels the blocking call it sits in.
void RequestStop(CProject& project, bool deleteFiles);

}  // namespace ks
