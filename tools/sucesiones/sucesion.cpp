#include "tools/sucesiones/sucesion.h"

#include "engine/errors.h"
#include "engine/formuladraw.h"
#include "engine/real/builtins_math.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"

#include <algorithm>

namespace {

using formuladraw::SetFont;
using formuladraw::TextAt;
using formuladraw::TimesFace;

// f, g and h: the name in bold, centred on the axis of the argument, which
// is always in parentheses.
void MeasureCall(const QString& name, real::TEval* node, Canvas& canvas, int size, int& width, int& above,
                 int& below)
{
    int aw = 0, aa = 0, ab = 0;
    node->Children[0]->MeasureWithParens(canvas, size, true, aw, aa, ab);
    SetFont(canvas, TimesFace(), fsBold, size);
    const int nw = canvas.textWidth(name);
    const int nh = canvas.textHeight(name);
    width = nw + aw + size / 6;
    above = std::max(aa, nh / 2);
    below = std::max(ab, nh - nh / 2);
}

void DrawCall(const QString& name, real::TEval* node, Canvas& canvas, int x, int y, int size)
{
    int aw = 0, aa = 0, ab = 0;
    node->Children[0]->MeasureWithParens(canvas, size, true, aw, aa, ab);
    SetFont(canvas, TimesFace(), fsBold, size);
    const int nw = canvas.textWidth(name);
    const int nh = canvas.textHeight(name);
    const int axis = y + std::max(aa, nh / 2);
    TextAt(canvas, x, axis - nh / 2, name);
    node->Children[0]->DrawWithParens(canvas, x + nw + size / 12, axis - aa, size, true);
}

// S1 .. S9: "S" with the subscript "n-k" at two thirds of the size, lowered
// by a third of the height of "S"; measured with "n-2" whatever k is.
void MeasureEarlier(Canvas& canvas, int size, int& width, int& above, int& below)
{
    SetFont(canvas, TimesFace(), 0, size);
    const int sw = canvas.textWidth(QStringLiteral("S"));
    const int sh = canvas.textHeight(QStringLiteral("S"));
    SetFont(canvas, TimesFace(), 0, 2 * size / 3);
    width = sw + canvas.textWidth(QStringLiteral("n-2"));
    above = sh / 2;
    below = sh / 2;
}

void DrawEarlier(int k, Canvas& canvas, int x, int y, int size)
{
    SetFont(canvas, TimesFace(), 0, size);
    const int sw = canvas.textWidth(QStringLiteral("S"));
    const int sh = canvas.textHeight(QStringLiteral("S"));
    TextAt(canvas, x, y, QStringLiteral("S"));
    SetFont(canvas, TimesFace(), 0, 2 * size / 3);
    TextAt(canvas, x + sw, y + sh / 3, Format(QStringLiteral("n-%d"), {k}));
}

// The error of f, g or h while S is evaluated becomes S's own: the same
// arithmetic fault, or the function's message.
[[noreturn]] void RaiseFunctionError(const real::TExpresion& e)
{
    switch (e.ErrorCode) {
    case real::errZeroDivide: throw EZeroDivide();
    case real::errOverflow: throw EOverflow();
    case real::errUnderflow: throw EUnderflow();
    case real::errInvalidArgument: throw EInvalidArgument();
    case real::errInvalidOp: throw EInvalidOp();
    default: throw real::EExprMsj(e.ErrorMessage);
    }
}

} // namespace

TSucesion::TSucesion()
{
    real::TExpresion* functions[3] = {&F, &G, &H};
    for (int i = 0; i < 3; ++i) {
        functions[i]->SetUseBuiltIns(true);
        functions[i]->Silent = true;
        m_x[i] = functions[i]->AddVariable(QStringLiteral("x"));
    }
    S.SetUseBuiltIns(true);
    S.Silent = true;
    RegisterEntries();
    P.Parent = &S;
    P.Silent = true;
    real::engineState().EqualityTolerance = 0;
}

