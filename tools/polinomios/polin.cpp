#include "tools/polinomios/polin.h"

#include "engine/checked.h"
#include "engine/errors.h"
#include "engine/formatonum.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// ---- the hash of an exponent vector ---------------------------------------
// Linear in the exponents (a sum of exponent × constant, modulo 2^64), so the
// hash of a product term is the sum of its factors' hashes; the slot is taken
// from its high bits after one multiplication that mixes them.
constexpr std::uint64_t kLetterKeys[kLetters] = {
    0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0xD6E8FEB86659FD93ull,
    0xFF51AFD7ED558CCDull, 0xC4CEB9FE1A85EC53ull, 0x94D049BB133111EBull, 0xBF58476D1CE4E5B9ull,
    0x2545F4914F6CDD1Dull, 0x9FB21C651E98DF25ull, 0xA24BAED4963EE407ull, 0x8CB92BA72F3D8DD7ull,
    0xE7037ED1A0B428DBull, 0x8EBC6AF09C88C6E3ull, 0x589965CC75374CC3ull, 0x1D8E4E27C47D124Full,
    0xD1B54A32D192ED03ull, 0xABC98388FB8FAC03ull, 0x8BB84B93962EACC9ull, 0xF58A7A6F1D2C3B4Dull,
    0xDB4F0B9175AE2165ull, 0xA0761D6478BD642Full, 0xE7037ED1A0B428EFull, 0x8A5CD789635D2DFFull,
    0x1B873593E8B2C6A7ull, 0xCC9E2D51A5F3B1C9ull,
};

std::uint64_t HashOf(const TPoliNTerm& t)
{
    std::uint64_t h = 0;
    for (int k = 0; k < kLetters; ++k)
        h += static_cast<std::uint64_t>(static_cast<std::int64_t>(t.Exponents[k])) * kLetterKeys[k];
    return h;
}

std::size_t SlotOf(std::uint64_t hash, std::size_t mask)
{
    return static_cast<std::size_t>((hash * 0xD6E8FEB86659FD93ull) >> 29) & mask;
}

std::int16_t CheckedExponent(long long e)
{
    if (e < std::numeric_limits<std::int16_t>::min() || e > std::numeric_limits<std::int16_t>::max())
        throw EPoliRange(Format(QStringLiteral("El exponente %d está fuera del rango de -32768 a 32767"), {e}));
    return static_cast<std::int16_t>(e);
}

// ---- progress --------------------------------------------------------------
struct TProgressState {
    TPoliNProgress::Hook Hook;
    double Base = 0;    // the part done before the running product
    double Span = 1;    // the running product's share of the whole
    std::size_t UntilReport = 0;   // pairs left before the next report
};

TProgressState& Progress()
{
    static TProgressState state;
    return state;
}

// Pairs between two reports.
constexpr std::size_t kPairsPerReport = 1u << 15;

// Gives the running product the share [base, base + span] of the whole.
class TProgressShare {
public:
    TProgressShare(double base, double span) : m_base(Progress().Base), m_span(Progress().Span)
    {
        Progress().Base = m_base + base * m_span;
        Progress().Span = span * m_span;
    }
    ~TProgressShare()
    {
        Progress().Base = m_base;
        Progress().Span = m_span;
    }

private:
    double m_base, m_span;
};

// ---- products over packed exponents ------------------------------------------
// When the exponents a product can reach fit one 64-bit key (each letter used
// gets a field wide enough for its range), the product works on keys and
// coefficients side by side: a product term's key is the sum of its factors'
// keys, and a term is looked up by comparing one number. Terms are made and
// merged in the same order and with the same arithmetic as the product over
// whole terms, so the result is the same term by term.

// The field of each letter: a letter's exponent is Offset + the field's value.
struct TPackedLayout {
    int Fields = 0;
    std::array<int, kLetters> Letter{};
    std::array<int, kLetters> Shift{};
    std::array<std::uint64_t, kLetters> Mask{};
    std::array<int, kLetters> Offset{};   // every letter's, also without a field
};

// Lowest and highest exponent of each letter over the terms (0 and 0 for none).
struct TExponentRange {
    std::array<int, kLetters> Low{}, High{};
    explicit TExponentRange(const std::vector<TPoliNTerm>& terms)
    {
        if (terms.empty())
            return;
        for (int k = 0; k < kLetters; ++k)
            Low[k] = High[k] = terms.front().Exponents[k];
        for (const TPoliNTerm& t : terms)
            for (int k = 0; k < kLetters; ++k) {
                Low[k] = std::min<int>(Low[k], t.Exponents[k]);
                High[k] = std::max<int>(High[k], t.Exponents[k]);
            }
    }
};

