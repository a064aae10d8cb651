// The pure half of the ADB install sequence: the client's command lines and the judgement of its
// install output.
#pragma once

#include <string>
#include <string_view>

// The three commands of one install, run through the command interpreter from the run directory.
std::string KillServerCommand();
std::string ConnectCommand(std::string_view host, std::string_view port);
// The path goes between double quotes unchanged.
std::string InstallCommand(std::string_view packagePath);

// The port box's text goes into a command line the interpreter parses, so only 1 to 5 decimal
// digits with a value from 1 to 65535 are let through.
bool IsValidPort(std::string_view port);

// The outputs of one install sequence, each exactly as the runner returned it.
struct InstallOutputs {
    std::string killServer;
    std::string connect;
    std::string install;
};

// The install log: the three outputs joined by "\r\n".
std::string InstallLogText(const InstallOutputs& outputs);

// The client reports a finished install with a line that reads exactly "Success".
bool InstallSucceeded(std::string_view installOutput);
