#include "support/processstate.h"

#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "controls/pvlurl.h"
#include "drawkit/gradients.h"
#include "platform/keystate.h"
#include "platform/shell.h"
#include "platform/tickcount.h"
#include "platform/window.h"
#include "services/calcmodel.h"
#include "services/frminput.h"
#include "services/pictureexport.h"
#include "services/toolhost.h"

#include <QGuiApplication>

void ResetProcessState()
{
    ResetCoreState();

    // Drawing kit.
    ClearRadialGradientCache();

    // Platform.
    platform::tickcount::reset();
    KeyStateTracker::instance().clear();
    SetShellService(nullptr);
    platform::ReleaseCursorClip();
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();

    // Controls: the shared windows go first, then the switches they read.
    FreeAutoComp();
    FreeTeclado();
    AutoComp().reset();
    ComboExpr().reset();
    FormMXSettings().reset();
    TpvlUrl::reset();

    // Services.
    delete fmInput; // its destructor clears the pointer
    Calc().reset();
    MainExtensions().reset();
    PictureExporting().reset();
}
