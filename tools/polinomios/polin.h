#pragma once
// Polynomials in the letters a to z with real coefficients and integer
// exponents that may be negative (TPoliN): text in and out, sum, difference,
// product, power, division by a monomial, substitution of letters, a small
// factoring and the simplification of a fraction of two polynomials. The
// symbolic matrices keep each cell as a fraction of two of them.
//
//     TPoliN p(QStringLiteral("x2 - y2"));
//     TPoliN q(QStringLiteral("x - y"));
//     std::optional<TPoliN> num, den;
//     p.SimplifyFraction(q, num, den);     // true, *num is x + y
//     num->ToString();                     // "x +y"
//
// Terms keep the order in which they were added until Sort (the text form
// and Equals sort). A term whose coefficient becomes 0 by a later merge stays
// with coefficient 0; terms of coefficient exactly 0 are never added.
// Products look terms up by their exponents in a hash index, so a product of
// n by m terms costs n·m lookups, not n·m·(terms so far). When the exponents
// a product (or a whole power) can reach fit 64 bits, each term's exponents
// are packed into one key, and a power keeps its running product packed from
// step to step; the terms, their order and their coefficients are the same
// as those of the product term by term.
//
// Faults: text that cannot be read raises "error en expresion" or
// "caracter invalido"; an exponent outside -32768..32767 (written or reached
// by a product) raises EPoliRange; coefficients beyond the extended range
// raise EOverflow / EInvalidOp.
#include "tools/polinomios/poli.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

inline constexpr int kLetters = 26;
// The largest count TPoliN::Power accepts.
inline constexpr int kMaxPoliNPower = 127;

struct TPoliNTerm {
    std::array<std::int16_t, kLetters> Exponents{};   // 'a'..'z'
    Extended Coefficient = 0;
};

class TPoliN;
using TPoliNArray = std::vector<TPoliN>;

class TPoliN {
public:
    // The polynomial without terms.
    TPoliN() = default;
    // Reads the text: "2x^2y -3|4ab +x^-2", "2x2y", "2*x^2*y" (see the
    // parser in polin.cpp); letters may be typed in upper case.
    explicit TPoliN(const QString& text);
    static TPoliN CreateConst(Extended value);
    // Term by term through AddTerm: terms of coefficient 0 are not copied.
    static TPoliN CreateCopy(const TPoliN& source);
    // One term per power of the source, in its letter (zero coefficients dropped).
    static TPoliN CreateFromPoli(const TPoli& source);

    std::size_t Count() const { return m_terms.size(); }
    const TPoliNTerm& Term(std::size_t i) const { return m_terms[i]; }
    const std::vector<TPoliNTerm>& Terms() const { return m_terms; }

    // Nothing for a coefficient exactly 0; else merged with the term of the
    // same exponents, or appended.
    void AddTerm(const TPoliNTerm& term);
    void Add(const TPoliN& q);        // in place P := P + Q
    void Subtract(const TPoliN& q);   // in place P := P - Q
    TPoliN Multiply(const TPoliN& q) const;
    // The product merging each new term by a linear search of the terms made
    // so far: the plain method Multiply must match term by term (same terms,
    // same order, same coefficients). For tests and benchmarks.
    static TPoliN MultiplyByLinearSearch(const TPoliN& p, const TPoliN& q);
    // P^n by repeated products; 0 gives 1. A count below 0 raises "La
    // potencia no puede ser negativa", above 127 "La potencia no puede ser
    // mayor a 127". Reports progress and may be cancelled (TPoliNProgress).
    TPoliN Power(int n) const;
    // P / M for an M of one term: coefficients divided, exponents subtracted.
    static TPoliN DivideByMonomial(const TPoliN& p, const TPoliN& m);
    // Every letter with a value (an entry that is set) replaced by it.
    TPoliN Substitute(const std::array<const TPoliN*, kLetters>& values) const;
    // The one-letter polynomial of the letter used ('x' when none).
    TPoli ToPoli() const;

    // The terms in the order of Sort, each "+c" / "-c" with its letters
    // ("3x2 -2xy +1"); "0" when nothing is written.
    QString ToString() const;
    bool IsZero() const;               // no term with a coefficient other than 0
    void SetZero(bool flag);
    std::size_t NonZeroTermCount() const;
    int LetterCount() const;
    bool UsesLetter(QChar letter) const;
    // Descending exponents, letter by letter from a to z.
    void Sort();
    // Same exponents term by term, coefficients within 1e-12.
    bool Equals(const TPoliN& q) const;

    // Factors whose product is P: integer content split into primes, common
    // monomial, differences of squares.
    void Factor(TPoliNArray& factors) const;
    // Self / Den with common factors cancelled: true with num the polynomial
    // (den empty), false for the fraction num/den. A zero Den raises EZeroDivide.
    bool SimplifyFraction(const TPoliN& den, std::optional<TPoliN>& num, std::optional<TPoliN>& denOut) const;

private:
    bool DifferenceOfSquares(TPoliNArray& factors) const;
    // The index for the terms there are, with room for `expected` terms.
    void RebuildIndex(std::size_t expected = 0) const;
    // Appends a term known to be new (index kept).
    void AppendNew(const TPoliNTerm& term, std::uint64_t hash);
    // The term with these exponents (hash given, index current), or -1.
    long long Find(const TPoliNTerm& term, std::uint64_t hash) const;
    // AddTerm with the hash known and the index current.
    void AddHashed(const TPoliNTerm& term, std::uint64_t hash);

    std::vector<TPoliNTerm> m_terms;
    // Open-addressing index of the terms by their exponents: each slot the
    // term number + 1 (0 empty) and the high half of its hash; each term's
    // hash beside the terms. Rebuilt when stale.
    struct TSlot {
        std::uint32_t Term = 0;
        std::uint32_t Tag = 0;
    };
    mutable std::vector<TSlot> m_slots;
    mutable std::vector<std::uint64_t> m_hashes;
    mutable bool m_indexStale = true;
};

// The value of a polynomial without letters (the sum of its coefficients).
Extended ConstantValue(const TPoliN& p);
// |x - trunc(x)| < 1e-12.
bool IsNearInteger(Extended x);
// Greatest common divisor of a and b rounded to integers, by Euclid's
// remainders starting with a mod b (b = 0 gives a); the last nonzero
// remainder with its sign. Values beyond 64 bits raise EPoliRange.
std::int64_t IntegerGcd(Extended a, Extended b);
// The factors of m > 1 in the order trial division by 2, 3, 5, 7, 9, ...
// up to the rounded square root of m lists them, followed by the cofactor
// that remains (1 when the division used every factor up).
std::vector<std::uint64_t> SplitIntoPrimes(std::uint64_t m);

// Progress of long products and powers: while a scope is alive, its hook is
// called with the part done (0 to 1) every few thousand term pairs. The hook
// may throw (EAbort) to cancel the computation.
class TPoliNProgress {
public:
    using Hook = std::function<void(double done)>;
    explicit TPoliNProgress(Hook hook);
    ~TPoliNProgress();
    TPoliNProgress(const TPoliNProgress&) = delete;
    TPoliNProgress& operator=(const TPoliNProgress&) = delete;

private:
    Hook m_previous;
};
