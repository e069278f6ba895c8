#include "science/quimica/quimica.h"

#include "engine/bases.h"
#include "engine/formatonum.h"
#include "engine/splitter.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Longer runs of digits are refused: 18 decimal digits always fit a 64-bit
// integer, and the mass is then computed in extended precision.
constexpr int kMaxDigits = 18;

bool isUpper(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }
bool isLower(QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The value of a run of decimal digits; false when it is longer than kMaxDigits.
bool digitsValue(QStringView digits, Extended& value)
{
    if (digits.size() > kMaxDigits)
        return false;
    long long n = 0;
    for (QChar c : digits)
        n = n * 10 + (c.unicode() - '0');
    value = static_cast<Extended>(n);
    return true;
}

// The run of digits of `text` from the 0-based index i.
qsizetype digitRun(const QString& text, qsizetype i)
{
    qsizetype j = i;
    while (j < text.size() && isDigit(text[j]))
        ++j;
    return j - i;
}

const TAtomicMass* findSymbol(const QString& symbol)
{
    for (const TAtomicMass& a : AtomicMassTable()) {
        if (a.Symbol == symbol)
            return &a;
    }
    return nullptr;
}

} // namespace

QuimicaGlobals& Quimica()
{
    static QuimicaGlobals g;
    return g;
}

QString AtomicMassFileName() { return ExeDir() + QStringLiteral("quim.ini"); }

QString LoadAtomicMasses() { return LoadAtomicMassesFrom(AtomicMassFileName()); }

QString LoadAtomicMassesFrom(const QString& fileName)
{
    QStringList lines;
    bool readable = false;
    if (QFileInfo::exists(fileName)) {
        TZelIniFile ini(fileName);
        ini.ReadSectionValues(QStringLiteral("MASAS"), lines);
        readable = ini.FileFound();
    }
    SetAtomicMassLines(lines);
    // Not one element with a mass: nothing of the file could be used.
    const auto& table = AtomicMassTable();
    const bool usable = std::any_of(table.begin(), table.end(),
                                    [](const TAtomicMass& a) { return !a.Symbol.isEmpty() && a.Mass > 0; });
    if (!readable || usable)
        return QString();
    AtomicMassTable().clear();
    return DamagedDataFileMessage(fileName);
}

void SetAtomicMassLines(const QStringList& lines)
{
    std::vector<TAtomicMass> table;
    table.reserve(static_cast<size_t>(lines.size()));
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq);
        TAtomicMass a;
        const qsizetype us = key.indexOf(QLatin1Char('_'));
        if (us <= 0) {
            a.Symbol = key;
        } else {
            a.Symbol = key.left(us);
            a.Name = key.mid(us + 1);
        }
        Extended mass = 0;
        if (!TryStrToFloat(line.mid(eq + 1).trimmed(), mass))
            mass = 0;
        a.Mass = mass;
        table.push_back(std::move(a));
    }
    AtomicMassTable() = std::move(table);
}

void UnloadAtomicMasses() { AtomicMassTable().clear(); }

// ---------------------------------------------------------------------------
// Molar mass

bool ParseFormulaTerm(const QString& text, Extended& mass, int& pos)
{
    enum State { Start, Symbol, Count, End, Error };
    State state = Start;
    QString symbol;
    QString count;
    Extended groupMass = 0;
    const int len = static_cast<int>(text.size());
    while (pos >= 1 && pos <= len && state != End && state != Error) {
        const QChar c = text[pos - 1];
        switch (state) {
        case Start:
            if (isUpper(c)) {
                symbol = c;
                ++pos;
                state = Symbol;
            } else if (c == QLatin1Char('(')) {
                // The group: everything up to the next ")", the first character
                // after "(" always taken. Groups do not nest.
                ++pos;
                if (pos > len)
                    return false;
                const qsizetype close = text.indexOf(QLatin1Char(')'), pos);   // 0-based search from pos + 1
                if (close < 0)
                    return false;
                const QString group = text.mid(pos - 1, close - (pos - 1));
                pos = static_cast<int>(close) + 2;
                bool ok = false;
                groupMass = MolarMass(group, ok);
                if (!ok)
                    return false;
                symbol = QStringLiteral("(");
                state = Symbol;
            } else {
                state = Error;
            }
            break;
        case Symbol:
        case Count:
            if (isUpper(c) || c == QLatin1Char('(')) {
                state = End;
            } else if (isLower(c)) {
                // Small letters continue a symbol, never a count.
                if (state == Count) {
                    state = Error;
                } else {
                    symbol += c;
                    ++pos;
                }
            } else if (isDigit(c)) {
                count += c;
                ++pos;
                state = Count;
            } else if (c == QLatin1Char('.')) {
                ++pos;
                state = End;
            } else {
                state = Error;
            }
            break;
        case End:
        case Error:
            break;
        }
    }
    if (state == Error)
        return false;
    Extended n = 1;
    if (!count.isEmpty() && !digitsValue(count, n))
        return false;
    if (symbol == QLatin1String("(")) {
        mass = groupMass * n;
        return true;
    }
    const TAtomicMass* a = findSymbol(symbol);
    if (!a)
        return false;
    mass = a->Mass * n;
    return true;
}

