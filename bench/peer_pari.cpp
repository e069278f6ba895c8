#include "peer_pari.h"

#include <pari/pari.h>

namespace pari_peer {

namespace {

// The rows × cols block of the rows as a PARI matrix.
GEN ToMatrix(const std::vector<std::vector<long>>& rows, std::size_t cols)
{
    const long n = long(rows.size());
    GEN m = cgetg(long(cols) + 1, t_MAT);
    for (std::size_t c = 0; c < cols; ++c) {
        GEN col = cgetg(n + 1, t_COL);
        for (long r = 0; r < n; ++r)
            gel(col, r + 1) = stoi(rows[std::size_t(r)][c]);
        gel(m, long(c) + 1) = col;
    }
    return m;
}

long Digits(GEN x)
{
    if (typ(x) == t_FRAC)
        x = gel(x, 1);
    return typ(x) == t_INT ? long(sizedigit(x)) : 0;
}

} // namespace

void Init()
{
    static bool started = false;
    if (!started) {
        pari_init(64000000, 500000);
        started = true;
    }
}

bool IsPrime(std::uint64_t n) { return uisprime(ulong(n)); }

long Determinant(const std::vector<std::vector<long>>& rows)
{
    const pari_sp av = avma;
    const long d = Digits(det(ToMatrix(rows, rows.size())));
    set_avma(av);
    return d;
}

long Inverse(const std::vector<std::vector<long>>& rows)
{
    const pari_sp av = avma;
    GEN inv = ginv(ToMatrix(rows, rows.size()));
    const long d = Digits(gcoeff(inv, 1, 1));
    set_avma(av);
    return d;
}

long Solve(const std::vector<std::vector<long>>& rows)
{
    const pari_sp av = avma;
    const std::size_t n = rows.size();
    GEN a = ToMatrix(rows, n);
    GEN b = cgetg(long(n) + 1, t_COL);
    for (std::size_t r = 0; r < n; ++r)
        gel(b, long(r) + 1) = stoi(rows[r][n]);
    const long d = Digits(gel(gauss(a, b), 1));
    set_avma(av);
    return d;
}

} // namespace pari_peer
