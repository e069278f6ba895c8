#include "services/calcfuncs.h"

#include "engine/canvas.h"
#include "engine/checked.h"
#include "engine/errors.h"
#include "engine/real/errors.h"
#include "foundation/core/exceptions.h"

#include <QDateTime>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>

namespace calcfuncs {

using real::NodeGuard;
using real::TEval;
using real::TEvalArray;

// --------------------------------------------------------------------------
// Letter binding.

TLetterBinding::TLetterBinding(TLetterCell cell) : m_cell(cell)
{
    if (m_cell.Value)
        m_savedValue = *m_cell.Value;
    if (m_cell.Asked) {
        m_savedAsked = *m_cell.Asked;
        *m_cell.Asked = true;
    }
}

TLetterBinding::~TLetterBinding()
{
    if (m_cell.Value)
        *m_cell.Value = m_savedValue;
    if (m_cell.Asked)
        *m_cell.Asked = m_savedAsked;
}

void TLetterBinding::Set(Extended value)
{
    if (m_cell.Value)
        *m_cell.Value = value;
    // Marked again at every point: the letter is never prompted for while bound.
    if (m_cell.Asked)
        *m_cell.Asked = true;
}

// --------------------------------------------------------------------------
// Messages.

QString MsgInequality() { return QStringLiteral("Resolver no opera con inecuaciones"); }
QString MsgNeedsFunction() { return QStringLiteral("Necesita una función"); }
QString MsgNoRootHalvings()
{
    return QStringLiteral("No ha sido posible hallar ninguna raíz") + QChar('\r') +
           QStringLiteral("Intente con otro rango");
}
QString MsgNoRoot() { return QStringLiteral("No se hallo raíz, intente con otro rango"); }
QString MsgNotSquare() { return QStringLiteral("La matriz debe ser cuadrada"); }

// --------------------------------------------------------------------------
// Plain computations.

std::int64_t RoundArg(Extended v) { return checked::round64(v); }

namespace {

// The determinant of the minor made of the rows from s - popcount(mask) on and
// the columns in `mask`, by the cofactor rule of the whole matrix: size 1 its
// element, size 2 a·d − b·c, larger sizes along their first row, adding the
// terms of even positions and subtracting those of odd ones. Every minor is
// computed once, so the result is the expansion's own to the last bit.
class MinorDet {
public:
    MinorDet(const std::vector<Extended>& m, int s)
        : m_m(m), m_s(s), m_value(std::size_t(1) << s), m_known(std::size_t(1) << s, false)
    {
    }

    Extended Of(std::uint32_t mask)
    {
        if (m_known[mask])
            return m_value[mask];
        const int size = std::popcount(mask);
        const int row = m_s - size;
        int cols[16];
        int k = 0;
        for (int c = 0; c < m_s; ++c)
            if (mask & (1u << c))
                cols[k++] = c;
        Extended r = 0;
        if (size == 1) {
            r = At(row, cols[0]);
        } else if (size == 2) {
            const Extended ad = checked::mul(At(row, cols[0]), At(row + 1, cols[1]));
            const Extended bc = checked::mul(At(row, cols[1]), At(row + 1, cols[0]));
            r = checked::sub(ad, bc);
        } else {
            for (int j = 0; j < size; ++j) {
                const Extended term = checked::mul(At(row, cols[j]), Of(mask & ~(1u << cols[j])));
                r = j % 2 == 0 ? checked::add(r, term) : checked::sub(r, term);
            }
        }
        m_value[mask] = r;
        m_known[mask] = true;
        return r;
    }

private:
    Extended At(int row, int col) const { return m_m[std::size_t(row * m_s + col)]; }

    const std::vector<Extended>& m_m;
    int m_s;
    std::vector<Extended> m_value;
    std::vector<bool> m_known;
};

std::uint64_t Magnitude(std::int64_t v)
{
    // |INT64_MIN| is 2^63, which only the unsigned type holds.
    return v < 0 ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
}

void RefuseZeros(const std::vector<std::int64_t>& values)
{
    // The repeated-remainder rule divides by every value after the first: a 0
    // there is a clear error, never a processor fault. A first 0 is harmless
    // (0 mod b is 0, so MCD(0, b) is b).
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] == 0)
            throw EIntDivByZero();
}

} // namespace

