// TEMPORARY stand-ins for the download worker's branch; removed on merge.
#include "transfer/ftp_temp_stubs.h"

#include "projects/project.h"

namespace ks {

void RetryWait(CProject&) {}

void EndWorker(CProject* p) {
    bool destroy;
    {
        std::lock_guard<std::mutex> g(p->mu);
        p->active = false;
        p->queued = false;
        p->workerRunning = false;
        destroy = p->deleteFiles || p->deleteWhenDone;
    }
    if (destroy) delete p;
}

}  // namespace ks
