// Table widths: the minimum and maximum width of every column from its cells, and the spreading
// of the available width over the columns for pixel, per-mille and unspecified widths.
#include "document/Table.h"

#include <algorithm>
#include <climits>

namespace tavlin {

namespace {

// A cell wider than this is cut to it, so that sums over 200 columns stay far inside int.
constexpr int kMaxCellWidth = 2000000;

int Capped(int64_t v) {
    return int(std::clamp<int64_t>(v, 0, kMaxCellWidth));
}

} // namespace

void ThtmlTable::MinMax::Total(int columns) {
    int64_t min = 0;
    int64_t max = 0;
    for (int c = 0; c < columns; ++c) {
        min += MinW[size_t(c)];
        max += MaxW[size_t(c)];
    }
    TotalMin = int(std::min<int64_t>(min, INT_MAX / 2));
    TotalMax = int(std::min<int64_t>(max, INT_MAX / 2));
}

void ThtmlTable::MeasureCells(Canvas& canvas) {
    for (const auto& row : RowList) {
        for (const auto& cell : row->Cells) {
            if (cell && cell->Cell) {
                cell->Cell->MeasureWidths(canvas, cell->MinContent, cell->MaxContent);
            }
        }
    }
    int captionMax = 0;
    CaptionCell->Cell->MeasureWidths(canvas, CaptionMinWidth, captionMax);
    CaptionMinWidth = Capped(CaptionMinWidth);
}

void ThtmlTable::CellMinMax(const TCellObj& cell, int& min, int& max) const {
    const int64_t extra = int64_t(CellSpacing) + cell.HorzExtra;
    min = Capped(cell.MinContent + extra);
    max = Capped(cell.MaxContent + extra);
}

// Runs visit(cell, column, span) for every cell, in passes of growing column span (rows top to
// bottom, cells left to right in each pass); spans no cell has are skipped.
template <typename Visit> void ThtmlTable::ForSpanPasses(Visit visit) const {
    int n = 1;
    while (true) {
        int next = INT_MAX;
        for (const auto& row : RowList) {
            for (int c = 0; c < row->Count(); ++c) {
                const TCellObj* cell = row->At(c);
                if (!cell || cell->IsFiller()) {
                    continue;
                }
                if (cell->ColSpan == n) {
                    visit(*cell, c, n);
                } else if (cell->ColSpan > n) {
                    next = std::min(next, cell->ColSpan);
                }
            }
        }
        if (next == INT_MAX) {
            return;
        }
        n = next;
    }
}

void ThtmlTable::ColumnMinMax(MinMax& m) const {
    m = MinMax();
    auto& minW = m.MinW;
    auto& maxW = m.MaxW;
    ForSpanPasses([&](const TCellObj& cell, int c, int n) {
        int min = 0;
        int max = 0;
        CellMinMax(cell, min, max);
        const int fixed = Capped(int64_t(cell.SpecifiedWidth) + CellSpacing + cell.HorzExtra);
        if (n == 1) {
            if (cell.HasPixelWidth()) {
                max = std::max(min, fixed);
            }
            minW[size_t(c)] = std::max(minW[size_t(c)], min);
            maxW[size_t(c)] = std::max(maxW[size_t(c)], max);
            return;
        }
        if (cell.HasPixelWidth()) {
            min = std::max(min, fixed);
            max = min;
        }
        const auto grow = [&](std::array<int, kMaxColumns + 1>& w, int need) {
            int64_t sum = 0;
            for (int k = c; k < c + n; ++k) {
                sum += w[size_t(k)];
            }
            if (sum >= need) {
                return;
            }
            if (sum <= 0) {
                w[size_t(c)] = need;
                return;
            }
            for (int k = c; k < c + n; ++k) {
                w[size_t(k)] = Capped(w[size_t(k)] + int64_t(MulDiv(w[size_t(k)], need - sum, sum)));
            }
        };
        grow(minW, min);
        grow(maxW, max);
    });
    m.Total(ColumnCount);
}

void ThtmlTable::ColumnMinMaxWithPercents(MinMax& m, int avail) {
    m = MinMax();
    ColumnPercents.fill(0);
    auto& minW = m.MinW;
    auto& maxW = m.MaxW;
    auto& share = ColumnPercents;
    ForSpanPasses([&](const TCellObj& cell, int c, int n) {
        int min = 0;
        int max = 0;
        CellMinMax(cell, min, max);
        int p = 0;
        if (cell.WidthIsPercent) {
            p = cell.SpecifiedWidth;
        } else if (cell.SpecifiedWidth > 0 && avail > 0) {
            p = std::min(1000, MulDiv(cell.SpecifiedWidth, 1000, avail));
        }
        if (n == 1) {
            maxW[size_t(c)] = std::max(maxW[size_t(c)], max);
            minW[size_t(c)] = std::max(minW[size_t(c)], min);
            share[size_t(c)] = std::max(share[size_t(c)], p);
            return;
        }
        int64_t sumMin = 0;
        int64_t sumMax = 0;
        int pctSum = 0;
        int noPct = 0;
        for (int k = c; k < c + n; ++k) {
            sumMin += minW[size_t(k)];
            sumMax += maxW[size_t(k)];
            if (share[size_t(k)] > 0) {
                pctSum += share[size_t(k)];
            } else {
                ++noPct;
            }
        }
        const int64_t minExcess = min - sumMin;
        const int64_t maxExcess = max - sumMax;
        const auto add = [&](int k, int64_t amount) { minW[size_t(k)] = Capped(minW[size_t(k)] + amount); };
        if (p > 0 || pctSum > 0) {
            const int part = noPct > 0 ? std::max(0, (p - pctSum) / noPct) : 0;
            for (int k = c; k < c + n; ++k) {
                int& s = share[size_t(k)];
                if (noPct == 0 && pctSum < p) {
                    s = MulDiv(s, p, pctSum);
                } else if (part > 0 && s == 0) {
                    s = part;
                }
            }
            const int totPct = std::max(pctSum, p);
            if (minExcess > 0) {
                // Spread by the columns' maximum widths; equally when they are all 0.
                const int64_t maxSum = sumMax;
                for (int k = c; k < c + n; ++k) {
                    add(k, noPct == 0   ? MulDiv(minExcess, share[size_t(k)], totPct)
                           : maxSum > 0 ? MulDiv(minExcess, maxW[size_t(k)], maxSum)
                                        : minExcess / n);
                }
            }
            if (maxExcess > 0) {
                for (int k = c; k < c + n; ++k) {
                    int& w = maxW[size_t(k)];
                    if (noPct == 0) {
                        w = std::max(Capped(MulDiv(max, share[size_t(k)], totPct)), w);
                    } else if (share[size_t(k)] == 0) {
                        w = Capped(w + maxExcess / noPct);
                    }
                }
            }
            return;
        }
        if (minExcess > 0) {
            for (int k = c; k < c + n; ++k) {
                minW[size_t(k)] = sumMin > 0 ? Capped(MulDiv(min, minW[size_t(k)], sumMin)) : min / n;
            }
        }
        if (maxExcess > 0) {
            for (int k = c; k < c + n; ++k) {
                maxW[size_t(k)] = sumMax > 0 ? Capped(MulDiv(max, maxW[size_t(k)], sumMax)) : max / n;
            }
        }
    });
    m.Total(ColumnCount);
}

void ThtmlTable::MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
    PrepareGrid();
    MeasureCells(canvas);
    cellsMeasured_ = true; // the block measures its table right before laying it out
    MinMax m;
    if (!HasPixelWidthCell || GivenWidth != 0) {
        ColumnMinMaxWithPercents(m, GivenWidth);
    } else {
        ColumnMinMax(m);
    }
    minWidth = std::max({m.TotalMin + CellSpacing, GivenWidth, CaptionMinWidth});
    maxWidth = std::max({m.TotalMax + CellSpacing, GivenWidth, CaptionMinWidth});
}