Extended Determinant(const std::vector<Extended>& m, int s)
{
    if (s < 1 || s > 15 || m.size() != std::size_t(s) * std::size_t(s))
        throw EMathError(MsgNotSquare());
    MinorDet d(m, s);
    return d.Of((std::uint32_t(1) << s) - 1);
}

Extended Gcd(const std::vector<std::int64_t>& values)
{
    if (values.empty())
        throw EInvalidArgument();
    RefuseZeros(values);
    std::uint64_t g = Magnitude(values[0]);
    for (std::size_t i = 1; i < values.size(); ++i)
        g = std::gcd(g, Magnitude(values[i]));
    return Extended(g);
}

Extended Lcm(const std::vector<std::int64_t>& values)
{
    if (values.empty())
        throw EInvalidArgument();
    RefuseZeros(values);
    // Pairwise: lcm(l, v) = l / gcd(l, v) · v. The product of all the values
    // over their common divisor is the least common multiple of two values
    // only.
    std::uint64_t l = Magnitude(values[0]);
    for (std::size_t i = 1; i < values.size(); ++i) {
        const std::uint64_t v = Magnitude(values[i]);
        const std::uint64_t q = l / std::gcd(l, v);
        std::uint64_t p = 0;
        if (__builtin_mul_overflow(q, v, &p))
            throw EOverflow();
        l = p;
    }
    return Extended(l);
}

// --------------------------------------------------------------------------
// The functions over nodes.

Extended Evaluar(const TEvalArray& args, TLetterCell x)
{
    const Extended x0 = args.at(0)->Evaluate();
    TLetterBinding bind(x);
    bind.Set(x0);
    return args.at(1)->Evaluate();
}

Extended Integrar(const TEvalArray& args, TLetterCell x)
{
    const Extended a = args.at(0)->Evaluate();
    const Extended b = args.at(1)->Evaluate();
    if (a == b)
        return 0;
    std::int64_t n = 100;
    if (args.size() >= 4)
        n = RoundArg(args[2]->Evaluate());
    TEval* f = args.back();
    // Blocks of four steps: N is taken down to a multiple of 4, and fewer than
    // one block leaves no step to divide by.
    const std::int64_t m = n / 4;
    if (m <= 0)
        throw EZeroDivide();
    const Extended h = checked::div(checked::sub(b, a), checked::mul(4, Extended(m)));
    TLetterBinding bind(x);
    Extended result = 0;
    TLongWork work{double(m)};
    for (std::int64_t k = 0; k < m; ++k) {
        work.Step();
        Extended p = checked::add(a, checked::mul(checked::mul(4, Extended(k)), h));
        Extended fv[5];
        for (int i = 0; i < 5; ++i) {
            if (i > 0)
                p = checked::add(p, h);
            bind.Set(p);
            fv[i] = f->Evaluate();
        }
        Extended s = checked::mul(7, fv[0]);
        s = checked::add(s, checked::mul(32, fv[1]));
        s = checked::add(s, checked::mul(12, fv[2]));
        s = checked::add(s, checked::mul(32, fv[3]));
        s = checked::add(s, checked::mul(7, fv[4]));
        result = checked::add(result, checked::div(checked::mul(checked::mul(s, h), 2), 45));
    }
    return result;
}

std::function<void(double done)>& LongWorkHook()
{
    static std::function<void(double)> hook;
    return hook;
}

TLongWork::TLongWork(double total) : m_total(total), m_started(QDateTime::currentMSecsSinceEpoch()) {}

void TLongWork::Check()
{
    const std::function<void(double)>& hook = LongWorkHook();
    if (!hook)
        return;
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_started < 50 || now - m_last < 50)
        return;
    m_last = now;
    hook(m_total > 0 ? std::min(1.0, double(m_steps) / m_total) : 0.0);
}

