#pragma once

#include "engine/Workspace.h"

#include <QString>

// Reads the settings a comparison depends on (toolbar toggles, legend colours, ignore-case,
// folder-content mode) from the settings file into the workspace.
void sLoadComparisonOptions(Workspace &ws, const QString &iniPath);
