#include "tools/primos/criba.h"

#include "foundation/core/exceptions.h"

#include <primecount.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace primos {

using u64 = std::uint64_t;

namespace {

// The sieving primes go up to 2^22; ranges above 2^44 leave numbers that
// the primality test decides.
constexpr u64 kBaseLimit = u64(1) << 22;

} // namespace

std::vector<std::uint32_t> OddPrimesUpTo(std::uint32_t limit)
{
    std::vector<std::uint32_t> out;
    if (limit < 3)
        return out;
    // flags[i] stands for 2i + 1.
    std::vector<std::uint8_t> flags(limit / 2 + 1, 1);
    for (u64 i = 1; (2 * i + 1) * (2 * i + 1) <= limit; ++i)
        if (flags[i])
            for (u64 j = (2 * i + 1) * (2 * i + 1) / 2; j < flags.size(); j += 2 * i + 1)
                flags[j] = 0;
    for (u64 i = 1; i < flags.size(); ++i)
        if (flags[i] && 2 * i + 1 <= limit)
            out.push_back(std::uint32_t(2 * i + 1));
    return out;
}

TPrimeSieve::TPrimeSieve(std::int64_t lo, std::int64_t hi)
    : lo_(u64(std::max<std::int64_t>(lo, 0))), hi_(u64(std::max<std::int64_t>(hi, 0)))
{
    if (hi < 2 || lo > hi) {
        done_ = true;
        next_ = hi_ + 1;
        return;
    }
    emitTwo_ = lo_ <= 2;
    next_ = std::max<u64>(lo_, 3) | 1;
    const u64 root = ISqrt(hi_);
    const u64 limit = std::min(root, kBaseLimit);
    complete_ = root <= kBaseLimit;
    base_ = OddPrimesUpTo(std::uint32_t(limit));
    multiple_.resize(base_.size());
    for (std::size_t i = 0; i < base_.size(); ++i) {
        const u64 p = base_[i];
        u64 m = (next_ + p - 1) / p * p;
        if ((m & 1) == 0)
            m += p;
        multiple_[i] = std::max(m, p * p);
    }
}

bool TPrimeSieve::SieveSegment()
{
    if (next_ > hi_)
        return false;
    segLo_ = next_;
    const u64 segEnd = std::min(hi_, segLo_ + kSpan - 1);
    segLen_ = std::size_t((segEnd - segLo_) / 2 + 1);
    seg_.assign(segLen_, 1);
    std::uint8_t* s = seg_.data();
    for (std::size_t i = 0; i < base_.size(); ++i) {
        const u64 m = multiple_[i];
        if (m > segEnd) {
            // Every later prime starts at its square, further still.
            if (u64(base_[i]) * base_[i] > segEnd)
                break;
            continue;
        }
        const u64 p = base_[i];
        u64 j = (m - segLo_) / 2;
        for (; j < segLen_; j += p)
            s[j] = 0;
        multiple_[i] = segLo_ + 2 * j;
    }
    if (segLo_ == 1)
        s[0] = 0;
    if (!complete_) {
        // Above the square of the last sieving prime a number left standing
        // may still be the product of two larger primes.
        const u64 covered = kBaseLimit * kBaseLimit;
        for (std::size_t j = 0; j < segLen_; ++j) {
            const u64 v = segLo_ + 2 * j;
            if (s[j] && v > covered && !IsPrime64(std::int64_t(v)))
                s[j] = 0;
        }
    }
    next_ = segLo_ + 2 * u64(segLen_);
    return true;
}

bool TPrimeSieve::Next(std::vector<std::int64_t>& out)
{
    out.clear();
    if (done_)
        return false;
    if (emitTwo_) {
        out.push_back(2);
        emitTwo_ = false;
    }
    if (!SieveSegment()) {
        done_ = true;
        return !out.empty();
    }
    for (std::size_t j = 0; j < segLen_; ++j)
        if (seg_[j])
            out.push_back(std::int64_t(segLo_ + 2 * j));
    if (next_ > hi_)
        done_ = true;
    return true;
}

bool TPrimeSieve::NextCount(u64& count)
{
    count = 0;
    if (done_)
        return false;
    if (emitTwo_) {
        count = 1;
        emitTwo_ = false;
    }
    if (!SieveSegment()) {
        done_ = true;
        return count > 0;
    }
    for (std::size_t j = 0; j < segLen_; ++j)
        count += seg_[j];
    if (next_ > hi_)
        done_ = true;
    return true;
}

// ---------------------------------------------------------------------------
// Counting and the n-th prime, by primecount