namespace {

// The index runs over every integer from..to; none when to < from.
template <class Step>
void ForEachIndex(const TEvalArray& args, TLetterCell n, Step step)
{
    const std::int64_t from = RoundArg(args.at(0)->Evaluate());
    const std::int64_t to = RoundArg(args.at(1)->Evaluate());
    if (to < from)
        return;
    TEval* f = args.at(2);
    TLetterBinding bind(n);
    TLongWork work(double(to) - double(from) + 1);
    for (std::int64_t k = from;; ++k) {
        work.Step();
        bind.Set(Extended(k));
        step(f->Evaluate());
        if (k == to)
            break;
    }
}

} // namespace

Extended Sumatoria(const TEvalArray& args, TLetterCell n)
{
    Extended s = 0;
    ForEachIndex(args, n, [&s](Extended v) { s = checked::add(s, v); });
    return s;
}

Extended Producto(const TEvalArray& args, TLetterCell n)
{
    Extended p = 1;
    ForEachIndex(args, n, [&p](Extended v) { p = checked::mul(p, v); });
    return p;
}

Extended Derivar(const TEvalArray& args, TLetterCell x)
{
    const Extended x0 = args.at(0)->Evaluate();
    TEval* f = args.at(1);
    TLetterBinding bind(x);
    // The value at x0 first: a function undefined there fails here.
    bind.Set(x0);
    f->Evaluate();
    // The step follows the size of x0, not of f(x0): a step of 1e-5·|f(x0)|
    // spans whole units where f is large (e^20 at 20) and the difference
    // quotient loses every digit.
    const Extended h = 1e-5L * std::max(Extended(1), std::fabs(x0));
    const Extended pts[4] = {x0 - 2 * h, x0 - h, x0 + h, x0 + 2 * h};
    Extended fv[4];
    for (int i = 0; i < 4; ++i) {
        bind.Set(pts[i]);
        fv[i] = f->Evaluate();
    }
    Extended num = checked::sub(fv[0], checked::mul(8, fv[1]));
    num = checked::add(num, checked::mul(8, fv[2]));
    num = checked::sub(num, fv[3]);
    return checked::div(num, checked::mul(12, h));
}

Extended Resolver(const TEvalArray& args, TLetterCell x)
{
    TEval* f = args.at(0);
    std::optional<NodeGuard> difference;
    if (f->Kind() == real::NodeKind::Igu) {
        // l = r: the root of l − r, a node over both sides freed afterwards.
        f = difference.emplace(real::CreateOp(real::NodeKind::Resta, f->Children[0], f->Children[1])).get();
    } else if (f->IsCompara()) {
        throw EMathError(MsgInequality());
    }
    if (f->IsValueCurrent())
        throw EMathError(MsgNeedsFunction());

    Extended x0 = args.at(1)->Evaluate();
    Extended x1 = args.at(2)->Evaluate();
    TLetterBinding bind(x);
    bind.Set(x1);
    Extended fp = f->Evaluate();
    Extended result = 0;
    Extended e = 0;
    int halvings = 0;
    for (int round = 0; round < 200; ++round) {
        bind.Set(x0);
        e = f->Evaluate();
        if (e != fp) {
            const Extended next =
                checked::sub(x0, checked::div(checked::mul(checked::sub(x0, x1), e), checked::sub(e, fp)));
            result = next;
            if (next == x0)
                break;
            x1 = x0;
            x0 = next;
            fp = e;
        } else {
            if (x0 == x1) {
                // Both points are the same and e is the value there: that point
                // is the answer when e is small enough (Resolver(x-5,5,5) is 5,
                // not the secant estimate that was never made).
                result = x0;
                break;
            }
            x0 = checked::div(checked::add(x0, x1), 2);
            if (++halvings > 20)
                throw real::EExprMsj(MsgNoRootHalvings());
        }
    }
    if (!(std::fabs(e) < 1e-16L))
        throw real::EExprMsj(MsgNoRoot());
    return result;
}