void TSucesion::RegisterEntries()
{
    real::TExpresion* functions[3] = {&F, &G, &H};
    const char* names[3] = {"f", "g", "h"};
    for (int i = 0; i < 3; ++i) {
        const QString name = QString::fromLatin1(names[i]);
        real::TExpresion* e = functions[i];
        real::TVariable* x = m_x[i];
        S.AddFunction1(
            name,
            [e, x, this](Extended a) -> Extended {
                x->SetValue(a);
                const Extended v = e->Evaluate();
                if (e->HasError && !Probing)
                    RaiseFunctionError(*e);
                return v;
            },
            {}, QStringLiteral("Función ") + name + QStringLiteral("(x)"),
            [name](real::TEval* node, Canvas& c, int size, int& w, int& a, int& b) {
                MeasureCall(name, node, c, size, w, a, b);
            },
            [name](real::TEval* node, Canvas& c, int x0, int y0, int size) { DrawCall(name, node, c, x0, y0, size); });
    }
    S.AddFunction0(QStringLiteral("Sn"), [this] { return Term(0); }, 2, QStringLiteral("Sn"));
    for (int k = 1; k <= 9; ++k) {
        S.AddFunction0(
            Format(QStringLiteral("S%d"), {k}), [this, k] { return Term(k); }, 2, Format(QStringLiteral("Sn-%d"), {k}),
            [](real::TEval*, Canvas& c, int size, int& w, int& a, int& b) { MeasureEarlier(c, size, w, a, b); },
            [k](real::TEval*, Canvas& c, int x0, int y0, int size) { DrawEarlier(k, c, x0, y0, size); });
    }
    S.AddFunction0(QStringLiteral("n"), [this] { return static_cast<Extended>(N) - Shift; }, 2,
                   QStringLiteral("Número de iteración"));
}

Extended TSucesion::Term(int k)
{
    if (Probing) {
        Lag = std::max(Lag, k + Shift);
        return real::builtins::RandomState::next();
    }
    return History[static_cast<size_t>(k + Shift)];
}

std::array<bool, TSucesion::kTexts> TSucesion::CompileAll(const TTexts& texts)
{
    Probing = true;
    std::array<bool, kTexts> ok{};
    real::TExpresion* all[kTexts] = {&F, &G, &H, &S, &P};
    for (int i = 0; i < kTexts; ++i) {
        real::TExpresion& e = *all[i];
        if (i == kS || i == kP) {
            // A constant call f(2) was worked out when the text was compiled:
            // compile again so that it sees the f of now.
            e.SetText(QStringLiteral(" "));
        }
        e.SetText(texts[static_cast<size_t>(i)]);
        ok[static_cast<size_t>(i)] = !e.HasError && e.Compiled;
    }
    if (!ok[kP])
        P.SetText(QStringLiteral("-1"));
    return ok;
}

int TSucesion::ProbeLag()
{
    Lag = Shift;
    Probing = true;
    S.Evaluate();
    Probing = false;
    N = static_cast<std::uint32_t>(Lag);
    History.fill(0);
    return Lag;
}

void TSucesion::SetInitial(int i, Extended value)
{
    if (i >= 1 && i <= Lag)
        History[static_cast<size_t>(Lag - i)] = value;
}

bool TSucesion::NextTerm()
{
    ++N;
    for (int k = kHistory - 1; k > 0; --k)
        History[static_cast<size_t>(k)] = History[static_cast<size_t>(k - 1)];
    History[0] = S.Evaluate();
    return !S.HasError;
}

bool TSucesion::StopNow() { return P.Evaluate() > 0; }

QString TSucesion::TermLine(std::uint32_t index, Extended value)
{
    return Format(QStringLiteral("S(%d)=\t%g"), {index, value});
}

