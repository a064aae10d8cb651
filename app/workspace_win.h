// Start-up work and exit clean-up of the main window.
#pragma once

#include <string>
#include <vector>

// Created event of the main window: tool files, work folder, icon, dialogs, command line.
void PrepareWorkspace();

// Will-be-destroyed event: deletes the ADB toolkit from the run directory.
void RemoveAdbTools();

// The process command line split into arguments, program name excluded.
std::vector<std::string> SplitCommandLine();
