// The queue's options as the settings file gives them. The program and the
// headless front end both take them from here; what a front end cannot do
// (play a sound, ask before a download) its QueueHost leaves undone.
#pragma once

#include "app/settings.h"
#include "projects/queue.h"

namespace ks {

QueueOptions QueueOptionsFrom(const Settings& settings);

}  // namespace ks
