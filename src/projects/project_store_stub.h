// TEMPORARY: the queue's two-argument CreateProject over the real project
// files, until the queue calls project_store.h directly.
#pragma once
#include "app/runtime.h"
#include "projects/project_store.h"
namespace ks {
inline CProject* CreateProject(ProjectSettings settings, int assignNewFiles) {
    return CreateProject(std::move(settings), assignNewFiles != 0, GlobalRuntime().ProgramFolder())
        .release();
}
}  // namespace ks
