#pragma once
// One time level of the one-dimensional Lagrangian mesh and the algorithm that
// advances it. N cells 0..N-1 lie between nodes 0..N; cell i lies between
// node i (left) and node i+1 (right). x, v and P have N+1 elements (P[N] is the
// ghost holding the external pressure `Pout`), T and E have N.
//
// The class family, each class adding its cell arrays after its parent's:
//   THydrStat      adiabatic hydrodynamics with artificial viscosity
//   TCaldrith      + one-temperature heat conduction
//   TThermState    + electron temperature and the ion/electron energies
//   THydro2T       + ion and electron pressures (two-temperature hydrodynamics)
//   THydro2Telast  + deviatoric stress (elastic-plastic)
//   TNoMet         + conduction electrons per atom (dielectric target)
//
// The five virtual operations keep their order: Resize, VelocityPass,
// CoordinatePass, EnergyPass, Statistics. In a pass the object itself is the
// new iterate, `old` holds the accepted level and `prev` the previous iterate.

#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "base/real.h"

namespace tessmar {

class SimContext;
struct TConvRecord;

enum class SolverClass { HydrStat, Caldrith, ThermState, Hydro2T, Hydro2Telast, NoMet };
std::string_view SolverClassName(SolverClass c);

// b^n - a^n in factored form, so that thin cells far from the axis lose no
// precision: (b-a) * sum_{j<n} b^(n-1-j) a^j; 0 for n = 0.
Real GeomDiff(int n, Real a, Real b);

// A pass whose physics this build does not have yet.
class NotBuiltError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class THydrStat {
 public:
  explicit THydrStat(SimContext& ctx) : ctx_(ctx) {}
  virtual ~THydrStat() = default;
  THydrStat(const THydrStat&) = delete;
  THydrStat& operator=(const THydrStat&) = delete;

  [[nodiscard]] virtual SolverClass Class() const { return SolverClass::HydrStat; }
  [[nodiscard]] SimContext& Ctx() const { return ctx_; }

  // --- The virtual operations, in slot order ---
  // Slot 0: size every array for N cells; nothing happens when N = CellCount.
  virtual void Resize(int N);
  // Slot 1: momentum equation for the node velocities.
  virtual bool VelocityPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0, Real& R,
                            bool notFirst, Real w);
  // Slot 2: new node coordinates.
  virtual bool CoordinatePass(const THydrStat& old, const THydrStat& prev, Real dt, Real& R,
                              bool notFirst, Real w);
  // Slot 3: energy, temperature(s) and pressure of the cells.
  virtual bool EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0,
                          bool linearT, Real& R, bool notFirst, Real w);
  // Slot 4: accumulate the scales of the convergence records from the arrays;
  // reset zeroes MaxScale and SumScale of all five records first.
  virtual void Statistics(bool reset);

  // --- Geometry and mass operations; every reader of the state uses these ---
  [[nodiscard]] int CellCount() const { return LastCell + 1; }
  [[nodiscard]] Real CellVolume(int i) const;
  [[nodiscard]] Real CellMassOf(int i) const;
  [[nodiscard]] Real Density(int i) const;
  [[nodiscard]] Real NodeMassOf(int j) const;
  [[nodiscard]] Real NodeVolume(int j) const;
  [[nodiscard]] Real NodeDensity(int j) const;
  [[nodiscard]] Real HalfVolume(int k) const;
  [[nodiscard]] Real NodePressure(int j) const;
  [[nodiscard]] Real NodeTemperature(int j) const;
  [[nodiscard]] Real CellCentre(int i) const { return (x[i] + x[i + 1]) / 2; }
  [[nodiscard]] Real CellVelocity(int i) const { return (v[i] + v[i + 1]) / 2; }
  [[nodiscard]] Real VelocityJump(int i) const { return v[i + 1] - v[i]; }
  [[nodiscard]] Real SpecVolRate(int i) const;

  // --- Fields ---
  int LastCell = -1;        // N-1
  std::vector<Real> x;      // cm, node coordinates [0..N]
  std::vector<Real> v;      // cm/s, node velocities [0..N]
  std::vector<Real> P;      // GPa, cell pressures [0..N-1], P[N] = Pout
  std::vector<Real> T;      // K, cell temperatures (ion temperature in 2T classes)
  std::vector<Real> E;      // kJ/g, cell specific energies (total in 2T classes)

 protected:
  // Accumulate one value into a record's scales.
  static void Accumulate(TConvRecord& rec, Real value);
  // Size a cell array of a descendant class to N, keeping leading values.
  static void SizeCells(std::vector<Real>& a, int N) { a.resize(static_cast<std::size_t>(N), 0); }

 private:
  SimContext& ctx_;
};

class TCaldrith : public THydrStat {
 public:
  using THydrStat::THydrStat;
  [[nodiscard]] SolverClass Class() const override { return SolverClass::Caldrith; }
  bool EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0, bool linearT,
                  Real& R, bool notFirst, Real w) override;
};

class TThermState : public TCaldrith {
 public:
  using TCaldrith::TCaldrith;
  [[nodiscard]] SolverClass Class() const override { return SolverClass::ThermState; }
  void Resize(int N) override;
  bool EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0, bool linearT,
                  Real& R, bool notFirst, Real w) override;
  void Statistics(bool reset) override;

  std::vector<Real> Te;  // K, electron temperature
  std::vector<Real> Ei;  // kJ/g, ion specific energy
  std::vector<Real> Ee;  // kJ/g, electron specific energy
};

class THydro2T : public TThermState {
 public:
  using TThermState::TThermState;
  [[nodiscard]] SolverClass Class() const override { return SolverClass::Hydro2T; }
  void Resize(int N) override;
  bool EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0, bool linearT,
                  Real& R, bool notFirst, Real w) override;
  void Statistics(bool reset) override;

  bool ElastFlag = false;
  std::vector<Real> Pe;  // GPa, electron pressure
  std::vector<Real> Pi;  // GPa, ion pressure
};

class THydro2Telast : public THydro2T {
 public:
  using THydro2T::THydro2T;
  [[nodiscard]] SolverClass Class() const override { return SolverClass::Hydro2Telast; }
  void Resize(int N) override;
  bool EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0, bool linearT,
                  Real& R, bool notFirst, Real w) override;

  std::vector<Real> Sxx;        // GPa, deviatoric stress
  std::vector<Real> RefStrain;  // stress-free strain measure
};

class TNoMet : public THydro2T {
 public:
  using THydro2T::THydro2T;
  [[nodiscard]] SolverClass Class() const override { return SolverClass::NoMet; }
  void Resize(int N) override;
  bool EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0, bool linearT,
                  Real& R, bool notFirst, Real w) override;

  std::vector<Real> Z;  // conduction electrons per atom
};

// An empty object of the class, sized for N cells.
std::unique_ptr<THydrStat> CreateSolver(SimContext& ctx, SolverClass c, int N);

// For each of State, NewState, IterState: create with the class when empty,
// otherwise resize to N cells (an existing object keeps its class).
void CreateOrResizeAll(SimContext& ctx, SolverClass c, int N);

// Fill HalfVol, CellMass and NodeMass for a target on a uniform initial spacing
// h: k = ShiftDiv cells of the second material (density rhoSecond) at the left
// end when k > 0 or at the right end when k < 0, the main material elsewhere.
// first = 0 builds everything; first > 0 appends cells first..N-1 as a new
// layer of density rhoSecond, keeping the masses of the cells before it.
void BuildMassArrays(SimContext& ctx, int N, int first, int k, Real h, Real rhoMain,
                     Real rhoSecond);

}  // namespace tessmar