void ThtmlTable::SpreadBetween(const MinMax& m, int avail) {
    for (int c = 0; c < ColumnCount; ++c) {
        const size_t i = size_t(c);
        if (m.TotalMin >= avail) {
            ColumnWidths[i] = m.MinW[i];
        } else if (avail < m.TotalMax) {
            ColumnWidths[i] =
                m.MinW[i] + MulDiv(m.MaxW[i] - m.MinW[i], avail - m.TotalMin, m.TotalMax - m.TotalMin);
        } else {
            ColumnWidths[i] = m.MaxW[i];
        }
    }
}

void ThtmlTable::SpreadInGivenWidth(const MinMax& m, int avail) {
    std::array<bool, kMaxColumns + 1> fixed{};
    auto& width = ColumnWidths;
    const auto& share = ColumnPercents;
    int64_t total = 0;
    int pctSum = 0;
    int64_t flexRange = 0;
    int noPct = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        const size_t i = size_t(c);
        if (share[i] <= 0) {
            width[i] = m.MinW[i];
            ++noPct;
            flexRange += m.MaxW[i] - m.MinW[i];
        } else {
            const int pw = MulDiv(avail, share[i], 1000);
            if (m.MinW[i] < pw) {
                width[i] = pw;
                pctSum += share[i];
            } else {
                width[i] = m.MinW[i];
                fixed[i] = true;
            }
        }
        total += width[i];
    }
    int64_t excess = total - avail;
    const auto eachShared = [&](auto fn) {
        for (int c = 0; c < ColumnCount; ++c) {
            if (share[size_t(c)] > 0 && !fixed[size_t(c)]) {
                fn(size_t(c));
            }
        }
    };
    if (excess < 0) {
        if (noPct == 0) {
            if (pctSum > 0) {
                eachShared([&](size_t i) { width[i] += MulDiv(-excess, share[i], pctSum); });
            }
        } else {
            const bool byRange = flexRange > 0 && (-excess) / 2 <= flexRange;
            for (int c = 0; c < ColumnCount; ++c) {
                const size_t i = size_t(c);
                if (share[i] <= 0) {
                    width[i] +=
                        byRange ? MulDiv(-excess, m.MaxW[i] - m.MinW[i], flexRange) : int((-excess) / noPct);
                }
            }
        }
    } else if (excess > 0) {
        for (int round = 0; round < 4 && pctSum > 0; ++round) {
            bool fixedAny = false;
            eachShared([&](size_t i) {
                if (pctSum <= 0) {
                    return;
                }
                const int cut = MulDiv(excess, share[i], pctSum);
                if (width[i] - cut < m.MinW[i]) {
                    fixed[i] = true;
                    pctSum -= share[i];
                    excess -= width[i] - m.MinW[i];
                    width[i] = m.MinW[i];
                    fixedAny = true;
                }
            });
            if (!fixedAny) {
                break;
            }
        }
        if (pctSum > 0) {
            const int64_t cutTotal = excess;
            const int pctAll = pctSum;
            eachShared([&](size_t i) { width[i] -= MulDiv(cutTotal, share[i], pctAll); });
        }
    }
    int64_t sum = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        sum += width[size_t(c)];
    }
    const int64_t d = sum - avail;
    if (ColumnCount > 0 && d <= 0) {
        width[0] += int(-d);
    } else if (d > 0) {
        for (int c = 0; c < ColumnCount; ++c) {
            if (!fixed[size_t(c)]) {
                width[size_t(c)] = int(std::max<int64_t>(0, width[size_t(c)] - d));
                break;
            }
        }
    }
}