// A layout for exponents from low[k] to low[k] + span[k]; false when the
// fields need more than 64 bits.
bool MakeLayout(const std::array<long long, kLetters>& low, const std::array<long long, kLetters>& span,
                TPackedLayout& layout)
{
    int bits = 0;
    layout = TPackedLayout();
    for (int k = 0; k < kLetters; ++k) {
        layout.Offset[k] = static_cast<int>(low[k]);
        if (span[k] == 0)
            continue;
        const int width = std::bit_width(static_cast<std::uint64_t>(span[k]));
        if (bits + width > 64)
            return false;
        const int f = layout.Fields++;
        layout.Letter[f] = k;
        layout.Shift[f] = bits;
        layout.Mask[f] = width == 64 ? ~0ull : (1ull << width) - 1;
        bits += width;
    }
    return true;
}

bool InExponentRange(long long e)
{
    return e >= std::numeric_limits<std::int16_t>::min() && e <= std::numeric_limits<std::int16_t>::max();
}

// Terms as keys with their coefficients, in the order of the terms.
struct TPackedTerm {
    std::uint64_t Key;
    Extended Coefficient;
};

struct TPackedTerms {
    std::vector<TPackedTerm> Terms;

    TPackedTerms() = default;
    // The terms' keys, each exponent counted from `low` (the field's start for
    // this operand).
    TPackedTerms(const std::vector<TPoliNTerm>& terms, const TPackedLayout& layout,
                 const std::array<int, kLetters>& low)
    {
        Terms.reserve(terms.size());
        for (const TPoliNTerm& t : terms) {
            std::uint64_t key = 0;
            for (int f = 0; f < layout.Fields; ++f) {
                const int k = layout.Letter[f];
                key += static_cast<std::uint64_t>(t.Exponents[k] - low[k]) << layout.Shift[f];
            }
            Terms.push_back({key, t.Coefficient});
        }
    }

    std::vector<TPoliNTerm> Unpack(const TPackedLayout& layout) const
    {
        std::vector<TPoliNTerm> terms(Terms.size());
        TPoliNTerm blank;
        for (int k = 0; k < kLetters; ++k)
            blank.Exponents[k] = static_cast<std::int16_t>(layout.Offset[k]);
        for (std::size_t i = 0; i < Terms.size(); ++i) {
            TPoliNTerm& t = terms[i];
            t = blank;
            for (int f = 0; f < layout.Fields; ++f) {
                const int k = layout.Letter[f];
                t.Exponents[k] = static_cast<std::int16_t>(
                    layout.Offset[k] + static_cast<int>((Terms[i].Key >> layout.Shift[f]) & layout.Mask[f]));
            }
            t.Coefficient = Terms[i].Coefficient;
        }
        return terms;
    }
};

// Open addressing over the terms made: each slot holds a term's number + 1
// (0 empty). Kept between the steps of a power, so that it is allocated once.
class TPackedIndex {
public:
    // Empty, with room for `expected` terms at most half full.
    void Reset(std::size_t expected)
    {
        int bits = 4;
        while ((std::size_t{1} << bits) < 2 * expected)
            ++bits;
        m_bits = bits;
        m_slots.assign(std::size_t{1} << bits, 0);
    }
    std::size_t SlotOf(std::uint64_t key) const
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - m_bits));
    }
    std::size_t Next(std::size_t s) const { return (s + 1) & (m_slots.size() - 1); }
    std::uint32_t& operator[](std::size_t s) { return m_slots[s]; }
    const std::uint32_t* Data() const { return m_slots.data(); }
    // After the term just added: doubles the slots when more than half are used.
    void Added(const std::vector<TPackedTerm>& terms)
    {
        if (2 * terms.size() <= m_slots.size())
            return;
        Reset(terms.size());
        for (std::size_t t = 0; t < terms.size(); ++t) {
            std::size_t u = SlotOf(terms[t].Key);
            while (m_slots[u])
                u = Next(u);
            m_slots[u] = static_cast<std::uint32_t>(t + 1);
        }
    }

private:
    std::vector<std::uint32_t> m_slots;
    int m_bits = 4;
};