Extended MolarMass(const QString& text, bool& ok)
{
    ok = false;
    const qsizetype lead = digitRun(text, 0);
    if (text.isEmpty() || lead == text.size())
        return 0;
    Extended coefficient = 1;
    if (lead > 0 && !digitsValue(QStringView(text).left(lead), coefficient))
        return 0;
    const int len = static_cast<int>(text.size());
    int pos = static_cast<int>(lead) + 1;
    Extended sum = 0;
    Extended part = 0;         // the terms since the last "."
    Extended partFactor = 1;   // the number that began them
    for (;;) {
        Extended mass = 0;
        if (!ParseFormulaTerm(text, mass, pos))
            return 0;
        part += mass;
        if (pos > len)
            break;
        if (text[pos - 2] == QLatin1Char('.')) {
            // After a ".": a number multiplies the terms up to the next ".".
            sum += part * partFactor;
            part = 0;
            partFactor = 1;
            const qsizetype run = digitRun(text, pos - 1);
            if (run > 0) {
                if (!digitsValue(QStringView(text).mid(pos - 1, run), partFactor))
                    return 0;
                pos += static_cast<int>(run);
                if (pos > len)
                    return 0;   // a number with nothing after it
            }
        }
    }
    sum += part * partFactor;
    if (coefficient != 1)
        sum *= coefficient;
    ok = true;
    // The masses are decimals: 1000 × 1.008 is 1008, not 1007.9999999999999999.
    return RoundToDataPrecision(sum, sum);
}

// ---------------------------------------------------------------------------
// Drawing

std::vector<bool> ChemicalSubscripts(const QString& text)
{
    std::vector<bool> out;
    out.reserve(static_cast<size_t>(text.size()));
    bool flag = false;
    for (QChar c : text) {
        if (isUpper(c) || isLower(c) || c == QLatin1Char(')'))
            flag = true;
        else if (c == QLatin1Char('(') || c == QLatin1Char('.'))
            flag = false;
        out.push_back(flag && isDigit(c));
    }
    return out;
}

namespace {

void setBaseFont(Canvas& canvas, int size)
{
    CanvasFont f = canvas.font();
    f.Name = QStringLiteral("Times New Roman");
    f.Style = 0;
    f.Height = -size;
    canvas.setFont(f);
    canvas.setBrushStyle(bsClear);
}

// Half the size for a subscript; never 0, which would ask for a default font.
int subscriptSize(int size) { return std::max(1, size / 2); }

// Puts the font colour back to black however the drawing ends.
struct BlackAtEnd {
    Canvas& canvas;
    ~BlackAtEnd() { canvas.setFontColor(clBlack); }
};

} // namespace

void MeasureChemicalText(const QString& text, Canvas& canvas, int size, int& width, int& above, int& below)
{
    setBaseFont(canvas, size);
    above = canvas.textHeight(QStringLiteral("X")) / 2;
    below = above;
    width = 0;
    const std::vector<bool> sub = ChemicalSubscripts(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        canvas.setFontHeight(sub[static_cast<size_t>(i)] ? -subscriptSize(size) : -size);
        width += canvas.textWidth(QString(text[i]));
    }
}

void DrawChemicalText(const QString& text, Canvas& canvas, int x, int y, int size)
{
    setBaseFont(canvas, size);
    int offset = 0;
    const int drop = canvas.textWidth(QStringLiteral("W")) / 2;
    BlackAtEnd restore{canvas};
    canvas.setFontColor(clBlue);
    const std::vector<bool> sub = ChemicalSubscripts(text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString ch(text[i]);
        if (sub[static_cast<size_t>(i)]) {
            canvas.setFontHeight(subscriptSize(size));
            canvas.textOut(x + offset, y + drop, ch);
        } else {
            canvas.setFontHeight(size);
            canvas.textOut(x + offset, y, ch);
        }
        offset += canvas.textWidth(ch);
    }
}

void MeasureChemicalFormula(real::TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    MeasureChemicalText(node ? node->Text : QString(), canvas, size, width, above, below);
}

void DrawChemicalFormula(real::TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawChemicalText(node ? node->Text : QString(), canvas, x, y, size);
}

// ---------------------------------------------------------------------------
// The main window's hooks

void SetChemistryHooks(real::TExpresion& evaluator, bool on)
{
    if (on) {
        evaluator.OnResolveUnknown = [](const QString& name, bool& ok) { return MolarMass(name, ok); };
        evaluator.ExtMeasureProc = &MeasureChemicalFormula;
        evaluator.ExtDrawProc = &DrawChemicalFormula;
    } else {
        evaluator.OnResolveUnknown = nullptr;
        evaluator.ExtMeasureProc = nullptr;
        evaluator.ExtDrawProc = nullptr;
    }
}

QStringList ChemistryAutoCompleteTexts()
{
    QStringList out;
    for (const TAtomicMass& a : AtomicMassTable())
        out.append(a.Symbol + QStringLiteral(" - ") + a.Name);
    return out;
}

QString MolarMassLine(const QString& formula)
{
    bool ok = false;
    const Extended m = MolarMass(formula, ok);
    if (!ok)
        return exprcore::UnknownNameMessage(formula);
    return FloatToStrDefBase(m);
}
