#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/instances.h"
#include "app/screenshot.h"
#include "app/startup.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandAction::Help:
        printViewerHelp(stdout);
        return 0;
    case CommandAction::Version:
        std::printf("lumora %s\n", LUMORA_VERSION);
        return 0;
    case CommandAction::Usage:
        std::fprintf(stderr, "lumora: cannot use %s; %s\n", line.problem, kViewerUsage);
        return 2;
    case CommandAction::Run:
        break;
    }
    rememberStartFolder();
    if (!enterDataFolder(line.folder))
        return 1;
    return runProgram(shell, world, line.mode);
}
