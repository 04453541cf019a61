// Starts TEST.exe, waits for its finished log, prints it and closes the
// program as a user would.
#include "tools/outside.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>

static std::string ProgramBesideThisOne()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of("\\/") + 1) + "TEST.exe";
}

int main(int argc, char **argv)
{
    std::string path = argc > 1 ? argv[1] : ProgramBesideThisOne();
    Program program = StartProgram(path);
    if (program.error) {
        fprintf(stderr, "check: cannot start %s (error %lu)\n", path.c_str(), program.error);
        return 2;
    }
    HWND main = NULL;
    DWORD exitCode = 0;
    for (int i = 0; i < 3000 && !main; i++) {
        if (HasEnded(program, &exitCode)) {
            fprintf(stderr, "check: ended with %lu\n", exitCode);
            return 2;
        }
        main = FindFinishedMainWindow(program);
        if (!main)
            Sleep(10);
    }
    if (!main) {
        EndProgram(&program);
        fprintf(stderr, "check: no window\n");
        return 2;
    }
    printf("%s\n", ReadLogPane(main).c_str());
    CloseProgram(program, main, 10000, &exitCode);
    printf("exit code %lu\n", exitCode);
    EndProgram(&program);
    return 0;
}