TSucesion::TRunEnd TSucesion::RunDetailed(QStringList& lines)
{
    Probing = false;
    const int steps = N < 10 ? kDetailedSteps - Lag : kDetailedSteps;
    for (int i = 0; i < steps; ++i) {
        if (StopNow())
            return TRunEnd::Stopped;
        if (StopFailed())
            return TRunEnd::StopFailed;
        if (!NextTerm())
            return TRunEnd::Failed;
        lines << TermLine(N, History[0]);
    }
    return TRunEnd::Limit;
}

TSucesion::TRunEnd TSucesion::RunBatch(const std::function<bool()>& cancel)
{
    Probing = false;
    for (;;) {
        for (int i = 0; i < kBatch; ++i) {
            if (!NextTerm())
                return TRunEnd::Failed;
            if (StopNow())
                return TRunEnd::Stopped;
            if (StopFailed())
                return TRunEnd::StopFailed;
        }
        if (cancel && cancel())
            return TRunEnd::Cancelled;
    }
}

QStringList TSucesion::ClosingLines(bool detailed, TRunEnd end) const
{
    QStringList lines;
    if (!detailed) {
        for (int j = 9 - Lag; j >= 1; --j)
            if (static_cast<long long>(N) - j > Lag)
                lines << TermLine(N - static_cast<std::uint32_t>(j), History[static_cast<size_t>(j)]);
    }
    if (end == TRunEnd::Failed)
        lines << Format(QStringLiteral("S(%d)=\t%s"), {N, S.ErrorMessage});
    else if (end == TRunEnd::StopFailed)
        lines << Format(QStringLiteral("Condición de parada en n=%d:\t%s"), {N, P.ErrorMessage});
    else if (!detailed)
        lines << TermLine(N, History[0]);
    return lines;
}

Extended ReadNumber(const QString& text)
{
    Extended v = 0;
    if (!TryStrToFloat(text.trimmed(), v))
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor decimal válido"), {text}));
    return v;
}

int ParseShift(const QString& text)
{
    long long v = 0;
    if (!TryStrToInt(text, v) || v < INT32_MIN || v > INT32_MAX)
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor entero válido"), {text}));
    return v == 1 ? 1 : 0;
}

QString TSuceFile::FileName() { return ExeDir() + QStringLiteral("suce.ini"); }

QStringList TSuceFile::Names()
{
    TZelIniFile ini(FileName());
    QStringList sections;
    ini.ReadSections(sections);
    sections.removeAll(kState);
    return sections;
}

bool TSuceFile::Exists(const QString& name)
{
    TZelIniFile ini(FileName());
    return ini.SectionExists(name);
}

TDefinicion TSuceFile::Load(const QString& name)
{
    TZelIniFile ini(FileName());
    QStringList lines;
    ini.ReadList(name, lines, QString());
    if (lines.size() < 6)
        throw Exception(Format(QStringLiteral("La definición \"%s\" de %s está incompleta: tiene %d líneas "
                                              "y necesita al menos 6. No se carga."),
                               {name, QStringLiteral("suce.ini"), static_cast<int>(lines.size())}));
    TDefinicion d;
    const qsizetype first = lines.size() - 6;
    d.Comments = lines.mid(0, first);
    for (int i = 0; i < TSucesion::kTexts; ++i)
        d.Texts[static_cast<size_t>(i)] = lines[first + i];
    d.ShiftText = lines.last();
    return d;
}

void TSuceFile::Save(const QString& name, const TDefinicion& definition)
{
    QStringList lines = definition.Comments;
    for (const QString& t : definition.Texts)
        lines << t;
    lines << definition.ShiftText;
    TZelIniFile ini(FileName());
    ini.EraseSection(name);
    ini.WriteList(name, lines);
    ini.UpdateFile();
}

void TSuceFile::Erase(const QString& name)
{
    TZelIniFile ini(FileName());
    ini.EraseSection(name);
    ini.UpdateFile();
}
