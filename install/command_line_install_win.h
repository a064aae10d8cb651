// Installing the package named by the first command-line argument.
#pragma once

void RunCommandLineInstall();