Extended Det(const TEvalArray& args)
{
    const int k = int(args.size());
    const std::int64_t s = RoundArg(std::sqrt(Extended(k)));
    if (s * s != k || s < 1)
        throw EMathError(MsgNotSquare());
    // Every element once, row by row; the minors reuse the values.
    std::vector<Extended> m;
    m.reserve(std::size_t(k));
    for (TEval* a : args)
        m.push_back(a->Evaluate());
    return Determinant(m, int(s));
}

namespace {

std::vector<std::int64_t> RoundedArgs(const TEvalArray& args)
{
    std::vector<std::int64_t> v;
    v.reserve(args.size());
    for (TEval* a : args)
        v.push_back(RoundArg(a->Evaluate()));
    return v;
}

} // namespace

Extended MCD(const TEvalArray& args) { return Gcd(RoundedArgs(args)); }

Extended MCM(const TEvalArray& args) { return Lcm(RoundedArgs(args)); }

// --------------------------------------------------------------------------
// Drawing.

namespace {

struct Extent {
    int w = 0, a = 0, b = 0;
    int h() const { return a + b; }
};

Extent MeasureNode(TEval* n, Canvas& c, int size)
{
    Extent e;
    if (n)
        n->Measure(c, size, e.w, e.a, e.b);
    return e;
}

QString SignText(TSignKind kind)
{
    switch (kind) {
    case TSignKind::Sumatoria: return QString(QChar(229));
    case TSignKind::Producto: return QStringLiteral("P");
    case TSignKind::Integrar: break;
    }
    return QString(QChar(242));
}

void SetSignFont(Canvas& c, int size)
{
    CanvasFont f = c.font();
    f.Name = QStringLiteral("Symbol");
    f.Style = fsBold;
    f.Height = size * 5 / 3;
    c.setFont(f);
    c.setBrushStyle(bsClear);
}

void SetDxFont(Canvas& c, int size)
{
    CanvasFont f = c.font();
    f.Name = QStringLiteral("Times New Roman");
    f.Style = fsItalic;
    f.Height = -size;
    c.setFont(f);
}

// The parts of the drawing: the bounds above and below the sign and the
// operand. Sumatoria and Producto show "n = from" below the sign: the letter,
// the sign and the bound on one line, their middles on one axis.
class SignParts {
public:
    SignParts(TSignKind kind, TEval* node) : m_kind(kind)
    {
        const auto& a = node->Children;
        if (a.size() < 3)
            return;
        m_operand = a.back();
        m_upper = a[1];
        m_lower = a[0];
    }
    bool NamedLower() const { return m_kind != TSignKind::Integrar; }

    TSignKind m_kind;
    TEval* m_upper = nullptr;
    TEval* m_lower = nullptr;
    TEval* m_operand = nullptr;
};

// "n=" before the lower bound of a sum or a product.
void SetIndexFont(Canvas& c, int size, bool letter)
{
    CanvasFont f = c.font();
    f.Name = QStringLiteral("Times New Roman");
    f.Style = letter ? fsItalic : 0;
    f.Height = -std::max(size, 1);
    c.setFont(f);
    c.setBrushStyle(bsClear);
}

struct IndexPrefix {
    int letterW = 0, signW = 0, h = 0;
};

IndexPrefix MeasureIndexPrefix(Canvas& c, int size)
{
    IndexPrefix p;
    SetIndexFont(c, size, true);
    p.letterW = c.textWidth(QStringLiteral("n"));
    p.h = c.textHeight(QStringLiteral("n"));
    SetIndexFont(c, size, false);
    p.signW = c.textWidth(QStringLiteral("="));
    return p;
}

struct SignLayout {
    Extent upper, lower, operand;
    IndexPrefix prefix;
    int signW = 0, signH = 0, column = 0, dxW = 0;
    int width = 0, above = 0, below = 0;
};

SignLayout Layout(const SignParts& p, Canvas& c, int size)
{
    SignLayout l;
    const int half = size / 2;
    l.upper = MeasureNode(p.m_upper, c, half);
    l.lower = MeasureNode(p.m_lower, c, half);
    if (p.NamedLower()) {
        l.prefix = MeasureIndexPrefix(c, half);
        l.lower.w += l.prefix.letterW + l.prefix.signW;
        l.lower.a = std::max(l.lower.a, l.prefix.h / 2);
        l.lower.b = std::max(l.lower.b, l.prefix.h - l.prefix.h / 2);
    }
    l.operand = MeasureNode(p.m_operand, c, size);
    SetSignFont(c, size);
    const QString sign = SignText(p.m_kind);
    l.signW = c.textWidth(sign);
    l.signH = c.textHeight(sign);
    l.column = std::max({l.signW, l.upper.w, l.lower.w});
    if (p.m_kind == TSignKind::Integrar) {
        SetDxFont(c, size);
        l.dxW = c.textWidth(QStringLiteral("dx"));
    }
    l.above = std::max(l.signH / 2 + l.upper.h(), l.operand.a);
    l.below = std::max(l.signH / 2 + l.lower.h(), l.operand.b);
    l.width = l.column + l.operand.w + l.dxW;
    return l;
}

} // namespace

