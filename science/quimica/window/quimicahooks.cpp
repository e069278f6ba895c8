#include "science/quimica/window/quimicahooks.h"

#include "controls/frmautocomp.h"
#include "science/quimica/quimica.h"

void AddChemistryAutoCompleteEntries(TfmAutoComp& list)
{
    const int icon = AutoCompIconIndex(kChemistryAutoCompleteKind);
    for (const QString& text : ChemistryAutoCompleteTexts())
        list.AddItem(text, icon);
}
