#pragma once
// Formula drawing shared by the three engines: the layout and drawing of every
// operator, written once over "parts" (a child's measuring and drawing as
// callbacks), so that the real, complex and rational trees only say which
// children go where and which need parentheses.
//
// Usage (in an engine's node, `l` and `r` its children):
//
//     using namespace formuladraw;
//     Part P(TEval* n) {                    // the engine's own wrapper
//         return Part{[n](Canvas& c, int s) { return CachedMeasure(n, c, s,
//                         [n](Canvas& c2, int s2) { Box b; n->Measure(c2, s2, b.width, b.above, b.below); return b; }); },
//                     [n](Canvas& c, int x, int y, int s) { n->Draw(c, x, y, s); }};
//     }
//     void TSuma::Measure(Canvas& c, int size, int& w, int& a, int& b) {
//         Box box = MeasureSum(c, size, P(l), P(r)); w = box.width; a = box.above; b = box.below;
//     }
//     void TSuma::Draw(Canvas& c, int x, int y, int size) { DrawSum(c, x, y, size, P(l), P(r)); }
//     // a - (b + c): DrawDifference(c, x, y, size, P(l), Parenthesised(P(r), NeedsParens(r)));
//     // unary minus: MeasureDifference(c, size, Nothing(), P(r)).
//
// Sizes: `size` is the font height in pixels of the node; smaller parts
// (exponents, indices, subscripts) get SmallSize(size, num, den), never below 1
// pixel, so that deep nesting never asks for a font of height 0. Divisions are
// integer divisions truncating toward zero. Every text goes with a clear brush.
//
// Measuring cost: an operator's Draw measures its children, whose Draw measure
// theirs again. Open a MeasurePass around a whole drawing (DrawToMetafile does;
// nested passes are free) and route children's measuring through
// CachedMeasure: each node is then measured once per canvas and size.
//
// QtCore only.

#include "engine/canvas.h"

#include <QString>

#include <functional>
#include <vector>

