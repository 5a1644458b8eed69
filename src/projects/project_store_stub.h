// TEMPORARY: stands in for projects/project_store.h until branch projects lands.
#pragma once
#include "projects/project.h"
namespace ks {
CProject* CreateProject(ProjectSettings settings, int assignNewFiles);
int SaveProject(CProject& project);
}  // namespace ks
