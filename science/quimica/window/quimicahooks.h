#pragma once
// What the main window's chemistry option adds to the shared autocomplete
// list: one entry per element of the table of atomic masses.
class TfmAutoComp;

// Adds Symbol + " - " + Name of every element, with the icon of the user
// functions' kind (5); accepting an entry inserts the symbol.
void AddChemistryAutoCompleteEntries(TfmAutoComp& list);
