#include "shell/preview_grid.h"

#include "foundation/codepage.h"
#include "foundation/settings.h"

#include <algorithm>
#include <utility>

namespace kt4::shell {

namespace {

// Quicksort of Keys[Lo..Hi] carrying Index along (pivot in the middle,
// byte-wise comparison).
void QuickSort(std::vector<std::string>& Keys, std::vector<int>& Index, int Lo, int Hi)
{
    while (Lo < Hi) {
        const std::string pivot = Keys[static_cast<std::size_t>((Lo + Hi) / 2)];
        int i = Lo, j = Hi;
        do {
            while (Keys[static_cast<std::size_t>(i)] < pivot)
                ++i;
            while (pivot < Keys[static_cast<std::size_t>(j)])
                --j;
            if (i <= j) {
                std::swap(Keys[static_cast<std::size_t>(i)], Keys[static_cast<std::size_t>(j)]);
                std::swap(Index[static_cast<std::size_t>(i)], Index[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // recurse into the smaller part, loop on the larger one
        if (j - Lo < Hi - i) {
            if (j > Lo)
                QuickSort(Keys, Index, Lo, j);
            Lo = i;
        } else {
            if (i < Hi)
                QuickSort(Keys, Index, i, Hi);
            Hi = j;
        }
    }
}

} // namespace

std::string PreviewGrid::Caption() const
{
    const std::string product = OemToDisplay(settings::ProductName);
    switch (Mode) {
    case 2:
        return product + "   Material";
    case 3:
        return product + "  Multistage";
    case 4:
        return product + "  Optimize";
    default:
        return settings::DataDir + "  " + product;
    }
}

void PreviewGrid::SortByColumn(int C)
{
    const int n = RowCount() - 1;
    if (n < 2 || C < 0 || C >= ColCount())
        return;
    // work arrays sized by the rows, entry 0 unused
    std::vector<std::string> keys(static_cast<std::size_t>(n) + 1);
    std::vector<int> index(static_cast<std::size_t>(n) + 1);
    for (int r = 1; r <= n; ++r) {
        keys[static_cast<std::size_t>(r)] = Rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(C)];
        index[static_cast<std::size_t>(r)] = r;
    }
    QuickSort(keys, index, 1, n);

    std::vector<std::vector<std::string>> sorted(Rows.size());
    sorted[0] = std::move(Rows[0]);
    int newRow = 0, newSelected = 0;
    for (int r = 1; r <= n; ++r) {
        const int from = index[static_cast<std::size_t>(r)];
        sorted[static_cast<std::size_t>(r)] = std::move(Rows[static_cast<std::size_t>(from)]);
        if (from == Row)
            newRow = r;
        if (from == SelectedRow)
            newSelected = r;
    }
    Rows = std::move(sorted);
    Row = newRow;
    SelectedRow = newSelected;
}

bool PreviewGrid::FindNext()
{
    for (int r = std::max(SearchRow, 0) + 1; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c)
            if (Cell(c, r).find(SearchText) != std::string::npos) {
                Row = SearchRow = r;
                Col = c;
                return true;
            }
    return false;
}

} // namespace kt4::shell