namespace formuladraw {

// The faces of the formula.
QString TimesFace();    // "Times New Roman"
QString ArialFace();    // "Arial"
QString SymbolFace();   // "Symbol" (letters drawn as their Greek look-alikes: "p" is pi)

// A measured box: its width and its extents above and below the axis (the line
// on which operators and fraction bars sit).
struct Box {
    int width = 0;
    int above = 0;
    int below = 0;
    int height() const { return above + below; }
    bool operator==(const Box&) const = default;
};

using MeasureFn = std::function<Box(Canvas& canvas, int size)>;
using DrawFn = std::function<void(Canvas& canvas, int x, int y, int size)>;

// A child of an operator: how it measures and draws itself at a size, with the
// top-left corner of its box at (x, y) (its axis at y + above). An empty
// callback measures as an empty box and draws nothing.
struct Part {
    MeasureFn measure;
    DrawFn draw;
    Box Measure(Canvas& canvas, int size) const { return measure ? measure(canvas, size) : Box{}; }
    void Draw(Canvas& canvas, int x, int y, int size) const
    {
        if (draw)
            draw(canvas, x, y, size);
    }
};

// A part that takes no room and draws nothing (the hidden 0 of a unary minus).
Part Nothing();
// The part between parentheses when `withParens` (itself otherwise).
Part Parenthesised(Part inner, bool withParens = true);
// A fixed text in a font (the engines' own small pieces, tests).
Part TextPart(const QString& text, const QString& face, TFontStyles style);

// ---- sizes, fonts, text ----
// size * num / den, at least 1 pixel.
int SmallSize(int size, int num, int den);
// Font of the given face and style, height -max(size, 1) (a character height).
void SetFont(Canvas& canvas, const QString& face, TFontStyles style, int size);
// The text with its top-left corner at (x, y), over a clear background.
void TextAt(Canvas& canvas, int x, int y, const QString& text);
// The text centred in the rectangle in the current font: x = Left + (Right -
// Left - T) div 2, y = Top + (Bottom - Top - H) div 2.
void DrawCenteredText(Canvas& canvas, const TRect& rect, const QString& text);

// ---- parentheses ----
// d := (A + B) div 5; font "Times New Roman" of cell height A + B + d;
// Width = W + T("()"), Above = A + d div 2, Below = B + d div 2.
Box MeasureParens(Canvas& canvas, int size, const Part& inner);
void DrawParens(Canvas& canvas, int x, int y, int size, const Part& inner);

// ---- leaves ----
// The text of a literal as drawn: its digits (a base suffix "[b]" cut off, the
// blank before it kept), split at "e" into mantissa and exponent, and its base.
struct NumberText {
    QString text;
    bool hasExponent = false;
    QString mantissa;
    QString exponent;
    int base = 10;
};
// From the number text an engine wrote (e.g. FloatToStrBase): cut before the
// first "[", split at the first "e".
NumberText MakeNumberText(const QString& written, int base);
// Mantissa, a small square, " 10" and the raised exponent when the text has
// one; the base in small dark red at the bottom right when it is not 10.
Box MeasureNumber(Canvas& canvas, int size, const NumberText& number);
void DrawNumber(Canvas& canvas, int x, int y, int size, const NumberText& number);

// Named constants (italic; "pi" in any case as the Greek letter).
Box MeasureConstant(Canvas& canvas, int size, const QString& text);
void DrawConstant(Canvas& canvas, int x, int y, int size, const QString& text);
// Variables (bold italic).
Box MeasureVariable(Canvas& canvas, int size, const QString& text);
void DrawVariable(Canvas& canvas, int x, int y, int size, const QString& text);
// Quoted messages ("Arial", between double quotes).
Box MeasureMessage(Canvas& canvas, int size, const QString& text);
void DrawMessage(Canvas& canvas, int x, int y, int size, const QString& text);

// ---- operators (children already wrapped in Parenthesised where they need it) ----
Box MeasureSum(Canvas& canvas, int size, const Part& l, const Part& r);
void DrawSum(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r);
// `l` is Nothing() for a unary minus.
Box MeasureDifference(Canvas& canvas, int size, const Part& l, const Part& r);
void DrawDifference(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r);

// What decides the product's dot. P0 := the left operand needs parentheses;
// P1 := the right one does, or it is a power whose base is not a literal. No
// dot when (P1 and P0), (P1 and the left is a literal), or (the left is a
// literal and the right is neither an operator nor a literal).
struct ProductOperands {
    bool leftNeedsParens = false;
    bool rightNeedsParens = false;
    bool leftIsNumber = false;
    bool rightIsNumber = false;
    bool rightIsOperator = false;
    bool rightIsPowerOfNonNumber = false;
};
bool ProductHasDot(const ProductOperands& operands);
Box MeasureProduct(Canvas& canvas, int size, const Part& l, const Part& r, bool dot);
void DrawProduct(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r, bool dot);

// Stacked quotient with its bar.
Box MeasureQuotient(Canvas& canvas, int size, const Part& numerator, const Part& denominator);
void DrawQuotient(Canvas& canvas, int x, int y, int size, const Part& numerator, const Part& denominator);

// Raised power; the exponent at SmallSize(size, 2, 3). The base is wrapped by
// the caller when it is an operator or a function.
Box MeasurePower(Canvas& canvas, int size, const Part& base, const Part& exponent);
void DrawPower(Canvas& canvas, int x, int y, int size, const Part& base, const Part& exponent);

// Radical with index: the index measured at SmallSize(size, 2, 3) and, when
// `showIndex` (not the literal 2), drawn at SmallSize(size, 1, 2).
Box MeasureRoot(Canvas& canvas, int size, const Part& radicand, const Part& index);
void DrawRoot(Canvas& canvas, int x, int y, int size, const Part& radicand, const Part& index, bool showIndex);

// "log" with the base as a subscript at SmallSize(size, 1, 2); the argument is
// wrapped by the caller when it is an operator.
Box MeasureLogarithm(Canvas& canvas, int size, const Part& argument, const Part& base);
void DrawLogarithm(Canvas& canvas, int x, int y, int size, const Part& argument, const Part& base);

// Comparisons: ">" "<" "=" drawn in "Symbol" bold; >= and <= add a bar under
// the sign, <> a stroke through it.
enum class CompareSign { Greater, Less, Equal, GreaterEqual, LessEqual, NotEqual };
// ">", "<" or "=" (what a comparison node keeps in its Text).
QString CompareSignText(CompareSign sign);
Box MeasureComparison(Canvas& canvas, int size, CompareSign sign, const Part& l, const Part& r);
void DrawComparison(Canvas& canvas, int x, int y, int size, CompareSign sign, const Part& l, const Part& r);

// Logical operators drawn as lines: and as a wedge, or as a vee, xor as a "w".
enum class LogicOp { And, Or, Xor };
Box MeasureLogic(Canvas& canvas, int size, const Part& l, const Part& r);
void DrawLogic(Canvas& canvas, int x, int y, int size, LogicOp op, const Part& l, const Part& r);

// name(argument): the argument wrapped by the caller when it is an operator.
Box MeasureFunction1(Canvas& canvas, int size, const QString& name, const Part& argument);
void DrawFunction1(Canvas& canvas, int x, int y, int size, const QString& name, const Part& argument);

// Items separated by ", ".
Box MeasureArgList(Canvas& canvas, int size, const std::vector<Part>& items);
void DrawArgList(Canvas& canvas, int x, int y, int size, const std::vector<Part>& items);
// name(a, b, ...): the list always between parentheses.
Box MeasureFunctionN(Canvas& canvas, int size, const QString& name, const std::vector<Part>& items);
void DrawFunctionN(Canvas& canvas, int x, int y, int size, const QString& name, const std::vector<Part>& items);

// ---- the built-ins' own drawings ----
// x with a small superscript ("-1" of the reciprocal, "2" of the square); the
// argument wrapped by the caller when it is an operator or a function.
Box MeasureSuperscript(Canvas& canvas, int size, const Part& argument, const QString& superscript);
void DrawSuperscript(Canvas& canvas, int x, int y, int size, const Part& argument, const QString& superscript);
// Square root: radical without index.
Box MeasureRadical(Canvas& canvas, int size, const Part& argument);
void DrawRadical(Canvas& canvas, int x, int y, int size, const Part& argument);
// "e" (italic) or "10" (upright) with the argument as exponent.
Box MeasureExpBase(Canvas& canvas, int size, const QString& base, bool italic, const Part& exponent);
void DrawExpBase(Canvas& canvas, int x, int y, int size, const QString& base, bool italic, const Part& exponent);
// |x|.
Box MeasureAbs(Canvas& canvas, int size, const Part& argument);
void DrawAbs(Canvas& canvas, int x, int y, int size, const Part& argument);
// x! (the argument wrapped by the caller when it is an operator).
Box MeasureFactorial(Canvas& canvas, int size, const Part& argument);
void DrawFactorial(Canvas& canvas, int x, int y, int size, const Part& argument);
// n over k between parentheses.
Box MeasureCombination(Canvas& canvas, int size, const Part& n, const Part& k);
void DrawCombination(Canvas& canvas, int x, int y, int size, const Part& n, const Part& k);

// ---- measuring once per drawing ----
// While a pass is open, CachedMeasure remembers each node's box per canvas and
// size. The outermost pass owns the memory and forgets it when it closes; an
// inner one does nothing. Trees must not change while a pass is open.
class MeasurePass {
public:
    MeasurePass();
    ~MeasurePass();
    MeasurePass(const MeasurePass&) = delete;
    MeasurePass& operator=(const MeasurePass&) = delete;
    static bool active();
    // Whether the drawing has gone so deep into the stack (far beyond any
    // formula a person writes) that a further level could overflow it: the
    // engines then give deeper nodes an empty box and draw nothing for them.
    // Measured from the outermost pass.
    static bool tooDeep();

private:
    bool m_owner;
};
// The box of `node` at `size` on `canvas`: remembered while a pass is open,
// otherwise measured every time.
Box CachedMeasure(const void* node, Canvas& canvas, int size, const MeasureFn& measure);

} // namespace formuladraw