// out := a × b over packed keys, pair by pair in the order of a's terms, then
// b's; `index` is working room.
void PackedProduct(const TPackedTerms& a, const TPackedTerms& b, TPackedTerms& out, TPackedIndex& index)
{
    std::vector<TPackedTerm>& made = out.Terms;
    made.clear();
    const std::size_t larger = std::max(a.Terms.size(), b.Terms.size());
    const std::size_t expected = std::min(a.Terms.size() * b.Terms.size(), larger + larger / 2);
    // Room to spare, so that the two buffers of a power grow seldom.
    if (made.capacity() < expected)
        made.reserve(2 * expected);
    index.Reset(larger);

    TProgressState& progress = Progress();
    const double total = static_cast<double>(a.Terms.size()) * static_cast<double>(b.Terms.size());
    double done = 0;
    if (progress.UntilReport == 0)
        progress.UntilReport = kPairsPerReport;
    // A second cursor runs a few pairs ahead and asks for the slot its key
    // will look at, so that the memory is on its way when the pair comes.
    constexpr std::size_t kAhead = 8;
    const std::size_t na = a.Terms.size(), nb = b.Terms.size();
    std::size_t ai = 0, aj = 0;
    auto advance = [&] {
        if (++aj == nb) {
            aj = 0;
            ++ai;
        }
    };
    for (std::size_t k = 0; k < kAhead && ai < na; ++k)
        advance();
    for (const TPackedTerm& x : a.Terms) {
        for (const TPackedTerm& y : b.Terms) {
            if (ai < na) {
                __builtin_prefetch(index.Data() + index.SlotOf(a.Terms[ai].Key + b.Terms[aj].Key));
                advance();
            }
            const Extended c = checked::mul(x.Coefficient, y.Coefficient);
            if (c != 0) {
                const std::uint64_t key = x.Key + y.Key;
                for (std::size_t s = index.SlotOf(key);; s = index.Next(s)) {
                    const std::uint32_t at = index[s];
                    if (at == 0) {
                        made.push_back({key, c});
                        index[s] = static_cast<std::uint32_t>(made.size());
                        index.Added(made);
                        break;
                    }
                    TPackedTerm& old = made[at - 1];
                    if (old.Key == key) {
                        old.Coefficient = checked::add(old.Coefficient, c);
                        break;
                    }
                }
            }
            ++done;
            if (--progress.UntilReport == 0) {
                progress.UntilReport = kPairsPerReport;
                if (progress.Hook)
                    progress.Hook(progress.Base + progress.Span * (done / total));
            }
        }
    }
}

QChar Lower(QChar ch)
{
    return ch >= QLatin1Char('A') && ch <= QLatin1Char('Z') ? QChar(ch.unicode() + 32) : ch;
}

bool IsLetter(QChar ch) { return ch >= QLatin1Char('a') && ch <= QLatin1Char('z'); }
bool IsDigit(QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); }

[[noreturn]] void ExpressionError() { throw Exception(QStringLiteral("error en expresion")); }

} // namespace

TPoliNProgress::TPoliNProgress(Hook hook) : m_previous(std::move(Progress().Hook))
{
    Progress().Hook = std::move(hook);
}

TPoliNProgress::~TPoliNProgress() { Progress().Hook = std::move(m_previous); }