void MeasureSign(TSignKind kind, TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    const SignParts parts(kind, node);
    const SignLayout l = Layout(parts, canvas, size);
    width = l.width;
    above = l.above;
    below = l.below;
}

void DrawSign(TSignKind kind, TEval* node, Canvas& canvas, int x, int y, int size)
{
    const SignParts parts(kind, node);
    const SignLayout l = Layout(parts, canvas, size);
    const int half = size / 2;
    const int axis = y + l.above;
    // The column's top: the node's top when the column is the taller part.
    const int top = axis - (l.signH / 2 + l.upper.h());
    const int upperY = kind == TSignKind::Integrar ? top : top + size / 6;
    if (parts.m_upper)
        parts.m_upper->Draw(canvas, x + (l.column - l.upper.w) / 2, upperY, half);
    SetSignFont(canvas, size);
    const int signY = top + l.upper.h();
    canvas.textOut(x + (l.column - l.signW) / 2, signY, SignText(kind));
    if (parts.m_lower) {
        int lx = x + (l.column - l.lower.w) / 2;
        const int axis = signY + l.signH + l.lower.a;
        if (parts.NamedLower()) {
            SetIndexFont(canvas, half, true);
            canvas.textOut(lx, axis - l.prefix.h / 2, QStringLiteral("n"));
            SetIndexFont(canvas, half, false);
            canvas.textOut(lx + l.prefix.letterW, axis - l.prefix.h / 2, QStringLiteral("="));
            lx += l.prefix.letterW + l.prefix.signW;
        }
        const Extent bound = MeasureNode(parts.m_lower, canvas, half);
        parts.m_lower->Draw(canvas, lx, axis - bound.a, half);
    }
    if (parts.m_operand)
        parts.m_operand->Draw(canvas, x + l.column, axis - l.operand.a, size);
    if (kind == TSignKind::Integrar) {
        SetDxFont(canvas, size);
        canvas.setBrushStyle(bsClear);
        canvas.textOut(x + l.column + l.operand.w, axis - canvas.textHeight() / 2, QStringLiteral("dx"));
    }
}

// --------------------------------------------------------------------------
// Registration.

QString LetterNames() { return QStringLiteral("abcdfhijklmnopqrstuvwxyz"); }

