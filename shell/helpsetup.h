#pragma once
// The help integration of the program: the help debug log and F1 before any
// window exists, and the help hook the main window owns.
#include <QStringList>

class TfrmCalcu;

// Before any window: the help log (an old one deleted; written only in debug
// mode) and F1 help in every window.
void StartHelp(const QStringList& arguments);

// The main window's help hook on the help file, owned by the window: help
// requests of the window (its menu, the first-run offer, F1) show their
// topic; closing the window closes the help windows.
void InstallHelp(TfrmCalcu& main);