// ---- text ------------------------------------------------------------------
// A state machine over " " + text + "+": state 0 reads the coefficient, 1 a
// letter was read, 2 exponent digits are being read. A sign ends a term,
// except a '-' right after '^', which starts a negative exponent.
TPoliN::TPoliN(const QString& text)
{
    QString s = QStringLiteral(" ");
    for (QChar ch : text)
        s += Lower(ch);
    s += QLatin1Char('+');

    QString coef, exponent;
    int letter = -1;
    int state = 0;
    TPoliNTerm term;
    auto giveExponent = [&] {
        if (letter < 0)
            return;
        term.Exponents[letter] =
            exponent.isEmpty() ? std::int16_t(1) : CheckedExponent(PoliStrToInt(exponent));
    };
    QChar previous;
    for (QChar ch : s) {
        const bool afterCaret = previous == QLatin1Char('^');
        previous = ch;
        if (ch == QLatin1Char(' ') || ch == QLatin1Char('*') || ch == QLatin1Char('^'))
            continue;
        if (IsDigit(ch)) {
            if (state == 0) {
                coef += ch;
            } else if (state == 1) {
                state = 2;
                exponent = ch;
            } else {
                exponent += ch;
            }
        } else if (ch == QLatin1Char('.') || ch == QLatin1Char('|')) {
            if (state != 0)
                ExpressionError();
            coef += ch;
        } else if (IsLetter(ch)) {
            if (state == 0) {
                state = 1;
            } else {
                giveExponent();
                exponent.clear();
            }
            letter = ch.unicode() - 'a';
        } else if (ch == QLatin1Char('-') && afterCaret) {
            if (state == 0)
                ExpressionError();
            state = 2;
            exponent = ch;
        } else if (ch == QLatin1Char('+') || ch == QLatin1Char('-')) {
            if (state != 0 || !coef.isEmpty()) {
                if (coef.isEmpty() && letter >= 0)
                    coef = QStringLiteral("1");
                // A sign with nothing after it ("x-", "3 - - 2") is no term of -1.
                if (coef == QLatin1String("-") && letter < 0)
                    ExpressionError();
                term.Coefficient = coef == QLatin1String("-") ? Extended(-1) : ReadCoefficient(coef);
                giveExponent();
                AddTerm(term);
            }
            coef = ch == QLatin1Char('-') ? QStringLiteral("-") : QString();
            exponent.clear();
            letter = -1;
            state = 0;
            term = TPoliNTerm();
        } else {
            throw Exception(QStringLiteral("caracter invalido"));
        }
    }
}

QString TPoliN::ToString() const
{
    std::vector<const TPoliNTerm*> order(m_terms.size());
    for (std::size_t i = 0; i < m_terms.size(); ++i)
        order[i] = &m_terms[i];
    std::sort(order.begin(), order.end(),
              [](const TPoliNTerm* a, const TPoliNTerm* b) { return a->Exponents > b->Exponents; });
    QString s;
    for (const TPoliNTerm* t : order) {
        const Extended c = t->Coefficient;
        if (c == 0)
            continue;
        QString monomial;
        for (int k = 0; k < kLetters; ++k) {
            const int e = t->Exponents[k];
            if (e == 0)
                continue;
            monomial += QChar('a' + k);
            if (e < 0)
                monomial += QLatin1Char('^') + QString::number(e);
            else if (e >= 2)
                monomial += QString::number(e);
        }
        if (c > 0) {
            s += QStringLiteral(" +");
            if (!(c == 1 && !monomial.isEmpty()))
                s += NumberFormat().FormatExact(c);
        } else if (c == -1 && !monomial.isEmpty()) {
            s += QStringLiteral(" -");
        } else {
            s += QLatin1Char(' ') + NumberFormat().FormatExact(c);
        }
        s += monomial;
    }
    s = s.trimmed();
    if (s.startsWith(QLatin1Char('+')))
        s.remove(0, 1);
    return s.isEmpty() ? QStringLiteral("0") : s;
}

// ---- construction ------------------------------------------------------------
Extended ConstantValue(const TPoliN& p)
{
    Extended v = 0;
    for (const TPoliNTerm& t : p.Terms())
        v += t.Coefficient;
    return v;
}

TPoliN TPoliN::CreateConst(Extended value)
{
    TPoliN p;
    TPoliNTerm t;
    t.Coefficient = value;
    p.AddTerm(t);
    return p;
}

TPoliN TPoliN::CreateCopy(const TPoliN& source)
{
    TPoliN p;
    for (const TPoliNTerm& t : source.m_terms)
        p.AddTerm(t);
    return p;
}

TPoliN TPoliN::CreateFromPoli(const TPoli& source)
{
    TPoliN p;
    const QChar l = Lower(source.Letter());
    const int letter = IsLetter(l) ? l.unicode() - 'a' : 'x' - 'a';
    for (int i = 0; i <= source.Degree(); ++i) {
        TPoliNTerm t;
        t.Exponents[letter] = static_cast<std::int16_t>(i);
        t.Coefficient = source.Coef(i);
        p.AddTerm(t);
    }
    return p;
}

// ---- the index -----------------------------------------------------------------
void TPoliN::RebuildIndex(std::size_t expected) const
{
    std::size_t size = 16;
    while (size < 2 * std::max(expected, m_terms.size()))
        size *= 2;
    m_slots.assign(size, TSlot());
    // The hashes stay valid while only new terms were appended.
    const bool keep = !m_indexStale && m_hashes.size() == m_terms.size();
    m_hashes.resize(m_terms.size());
    const std::size_t mask = size - 1;
    for (std::size_t i = 0; i < m_terms.size(); ++i) {
        if (!keep)
            m_hashes[i] = HashOf(m_terms[i]);
        std::size_t s = SlotOf(m_hashes[i], mask);
        while (m_slots[s].Term)
            s = (s + 1) & mask;
        m_slots[s] = {static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(m_hashes[i] >> 32)};
    }
    m_indexStale = false;
}

