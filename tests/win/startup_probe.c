/* A small program for the process-start tests: writes what it was started with to a file.
 *   startup_probe.exe <record file> [milliseconds to stay before writing]
 * The record is one line: wShowWindow dwFlags, then the current directory, then the command line. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    if (argc > 2) {
        Sleep((DWORD)atoi(argv[2]));
    }
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(folder), folder);
    /* Written under another name first, so a reader never sees half a record. */
    char partial[MAX_PATH + 8];
    snprintf(partial, sizeof(partial), "%s.part", argv[1]);
    FILE* record = fopen(partial, "wb");
    if (record == NULL) {
        return 3;
    }
    fprintf(record, "%u %lu\n%s\n%s", (unsigned)startup.wShowWindow, (unsigned long)startup.dwFlags, folder,
            GetCommandLineA());
    fclose(record);
    return MoveFileExA(partial, argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
