#pragma once
// The program's start-up: the work done before the main window exists, then
// the windows in their order and the message loop.

// The engines' and the shell's process-wide start-up work: the executable's
// folder, the engines' message boxes through the program's boxes, the
// screen's font metrics for formula pictures. Needs the application object.
void StartUnits();

// The whole entry after the application object exists: returns the exit code
// of the message loop.
int RunProgram();