namespace {

real::TNodeMeasureProc SignMeasure(TSignKind kind)
{
    return [kind](TEval* n, Canvas& c, int size, int& w, int& a, int& b) { MeasureSign(kind, n, c, size, w, a, b); };
}

real::TNodeDrawProc SignDraw(TSignKind kind)
{
    return [kind](TEval* n, Canvas& c, int x, int y, int size) { DrawSign(kind, n, c, x, y, size); };
}

// The functions over expressions that both evaluators get.
void AddSharedFunctions(real::TExpresion& e, const TCalcHooks& h)
{
    const TLetterCell x = h.X;
    const TLetterCell n = h.N;
    e.AddFunctionN(QStringLiteral("Integrar"), [x](const TEvalArray& a) { return Integrar(a, x); }, 3, 4,
                   QStringLiteral("Integrar"), SignMeasure(TSignKind::Integrar), SignDraw(TSignKind::Integrar));
    e.AddFunctionN(QStringLiteral("Evaluar"), [x](const TEvalArray& a) { return Evaluar(a, x); }, 2, 2,
                   QStringLiteral("Evaluar f(x)"));
    e.AddFunctionN(QStringLiteral("Sumatoria"), [n](const TEvalArray& a) { return Sumatoria(a, n); }, 3, 3,
                   QStringLiteral("Sumatoria"), SignMeasure(TSignKind::Sumatoria), SignDraw(TSignKind::Sumatoria));
    e.AddFunctionN(QStringLiteral("Producto"), [n](const TEvalArray& a) { return Producto(a, n); }, 3, 3,
                   QStringLiteral("Producto"), SignMeasure(TSignKind::Producto), SignDraw(TSignKind::Producto));
    e.AddFunctionN(QStringLiteral("Det"), [](const TEvalArray& a) { return Det(a); }, 1, 225,
                   QStringLiteral("Determinante"));
}

void AddDerivar(real::TExpresion& e, const TCalcHooks& h)
{
    const TLetterCell x = h.X;
    e.AddFunctionN(QStringLiteral("Derivar"), [x](const TEvalArray& a) { return Derivar(a, x); }, 2, 2,
                   QStringLiteral("Derivar"));
}

void AddMemories(real::TExpresion& e, const TCalcHooks& h)
{
    for (int i = 0; i < 10; ++i) {
        auto memory = h.Memory;
        e.AddFunction0(QStringLiteral("M") + QString::number(i),
                       [memory, i]() -> Extended { return memory ? memory(i) : 0; }, 2,
                       QStringLiteral("Memoria") + QString::number(i));
    }
}

void AddLetter(real::TExpresion& e, const TCalcHooks& h, QChar letter)
{
    auto fn = h.Letter;
    e.AddFunction0(QString(letter), [fn, letter]() -> Extended { return fn ? fn(letter) : 0; }, 1, QString());
}

} // namespace

real::TVariable* RegisterCalcNames(real::TExpresion& main, real::TExpresion& input, const TCalcHooks& hooks)
{
    // The main evaluator: the whole table.
    real::TVariable* solve = main.AddVariable(QStringLiteral("?"));
    AddMemories(main, hooks);
    auto last = hooks.LastResult;
    auto lastFn = [last]() -> Extended { return last ? last() : 0; };
    main.AddFunction0(QStringLiteral("Rst/Ans"), lastFn, 2, QStringLiteral("Ultimo resultado"));
    auto now = hooks.Now;
    main.AddFunction0(QStringLiteral("Ahora/Now"), [now]() -> Extended { return now ? now() : 0; }, 2,
                      QStringLiteral("Dia y hora del sistema"));
    for (QChar c : LetterNames())
        AddLetter(main, hooks, c);
    AddSharedFunctions(main, hooks);
    const TLetterCell x = hooks.X;
    main.AddFunctionN(QStringLiteral("Resolver"), [x](const TEvalArray& a) { return Resolver(a, x); }, 3, 3,
                      QStringLiteral("Hallar valor de X"));
    main.AddFunctionN(QStringLiteral("MCD"), [](const TEvalArray& a) { return MCD(a); }, 2, 255,
                      QStringLiteral("Máximo Común Divisor"));
    main.AddFunctionN(QStringLiteral("MCM"), [](const TEvalArray& a) { return MCM(a); }, 2, 255,
                      QStringLiteral("Mínimo Común Mulitplo"));
    AddDerivar(main, hooks);

    // The input evaluator: the subset typed values may use.
    AddMemories(input, hooks);
    input.AddFunction0(QStringLiteral("Rst"), lastFn, 2, QStringLiteral("Ultimo resultado"));
    AddLetter(input, hooks, QLatin1Char('n'));
    AddLetter(input, hooks, QLatin1Char('x'));
    AddSharedFunctions(input, hooks);
    AddDerivar(input, hooks);
    return solve;
}

void ReloadCalcTables(real::TExpresion& main, real::TExpresion& input)
{
    main.ReloadTable();
    input.ReloadTable();
}

} // namespace calcfuncs