bool ThtmlTable::SpreadPercentsAtDesired(const MinMax& m, int avail) {
    int64_t pctTotal = 0;
    int64_t nonPctMax = 0;
    int64_t need = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        const size_t i = size_t(c);
        pctTotal += ColumnPercents[i];
        if (ColumnPercents[i] < 1) {
            nonPctMax += m.MaxW[i];
        } else {
            need = std::max<int64_t>(need, MulDiv(m.MaxW[i], 1000, ColumnPercents[i]));
        }
    }
    const int64_t rest =
        pctTotal > 999 ? (nonPctMax >= 1 ? 30000 : 0) : MulDiv(nonPctMax, 1000, 1000 - pctTotal);
    const int64_t desired = std::max(need, rest);
    if (avail < desired) {
        return false;
    }
    const int part = MulDiv(desired, 1000 - pctTotal, 1000);
    for (int c = 0; c < ColumnCount; ++c) {
        const size_t i = size_t(c);
        if (ColumnPercents[i] >= 1) {
            ColumnWidths[i] = MulDiv(desired, ColumnPercents[i], 1000);
        } else {
            ColumnWidths[i] = nonPctMax < 1 ? 0 : MulDiv(m.MaxW[i], part, nonPctMax);
        }
    }
    return true;
}

void ThtmlTable::ShrinkPercentsToFit(MinMax& m, int avail) {
    // Each round either ends, drops a column's share or shrinks the room strictly; the cap only
    // guards against rounding that could keep it going.
    constexpr int kMaxRounds = 1000;
    int limit = 268435455;
    for (int round = 0; round < kMaxRounds; ++round) {
        int64_t pctWidths = 0;
        int64_t others = 0;
        bool kept = false;
        for (int c = 0; c < ColumnCount; ++c) {
            const size_t i = size_t(c);
            if (ColumnPercents[i] <= 0) {
                others += m.MinW[i];
                continue;
            }
            const int pw = MulDiv(avail, ColumnPercents[i], 1000);
            if (pw < m.MinW[i]) {
                ColumnPercents[i] = 0;
                others += m.MinW[i];
            } else {
                pctWidths += pw;
                kept = true;
            }
        }
        if (!kept) {
            return;
        }
        if (avail < pctWidths + others) {
            const int space = int(std::min<int64_t>(avail - others, limit - 1));
            limit = space;
            for (int c = 0; c < ColumnCount; ++c) {
                int& s = ColumnPercents[size_t(c)];
                s = s > 0 ? MulDiv(s, space, pctWidths) : s;
            }
            continue;
        }
        for (int c = 0; c < ColumnCount; ++c) {
            const size_t i = size_t(c);
            if (ColumnPercents[i] > 0) {
                m.MinW[i] = m.MaxW[i] = MulDiv(avail, ColumnPercents[i], 1000);
            }
        }
        m.Total(ColumnCount);
        return;
    }
}

void ThtmlTable::SpreadByPercents(MinMax& m, int avail) {
    int64_t pctTotal = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        pctTotal += ColumnPercents[size_t(c)];
    }
    if (pctTotal > 0 && pctTotal <= 1000) {
        if (SpreadPercentsAtDesired(m, avail)) {
            return;
        }
        ShrinkPercentsToFit(m, avail);
    }
    SpreadBetween(m, avail);
}

} // namespace tavlin
