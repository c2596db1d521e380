#pragma once
// What the benchmarks share: a clock and generated documents of A4 pages with text lines and
// vector drawing.

#include "PdfFixture.h"

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Page n: 45 lines of text and 24 curves; with fills, also 12 filled rectangles.
inline std::string pageContent(int n, bool fills)
{
    std::string s = "q 0.2 0.2 0.6 rg BT /F1 10 Tf 12 TL 50 800 Td\n";
    for (int line = 0; line < 45; line++)
        s += "(Page " + std::to_string(n + 1) + " line " + std::to_string(line) +
             ": the quick brown fox jumps over the lazy dog 0123456789) '\n";
    s += "ET Q\nq 0.5 w 0.1 0.5 0.1 RG\n";
    for (int i = 0; i < 24; i++)
    {
        const int x = 40 + (i * 37 + n * 11) % 500, y = 60 + (i * 53 + n * 7) % 200;
        s += std::to_string(x) + " " + std::to_string(y) + " m " + std::to_string(x + 40) + " " +
             std::to_string(y + 90) + " " + std::to_string(x + 120) + " " + std::to_string(y - 30) + " " +
             std::to_string(x + 160) + " " + std::to_string(y + 50) + " c S\n";
    }
    if (fills)
        for (int i = 0; i < 12; i++)
            s += "0.9 " + std::to_string((i % 5) / 5.0).substr(0, 4) + " 0.3 rg " + std::to_string(50 + i * 40) +
                 " 300 30 " + std::to_string(20 + i * 8) + " re f\n";
    s += "Q\n";
    return s;
}

inline std::string makeDocument(int pages, bool fills)
{
    std::vector<fixture::PageSpec> recipes;
    recipes.reserve(static_cast<size_t>(pages));
    for (int i = 0; i < pages; i++)
        recipes.push_back(fixture::PageSpec{"[0 0 595 842]", "", pageContent(i, fills)});
    return fixture::simpleDocument(recipes);
}

} // namespace bench
