#include "support/processstate.h"

#include "engine/bases.h"
#include "engine/complex/expresion.h"
#include "engine/complex/mcomplex.h"
#include "engine/complex/tree.h"
#include "engine/formatonum.h"
#include "engine/formulapicture.h"
#include "engine/rational/expresion.h"
#include "engine/rational/fraccion.h"
#include "engine/rational/tree.h"
#include "engine/real/builtins_math.h"
#include "engine/real/expresion.h"
#include "engine/real/tree.h"
#include "foundation/core/basicos.h"
#include "foundation/core/filesafe.h"

void ResetCoreState()
{
    // Foundation.
    Basicos().reset();
    FileWriting().reset();

    // What the three engines share.
    numtext().reset();
    ResetNumberFormat();
    PictureMetrics::reset();

    // The real engine.
    real::engineState().reset();
    real::messageHook() = nullptr;
    real::builtins::RandomState::reset();

    // The complex engine.
    complex::engineState().reset();
    complex::complexSettings().reset();
    complex::messageHook() = nullptr;

    // The rational engine.
    rational::engineState().reset();
    rational::fracSettings().reset();
    rational::messageHook() = nullptr;
}
