#include "engine/ReadingOrder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <tuple>

namespace {

constexpr double kRowTolerance = 0.01;

// A coordinate as a sort key: not-a-number sorts last, so that every
// comparison below is a strict weak ordering.
double Key(double v)
{
    return std::isnan(v) ? std::numeric_limits<double>::infinity() : v;
}

} // namespace

std::vector<std::size_t> ReadingOrder(const std::vector<BoxCorner>& corners)
{
    std::vector<std::size_t> order(corners.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    auto byTop = [&](std::size_t a, std::size_t b) {
        return std::make_tuple(Key(corners[a].y), Key(corners[a].x), a) <
               std::make_tuple(Key(corners[b].y), Key(corners[b].x), b);
    };
    std::sort(order.begin(), order.end(), byTop);

    // Rows, from the top: a box joins the row whose first top is within the
    // tolerance of its own.
    std::vector<std::size_t> row(corners.size());
    std::size_t rows = 0;
    double rowTop = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        double top = Key(corners[order[i]].y);
        if (i == 0 || !(top - rowTop < kRowTolerance)) {
            rowTop = top;
            ++rows;
        }
        row[order[i]] = rows;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::make_pair(row[a], Key(corners[a].x)) < std::make_pair(row[b], Key(corners[b].x));
    });
    return order;
}
