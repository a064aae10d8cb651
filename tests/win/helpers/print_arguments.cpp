// Prints the program's arguments as SplitCommandLine sees them: one line each, bytes in hex.
#include <cstdio>

#include "app/workspace_win.h"

int main() {
    for (const std::string& argument : SplitCommandLine()) {
        std::printf("[");
        for (unsigned char c : argument) {
            std::printf("%02x", c);
        }
        std::printf("]\n");
    }
    return 0;
}
