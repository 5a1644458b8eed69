#include "projects/queue_options.h"

namespace ks {

QueueOptions QueueOptionsFrom(const Settings& settings) {
    const Settings::Download& d = settings.download;
    QueueOptions o;
    o.limit = settings.limits.limit;
    o.maxFiles = settings.limits.maxFiles;
    o.immediate = d.immediate;
    o.useWav = d.useWav;
    o.wavFile = d.wavFile;
    o.dontAskMe = d.dontAskMe;
    o.acceleration = d.acceleration;
    o.autoMirror = d.autoMirrorCheck;
    o.checkFast = d.checkFast;
    return o;
}

}  // namespace ks
