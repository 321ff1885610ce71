#include "controls/core/cell_colors.h"

#include "quotes/indian_number.h"

namespace {

double Number(const RowCells& cells, int column) {
    return ParseListNumber(cells(column));
}

} // namespace

CellColors SignColors(double value) {
    if (value < 0)
        return {colors::kRed, colors::kWhite};
    if (value == 0)
        return {colors::kBlue, colors::kWhite};
    return {colors::kDarkGreen, colors::kWhite};
}

CellColors IndexListCellColors(int column, const RowCells& cells) {
    switch (column) {
    case 1: {
        // Column 8 is the hidden previous price; 0 means there has been no refresh yet.
        const double previous = Number(cells, 8);
        const double price = Number(cells, 1);
        if (previous == 0)
            return {colors::kWhite, colors::kBlack};
        if (price == previous)
            return {colors::kWhite, colors::kBlue};
        if (price < previous)
            return {colors::kWhite, colors::kRed};
        return {colors::kBlack, colors::kGreen};
    }
    case 3:
    case 4:
        return SignColors(Number(cells, 3));
    default:
        return {};
    }
}

CellColors QuoteListCellColors(int column, const RowCells& cells) {
    if (column == 2 || column == 4 || column == 5)
        return SignColors(Number(cells, 4));
    return {};
}

CellColors ProfileListCellColors(int column, const RowCells& cells) {
    if (column == 6 || column == 7)
        return SignColors(Number(cells, 7));
    if (column == 10 || column == 11)
        return SignColors(Number(cells, 10));
    return {};
}

CellColors ToppersListCellColors(int column, const RowCells& cells) {
    if (column == 2 || column == 3)
        return SignColors(Number(cells, 3));
    if (column == 7 || column == 8) {
        const double price = Number(cells, 2);
        const double percent = Number(cells, 3);
        if (Number(cells, 8) >= price && percent < 0)
            return {colors::kBlack, colors::kRed};
        if (Number(cells, 7) <= price && percent > 0)
            return {colors::kBlack, colors::kGreen};
    }
    return {};
}
