#include "app/instances.h"
#include "app/startup.h"

int main() { return runProgram(shell, world); }
