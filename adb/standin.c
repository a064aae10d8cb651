#include <stdio.h>
int main(void) {
    fputs("MOSSGATE development stand-in for adb.exe: it installs nothing\n", stdout);
    return 1;
}
