#pragma once
// A formula picture with a quotient bar, a radical, a pi in the "Symbol"
// font, an italic variable and digits, drawn with the screen's fonts: what
// the picture writers and readers are tried on.
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"

#include <memory>

inline std::unique_ptr<FormulaPicture> SampleFormulaPicture()
{
    real::TExpresion e;
    e.SetUseBuiltIns(true);
    e.Silent = true;
    e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("Pi*raiz(12+x)/3"));
    return e.DrawToMetafile(&QtCanvasMetrics::shared());
}