void TPoliN::AppendNew(const TPoliNTerm& term, std::uint64_t hash)
{
    m_terms.push_back(term);
    m_hashes.push_back(hash);
    if (2 * m_terms.size() > m_slots.size()) {
        RebuildIndex();
        return;
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t s = SlotOf(hash, mask);
    while (m_slots[s].Term)
        s = (s + 1) & mask;
    m_slots[s] = {static_cast<std::uint32_t>(m_terms.size()), static_cast<std::uint32_t>(hash >> 32)};
}

long long TPoliN::Find(const TPoliNTerm& term, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t s = SlotOf(hash, mask); m_slots[s].Term; s = (s + 1) & mask) {
        const TSlot& slot = m_slots[s];
        if (slot.Tag == tag && m_terms[slot.Term - 1].Exponents == term.Exponents)
            return slot.Term - 1;
    }
    return -1;
}

void TPoliN::AddTerm(const TPoliNTerm& term)
{
    if (term.Coefficient == 0)
        return;
    if (m_indexStale)
        RebuildIndex();
    AddHashed(term, HashOf(term));
}

void TPoliN::AddHashed(const TPoliNTerm& term, std::uint64_t hash)
{
    const long long i = Find(term, hash);
    if (i >= 0)
        m_terms[i].Coefficient = checked::add(m_terms[i].Coefficient, term.Coefficient);
    else
        AppendNew(term, hash);
}

void TPoliN::Add(const TPoliN& q)
{
    for (const TPoliNTerm& t : q.m_terms)
        AddTerm(t);
}

void TPoliN::Subtract(const TPoliN& q)
{
    for (TPoliNTerm t : q.m_terms) {
        t.Coefficient = -t.Coefficient;
        AddTerm(t);
    }
}

// The layout of P^n's exponents, from n times the lowest to n times the
// highest of each letter in P (n = 1 for P alone) plus those of Q; false when
// some exponent could leave the 16-bit range or the fields need more than 64
// bits.
static bool ProductLayout(const TExponentRange& p, long long n, const TExponentRange* q, TPackedLayout& layout)
{
    std::array<long long, kLetters> low{}, span{};
    for (int k = 0; k < kLetters; ++k) {
        low[k] = n * p.Low[k] + (q ? q->Low[k] : 0);
        const long long high = n * p.High[k] + (q ? q->High[k] : 0);
        if (!InExponentRange(low[k]) || !InExponentRange(high))
            return false;
        span[k] = high - low[k];
    }
    return MakeLayout(low, span, layout);
}

TPoliN TPoliN::Multiply(const TPoliN& q) const
{
    if (!m_terms.empty() && !q.m_terms.empty()) {
        const TExponentRange rp(m_terms), rq(q.m_terms);
        TPackedLayout layout;
        if (ProductLayout(rp, 1, &rq, layout)) {
            const TPackedTerms a(m_terms, layout, rp.Low), b(q.m_terms, layout, rq.Low);
            TPackedTerms out;
            TPackedIndex index;
            PackedProduct(a, b, out, index);
            TPoliN r;
            r.m_terms = out.Unpack(layout);
            return r;
        }
    }
    if (m_indexStale)
        RebuildIndex();
    if (q.m_indexStale)
        q.RebuildIndex();
    // Room for the likely size of the product (a power's next step is seldom
    // half as large again as the last one), so that it is seldom moved while
    // it grows.
    const std::size_t larger = std::max(m_terms.size(), q.m_terms.size());
    const std::size_t expected = std::min(m_terms.size() * q.m_terms.size(), larger + larger / 2);
    TPoliN r;
    r.m_terms.reserve(expected);
    r.m_hashes.reserve(expected);
    r.RebuildIndex();
    TProgressState& progress = Progress();
    const double total = static_cast<double>(m_terms.size()) * static_cast<double>(q.m_terms.size());
    double done = 0;
    if (progress.UntilReport == 0)
        progress.UntilReport = kPairsPerReport;
    TPoliNTerm t;
    for (std::size_t i = 0; i < m_terms.size(); ++i) {
        const TPoliNTerm& a = m_terms[i];
        for (std::size_t j = 0; j < q.m_terms.size(); ++j) {
            const TPoliNTerm& b = q.m_terms[j];
            // 16-bit sums; a sum that wraps has the sign of neither operand.
            int wrapped = 0;
            for (int k = 0; k < kLetters; ++k) {
                const auto e = static_cast<std::int16_t>(static_cast<std::uint16_t>(a.Exponents[k]) +
                                                         static_cast<std::uint16_t>(b.Exponents[k]));
                wrapped |= (a.Exponents[k] ^ e) & (b.Exponents[k] ^ e);
                t.Exponents[k] = e;
            }
            if (wrapped < 0) {
                for (int k = 0; k < kLetters; ++k)
                    CheckedExponent(static_cast<long long>(a.Exponents[k]) + b.Exponents[k]);
            }
            t.Coefficient = checked::mul(a.Coefficient, b.Coefficient);
            if (t.Coefficient != 0)
                r.AddHashed(t, m_hashes[i] + q.m_hashes[j]);
            ++done;
            if (--progress.UntilReport == 0) {
                progress.UntilReport = kPairsPerReport;
                if (progress.Hook)
                    progress.Hook(progress.Base + progress.Span * (done / total));
            }
        }
    }
    return r;
}

