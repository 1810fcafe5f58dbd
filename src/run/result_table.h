#pragma once
// The result table: one row per mesh cell under a header row of column titles
// and, for a moving mesh, a boundary row. Its cell texts are the program's
// output: the profile writer saves them verbatim and the time histories copy
// them. SetupTable (run/table.h) decides the layout and records the meaning of
// every column in Columns, so that Refresh and Format fill the same layout.

#include <string>
#include <vector>

#include "base/real.h"

namespace tessmar {

// What a column of the result table holds.
enum class TableCol {
  No,   // cell index
  X,    // x[i] / x1 (node)
  Rho,  // cell density
  V,    // v[i] / UnitScale (node)
  P,    // P[i] (Pxx for an elastic state), "-0" rule
  E,    // E[i]
  T,    // T[i] (Ti in two-temperature tables)
  Te,
  Ei,
  Ee,
  Pi,  // Pi[i], "-0" rule
  Pe,
  Z,
  DeltaZ,
  P1T,      // EosP(Ti, rho)
  PeRhoTi,  // ElPe(Ti, rho)
  Ph,
  Sxx,
  Phase,
  Ind,
  Qx,  // conductive heat flux at node i
  Kappa,
  Alpha,
  Dist,  // (xGr0 - cell centre) / x1
};

class TResultTable {
 public:
  [[nodiscard]] int ColCount() const { return cols_; }
  [[nodiscard]] int RowCount() const { return rows_; }
  // Resize to cols x rows; every cell becomes empty.
  void SetSize(int cols, int rows) {
    cols_ = cols;
    rows_ = rows;
    cells_.assign(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows), std::string());
  }
  [[nodiscard]] const std::string& Cell(int c, int r) const { return cells_[Index(c, r)]; }
  [[nodiscard]] std::string& Cell(int c, int r) { return cells_[Index(c, r)]; }

  // Meaning of each column, set by SetupTable (size ColCount()).
  std::vector<TableCol> Columns;
  // The last row is the boundary row (moving mesh).
  bool HasBoundaryRow = false;
  // Column index of a kind, -1 when the layout has none.
  [[nodiscard]] int ColumnOf(TableCol k) const {
    for (std::size_t c = 0; c < Columns.size(); ++c)
      if (Columns[c] == k) return static_cast<int>(c);
    return -1;
  }

 private:
  [[nodiscard]] std::size_t Index(int c, int r) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(cols_) +
           static_cast<std::size_t>(c);
  }
  int cols_ = 0, rows_ = 0;
  std::vector<std::string> cells_;
};

// One layer boundary record read from a profile's side file:
// the layer's number (0 for the glass line), its density, first cell, cell
// count and its boundary positions in units of x1.
struct TReadLayer {
  int Number = 0;
  std::string Model, Material;  // texts of the line ("L1 <model>: <material>")
  Real Rho0 = 0;
  int FirstCell = 0;
  int CellCount = 0;
  Real xFrom = 0, xTo = 0;
};

}  // namespace tessmar
