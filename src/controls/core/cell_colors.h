#pragma once

#include <functional>
#include <string>

#include "platform/base/colorref.h"

// The colours of one list cell.
struct CellColors {
    COLORREF text = colors::kBlack;
    COLORREF background = colors::kWhite;

    friend bool operator==(const CellColors&, const CellColors&) = default;
};

// The texts of one row, by column; columns the row lacks read as "".
using RowCells = std::function<std::string(int column)>;

// Red text below 0, blue at exactly 0, dark green above 0, always on white.
CellColors SignColors(double value);

// The colour rules of the quote lists: every cell they do not name is black on white.
// Numbers are read back from the cell texts the way every list reader does.
CellColors IndexListCellColors(int column, const RowCells& cells);
CellColors QuoteListCellColors(int column, const RowCells& cells);
CellColors ProfileListCellColors(int column, const RowCells& cells);
CellColors ToppersListCellColors(int column, const RowCells& cells);
