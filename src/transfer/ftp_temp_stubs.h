// TEMPORARY: the FTP files still include this; it now forwards to the real headers.
#pragma once
#include "projects/worker_threads.h"
#include "transfer/download_worker.h"
#include "transfer/segments.h"
