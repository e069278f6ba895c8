#pragma once
// Puts every process-wide value of the program back to what a freshly started
// program has, so that no test sees what another one left behind, whatever
// order they run in. Fixtures call it in SetUp and in TearDown (the fixtures
// of support/fixtures.h do).
//
// A module that gets a new process-wide value adds its reset to the part of
// its layer here (test_support.cpp checks that each one comes back).

// Foundation and the three engines (library sumbrix_testsupport, QtCore only):
// the program's folder, title and message sink, the safe-write seam, the
// number text and display format, each engine's state, settings and message
// hook, the random generator, the metrics of formula pictures.
void ResetCoreState();

// All of ResetCoreState, then the layers with windows (library
// sumbrix_testsupport_gui): the radial gradient cache, the fake tick count,
// the key state, the shell service, the cursor confinement and the wait
// cursor, the link label's services, the translucency, entry-box and
// autocomplete switches, the shared list, keyboard and input windows, the
// main window's calculation values and its extension points.
void ResetProcessState();
