// Start-up work and exit clean-up of the main window.
#pragma once

#include <string>
#include <vector>

// Created event of the main window: tool files, work folder, icon, dialogs, command line.
void PrepareWorkspace();

// Will-be-destroyed event: deletes the ADB toolkit from the run directory, when this instance is the one
// that installs (the toolkit in the folder is then its own).
void RemoveAdbTools();

// This instance now installs for the session: leftovers of an install that crashed are removed, the
// toolkit is written into the run directory, and the window can be found by other instances.
void BecomeInstaller();

// The process command line split into arguments, program name excluded.
std::vector<std::string> SplitCommandLine();

// The wide form of the process command line's arguments, program name excluded.
std::vector<std::wstring> SplitWideCommandLine();