TPoliN TPoliN::MultiplyByLinearSearch(const TPoliN& p, const TPoliN& q)
{
    std::vector<TPoliNTerm> out;
    for (const TPoliNTerm& a : p.Terms())
        for (const TPoliNTerm& b : q.Terms()) {
            TPoliNTerm t;
            for (int k = 0; k < kLetters; ++k)
                t.Exponents[k] = CheckedExponent(static_cast<long long>(a.Exponents[k]) + b.Exponents[k]);
            t.Coefficient = checked::mul(a.Coefficient, b.Coefficient);
            if (t.Coefficient == 0)
                continue;
            auto it = std::find_if(out.begin(), out.end(),
                                   [&](const TPoliNTerm& u) { return u.Exponents == t.Exponents; });
            if (it != out.end())
                it->Coefficient = checked::add(it->Coefficient, t.Coefficient);
            else
                out.push_back(t);
        }
    // Kept as merged, terms that cancelled to 0 included.
    TPoliN r;
    r.m_terms = std::move(out);
    r.m_indexStale = true;
    return r;
}

TPoliN TPoliN::Power(int n) const
{
    if (n < 0)
        throw Exception(QStringLiteral("La potencia no puede ser negativa"));
    if (n > kMaxPoliNPower)
        throw Exception(Format(QStringLiteral("La potencia no puede ser mayor a %d"), {kMaxPoliNPower}));
    if (n == 0)
        return CreateConst(1);
    TPoliN r = CreateCopy(*this);
    // The later products are the larger ones: step k takes the share
    // k^3 - (k-1)^3 of n^3 - 1.
    auto shareOf = [n](int k) {
        const double before = static_cast<double>(k - 1) * (k - 1) * (k - 1) - 1;
        const double all = static_cast<double>(n) * n * n - 1;
        const double mine = static_cast<double>(k) * k * k - 1 - before;
        return TProgressShare(before / all, mine / all);
    };
    // P^k × P for k = 1 .. n-1, the running power kept packed between steps
    // when every exponent up to P^n fits the layout.
    TPackedLayout layout;
    const TExponentRange range(m_terms);
    if (n >= 2 && !m_terms.empty() && ProductLayout(range, n, nullptr, layout)) {
        TPackedTerms running(r.m_terms, layout, range.Low), next;
        const TPackedTerms factor(m_terms, layout, range.Low);
        TPackedIndex index;
        for (int k = 2; k <= n; ++k) {
            const TProgressShare share = shareOf(k);
            PackedProduct(running, factor, next, index);
            std::swap(running, next);
        }
        TPoliN p;
        p.m_terms = running.Unpack(layout);
        return p;
    }
    for (int k = 2; k <= n; ++k) {
        const TProgressShare share = shareOf(k);
        r = r.Multiply(*this);
    }
    return r;
}

