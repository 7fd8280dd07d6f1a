// Figures of repeated measurements, shared by the benchmarks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// The value below which a share `p` (0 to 1) of `values` lies.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index =
        std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()));
    return values[index];
}
