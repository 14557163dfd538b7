// band_table.cpp - tables the constant c(N) of the whole-history chance band |S_k| <= c*sqrt(V_k),
// k0 <= k <= N, such that a Bernoulli(p) walk leaves it with probability 0.05, by exact dynamic
// programming. Usage: band_table <c from> <c to> [last grid step, default 61]: one line per c
// (steps of 0.01), "c N:P(exit by N) ..." for N = round(30 * 2^(i/4)), i = 0 .. last grid step. Not
// part of the build; docs/cli.md gives the commands that rebuild the table in
// backtest/src/band.cpp.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>
int main(int argc, char** argv) {
    const double p = 0.7217;
    const int k0 = 30;
    const double sd = std::sqrt(p * (1 - p));
    std::vector<long> grid;
    const int last_step = argc > 3 ? atoi(argv[3]) : 61;
    for (int i = 0; i <= last_step; ++i)
        grid.push_back(std::lround(30.0 * std::pow(2.0, i / 4.0)));
    const long nmax = grid.back();
    const double c_lo = argc > 1 ? atof(argv[1]) : 2.0, c_hi = argc > 2 ? atof(argv[2]) : 3.6,
                 step = 0.01;
    for (double c = c_lo; c <= c_hi + 1e-9; c += step) {
        std::vector<double> cur(nmax + 2, 0.0), nxt(nmax + 2, 0.0);
        long lo = 0, hi = 0;  // live hit counts
        cur[0] = 1.0;
        double exited = 0;
        size_t gi = 0;
        printf("%.3f", c);
        for (long k = 1; k <= nmax; ++k) {
            long nlo = lo, nhi = hi + 1;
            for (long h = nlo; h <= nhi; ++h) {
                double v = 0;
                if (h <= hi)
                    v += cur[h] * (1 - p);
                if (h - 1 >= lo)
                    v += cur[h - 1] * p;
                nxt[h] = v;
            }
            if (k >= k0) {
                double b = c * sd * std::sqrt(double(k)), mid = k * p;
                long blo = (long)std::ceil(mid - b - 1e-12),
                     bhi = (long)std::floor(mid + b + 1e-12);
                while (nlo < blo && nlo <= nhi) {
                    exited += nxt[nlo];
                    nxt[nlo] = 0;
                    ++nlo;
                }
                while (nhi > bhi && nhi >= nlo) {
                    exited += nxt[nhi];
                    nxt[nhi] = 0;
                    --nhi;
                }
            }
            for (long h = lo; h <= hi; ++h)
                cur[h] = 0;
            for (long h = nlo; h <= nhi; ++h) {
                cur[h] = nxt[h];
                nxt[h] = 0;
            }
            lo = nlo;
            hi = nhi;
            if (gi < grid.size() && k == grid[gi]) {
                printf(" %ld:%.6g", k, exited);
                ++gi;
            }
        }
        printf("\n");
        fflush(stdout);
    }
}
