#pragma once
// Exact fractions of 128-bit integers and Gaussian elimination over them (or
// over GMP's fractions): the reference the matrix tests compare with.
#include <cstdint>
#include <numeric>
#include <optional>
#include <random>
#include <vector>

namespace oracle {

using Int = __int128;

inline Int Gcd(Int a, Int b)
{
    if (a < 0)
        a = -a;
    if (b < 0)
        b = -b;
    while (b != 0) {
        const Int t = a % b;
        a = b;
        b = t;
    }
    return a;
}

struct Frac {
    Int Num = 0;
    Int Den = 1;
    Frac(Int n = 0, Int d = 1) : Num(n), Den(d)
    {
        if (Den < 0) {
            Num = -Num;
            Den = -Den;
        }
        const Int g = Gcd(Num, Den);
        if (g > 1) {
            Num /= g;
            Den /= g;
        }
    }
    friend Frac operator+(Frac a, Frac b) { return Frac(a.Num * b.Den + b.Num * a.Den, a.Den * b.Den); }
    friend Frac operator-(Frac a, Frac b) { return Frac(a.Num * b.Den - b.Num * a.Den, a.Den * b.Den); }
    friend Frac operator*(Frac a, Frac b) { return Frac(a.Num * b.Num, a.Den * b.Den); }
    friend Frac operator/(Frac a, Frac b) { return Frac(a.Num * b.Den, a.Den * b.Num); }
    bool IsZero() const { return Num == 0; }
    friend bool operator==(Frac a, Frac b) { return a.Num == b.Num && a.Den == b.Den; }
    // The value rounded once, as a single division of the two integers.
    long double Value() const { return static_cast<long double>(Num) / static_cast<long double>(Den); }
};

using Matrix = std::vector<std::vector<Frac>>;   // [row][col]

// Determinant by elimination with exact fractions (Frac, or any exact
// fraction type with the arithmetic operators and == 0).
template <class F>
F Determinant(std::vector<std::vector<F>> a)
{
    const std::size_t n = a.size();
    F det(1);
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        while (p < n && a[p][k] == F(0))
            ++p;
        if (p == n)
            return F(0);
        if (p != k) {
            std::swap(a[p], a[k]);
            det = det * F(-1);
        }
        det = det * a[k][k];
        for (std::size_t r = k + 1; r < n; ++r) {
            const F f = a[r][k] / a[k][k];
            for (std::size_t c = k; c < a[r].size(); ++c)
                a[r][c] = a[r][c] - f * a[k][c];
        }
    }
    return det;
}

// [A | B] reduced to [I | X]; nothing when A is singular.
template <class F>
std::optional<std::vector<std::vector<F>>> Solve(std::vector<std::vector<F>> a)
{
    const std::size_t n = a.size();
    const std::size_t cols = a[0].size();
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        while (p < n && a[p][k] == F(0))
            ++p;
        if (p == n)
            return std::nullopt;
        std::swap(a[p], a[k]);
        const F pivot = a[k][k];
        for (std::size_t c = 0; c < cols; ++c)
            a[k][c] = a[k][c] / pivot;
        for (std::size_t r = 0; r < n; ++r)
            if (r != k && !(a[r][k] == F(0))) {
                const F f = a[r][k];
                for (std::size_t c = 0; c < cols; ++c)
                    a[r][c] = a[r][c] - f * a[k][c];
            }
    }
    std::vector<std::vector<F>> x(n);
    for (std::size_t r = 0; r < n; ++r)
        x[r].assign(a[r].begin() + std::ptrdiff_t(n), a[r].end());
    return x;
}

inline std::vector<std::vector<int>> RandomInts(std::mt19937& rng, int rows, int cols, int low, int high)
{
    std::uniform_int_distribution<int> d(low, high);
    std::vector<std::vector<int>> m(static_cast<std::size_t>(rows), std::vector<int>(static_cast<std::size_t>(cols)));
    for (auto& row : m)
        for (int& x : row)
            x = d(rng);
    return m;
}

inline Matrix ToFracs(const std::vector<std::vector<int>>& m)
{
    Matrix a;
    for (const auto& row : m) {
        a.emplace_back();
        for (int x : row)
            a.back().emplace_back(x);
    }
    return a;
}

} // namespace oracle