TPoliN TPoliN::DivideByMonomial(const TPoliN& p, const TPoliN& m)
{
    if (m.m_terms.size() >= 2)
        throw Exception(QStringLiteral("Demasiados terminos para la división"));
    if (m.m_terms.empty() || m.m_terms[0].Coefficient == 0)
        throw EZeroDivide();
    const TPoliNTerm& d = m.m_terms[0];
    TPoliN r;
    for (TPoliNTerm t : p.m_terms) {
        t.Coefficient = checked::div(t.Coefficient, d.Coefficient);
        for (int k = 0; k < kLetters; ++k)
            t.Exponents[k] = CheckedExponent(static_cast<long long>(t.Exponents[k]) - d.Exponents[k]);
        r.AddTerm(t);
    }
    return r;
}

TPoliN TPoliN::Substitute(const std::array<const TPoliN*, kLetters>& values) const
{
    TPoliN result;
    for (const TPoliNTerm& term : m_terms) {
        TPoliNTerm rest = term;
        for (int k = 0; k < kLetters; ++k)
            if (values[k])
                rest.Exponents[k] = 0;
        TPoliN w;
        w.AddTerm(rest);
        for (int k = 0; k < kLetters; ++k)
            if (values[k] && term.Exponents[k] != 0)
                w = values[k]->Power(term.Exponents[k]).Multiply(w);
        result.Add(w);
    }
    return result;
}

TPoli TPoliN::ToPoli() const
{
    int letter = -1, count = 0;
    for (int k = 0; k < kLetters; ++k) {
        const bool used = std::any_of(m_terms.begin(), m_terms.end(), [k](const TPoliNTerm& t) {
            return t.Coefficient != 0 && t.Exponents[k] != 0;
        });
        if (used) {
            letter = k;
            ++count;
        }
    }
    if (letter >= 0 && std::any_of(m_terms.begin(), m_terms.end(), [letter](const TPoliNTerm& t) {
            return t.Coefficient != 0 && t.Exponents[letter] < 0;
        }))
        throw Exception(QStringLiteral("Operación no válida con polinomios de coeficientes negativos"));
    if (count > 1)
        throw Exception(QStringLiteral("Esta operación necesita polinomios de una sola variable"));
    TPoli p(QString(), letter >= 0 ? QChar('a' + letter) : QLatin1Char('x'));
    for (const TPoliNTerm& t : m_terms) {
        const int e = letter >= 0 ? t.Exponents[letter] : 0;
        if (t.Coefficient == 0)
            continue;
        if (e > kMaxPoliDegree)
            throw EPoliRange(Format(QStringLiteral("La potencia %d está fuera del rango de 0 a 255"), {e}));
        p.SetCoef(e, t.Coefficient);
    }
    return p;
}

// ---- questions -------------------------------------------------------------------
bool TPoliN::IsZero() const { return NonZeroTermCount() == 0; }

void TPoliN::SetZero(bool flag)
{
    if (!flag)
        return;
    m_terms.assign(1, TPoliNTerm());
    m_indexStale = true;
}

std::size_t TPoliN::NonZeroTermCount() const
{
    return static_cast<std::size_t>(std::count_if(m_terms.begin(), m_terms.end(),
                                                  [](const TPoliNTerm& t) { return t.Coefficient != 0; }));
}

bool TPoliN::UsesLetter(QChar letter) const
{
    const QChar l = Lower(letter);
    if (!IsLetter(l))
        return false;
    const int k = l.unicode() - 'a';
    return std::any_of(m_terms.begin(), m_terms.end(),
                       [k](const TPoliNTerm& t) { return t.Coefficient != 0 && t.Exponents[k] != 0; });
}

int TPoliN::LetterCount() const
{
    int n = 0;
    for (int k = 0; k < kLetters; ++k)
        if (UsesLetter(QChar('a' + k)))
            ++n;
    return n;
}

void TPoliN::Sort()
{
    std::sort(m_terms.begin(), m_terms.end(),
              [](const TPoliNTerm& a, const TPoliNTerm& b) { return a.Exponents > b.Exponents; });
    m_indexStale = true;
}

bool TPoliN::Equals(const TPoliN& q) const
{
    if (q.m_terms.size() != m_terms.size())
        return false;
    if (q.m_indexStale)
        q.RebuildIndex();
    // Exponents are unique within each: the same count and every term found
    // pairs them one to one.
    for (const TPoliNTerm& t : m_terms) {
        const long long i = q.Find(t, HashOf(t));
        if (i < 0 || fabsl(t.Coefficient - q.m_terms[i].Coefficient) > 1e-12L)
            return false;
    }
    return true;
}