namespace {

// How many primes lie in [a, b] (2 <= a <= b) by sieving.
std::int64_t SieveCount(std::int64_t a, std::int64_t b, const TPrimeHook& hook)
{
    TPrimeSieve sieve(a, b);
    std::int64_t total = 0;
    u64 c = 0;
    const double range = double(b - a) + 1;
    while (sieve.NextCount(c)) {
        total += std::int64_t(c);
        if (hook)
            hook(TPrimeReport{TPrimeStage::Listing, double(sieve.Position() - u64(a)) / range, total,
                              std::int64_t(std::min<u64>(sieve.Position(), u64(kMaxNumber)))});
    }
    return total;
}

// primecount's own choice of threads, read before the first count.
int DefaultThreads()
{
    static const int threads = primecount::get_num_threads();
    return threads;
}

// A count small enough to answer at once (a millisecond or so) runs here, on
// one thread: the OpenMP threads of a larger count would be copied
// half-alive into the process forked for the next one. primecount keeps its
// number of threads for the whole process, and setting it costs more than a
// small count, so it is set once.
std::int64_t CountHere(const std::function<std::int64_t()>& work)
{
    static const bool oneThread = (DefaultThreads(), primecount::set_num_threads(1), true);
    (void)oneThread;
    return work();
}

// A larger count runs in a forked copy of this process on every core, so
// that the user can end it at any moment: the hook is called every few
// milliseconds with the share of the expected time gone by, and when it
// throws the copy is killed and reaped before the exception goes on.
// `expected` is a rough duration in seconds, for the progress only.
std::int64_t CountInChild(const std::function<std::int64_t()>& work, double expected, const TPrimeHook& hook)
{
    const int threads = DefaultThreads();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return CountHere(work);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return CountHere(work);
    }
    if (pid == 0) {
        // The child: nothing of the parent's state but the count runs here.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ::close(fds[0]);
        std::int64_t result = -1;
        try {
            primecount::set_num_threads(threads);
            result = work();
        } catch (...) {
            result = -1;
        }
        const char* p = reinterpret_cast<const char*>(&result);
        std::size_t left = sizeof result;
        while (left > 0) {
            const ssize_t w = ::write(fds[1], p, left);
            if (w <= 0)
                break;
            p += w;
            left -= std::size_t(w);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    struct TChild {
        pid_t Pid;
        int Fd;
        bool Reaped = false;
        ~TChild()
        {
            if (!Reaped) {
                ::kill(Pid, SIGKILL);
                while (::waitpid(Pid, nullptr, 0) < 0 && errno == EINTR) {
                }
            }
            ::close(Fd);
        }
    } child{pid, fds[0]};
    const auto start = std::chrono::steady_clock::now();
    std::int64_t result = -1;
    char* p = reinterpret_cast<char*>(&result);
    std::size_t got = 0;
    for (;;) {
        pollfd pfd{child.Fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, 10);
        if (ready > 0) {
            const ssize_t r = ::read(child.Fd, p + got, sizeof result - got);
            if (r > 0) {
                got += std::size_t(r);
                if (got < sizeof result)
                    continue;
            }
            break;   // the whole answer, or the end of the pipe
        }
        if (ready < 0 && errno != EINTR)
            break;
        if (hook) {
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            hook(TPrimeReport{TPrimeStage::Counting, elapsed / (elapsed + expected), 0, 0});
        }
    }
    while (::waitpid(child.Pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    child.Reaped = true;
    if (got < sizeof result || result < 0)
        throw Exception(QStringLiteral("No se pudo completar el cálculo"));
    return result;
}

// Counts up to this bound (and n-th primes below it) take at most a
// millisecond or so on one thread, less than starting the forked process
// costs, and run at once.
constexpr std::int64_t kCountHereLimit = INT64_C(1000000000);

// A rough duration of a count up to x on every core, in seconds.
double ExpectedSeconds(std::int64_t x)
{
    const double lx = std::log(double(x));
    return 2e-7 * std::pow(double(x), 2.0 / 3.0) / (lx * lx) + 0.2;
}

} // namespace

std::int64_t CountPrimesUpTo(std::int64_t x, const TPrimeHook& hook)
{
    if (x < 2)
        return 0;
    if (x < 100000)
        return SieveCount(2, x, {});
    auto work = [x] { return primecount::pi(x); };
    if (x <= kCountHereLimit)
        return CountHere(work);
    return CountInChild(work, ExpectedSeconds(x), hook);
}

std::int64_t CountPrimes(std::int64_t a, std::int64_t b, const TPrimeHook& hook)
{
    a = std::max<std::int64_t>(a, 2);
    if (b < a)
        return 0;
    if (b - a < (std::int64_t(1) << 26))
        return SieveCount(a, b, hook);
    return CountPrimesUpTo(b, hook) - CountPrimesUpTo(a - 1, hook);
}

std::int64_t NthPrime(std::int64_t n, const TPrimeHook& hook)
{
    if (n < 1 || n > kMaxNthPrime)
        return 0;
    constexpr std::int64_t first[] = {2, 3, 5, 7, 11};
    if (n <= 5)
        return first[n - 1];
    for (const TNthPrimeCheckpoint& cp : NthPrimeCheckpoints)
        if (cp.K == n)
            return cp.Prime;
    auto work = [n] { return primecount::nth_prime(n); };
    // The n-th prime lies near n ln n.
    const double estimate = double(n) * std::log(double(n)) * 1.2;
    if (estimate <= double(kCountHereLimit))
        return CountHere(work);
    return CountInChild(work, ExpectedSeconds(std::int64_t(std::min(estimate, 9e18))), hook);
}

void ListPrimes(std::int64_t lo, std::int64_t hi,
                const std::function<void(const std::vector<std::int64_t>&)>& onBatch, const TPrimeHook& hook)
{
    TPrimeSieve sieve(lo, hi);
    std::vector<std::int64_t> batch;
    const double range = hi > lo ? double(hi) - double(lo) : 1;
    while (sieve.Next(batch)) {
        if (!batch.empty())
            onBatch(batch);
        if (hook) {
            const std::int64_t c = std::int64_t(std::min<u64>(sieve.Position(), u64(kMaxNumber)));
            hook(TPrimeReport{TPrimeStage::Listing, std::min(1.0, (double(c) - double(lo)) / range), 0, c});
        }
    }
}

} // namespace primos
