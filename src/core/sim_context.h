#pragma once
// The simulation context: the one object that owns everything the program
// treats as global state of a simulation: the three solver objects, the
// geometry and mass scalars of the Lagrangian mesh, boundary settings, time and
// step control, artificial viscosity, iteration control and convergence
// records, the model switches and every function slot of the materials.
// Members carry the program's own names. Two contexts are two independent
// simulations; nothing here is static.
//
// Internal units: cm, s, g/cm3, K, kJ/g, GPa; `UnitScale` (cm/s) joins
// mechanics and thermodynamics (1 kJ/g = UnitScale^2 (cm/s)^2).

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/question_port.h"
#include "base/real.h"
#include "base/slot.h"

namespace tessmar {

class THydrStat;

using RealFn = Slot<Real(Real, Real)>;   // (T|E|P, rho) -> value
using BoolFn = Slot<bool(Real, Real)>;   // (T, rho) -> predicate
using IntFn = Slot<int(Real, Real)>;     // (T, rho) -> phase code
using ColorFn = Slot<TColor(Real, Real)>;
using KappaFn = Slot<Real(Real, Real, Real)>;  // (Ti, Te, rho) -> conductivity

// One convergence record of the iterations: the largest change of the previous
// iteration (floored), the scale of the largest value, the sum of squared
// changes of the previous iteration and the tolerance scale of that sum.
struct TConvRecord {
  Real PrevMax = 0;
  Real MaxScale = 0;
  Real PrevSum = 0;
  Real SumScale = 0;
};

// One layer of a layered target: which material, which cells, its initial
// density and the adhesion pressure of its interface.
struct LayerRecord {
  int Material = 0;     // index into Materials
  int FirstCell = 0;
  int CellCount = 0;
  Real Rho0 = 0;        // g/cm3
  Real Padh = 0;        // GPa, the PadhEdit value
};

// Snapshot of a complete material configuration, restored by SelectMaterial:
// the electron page, the EOS model and material, the electron and ion slot
// functions, the NoElEOS option, the shear modulus and the electron constants.
struct MaterialRecord {
  int ElPage = 0;
  int EOSType = -1;
  int EOSMaterial = 0;
  bool NoElEOS = false;
  std::function<Real(Real, Real)> ElEe, MatEe, ElPe, MatPe, ElCe, MatCe, ElAlpha, IonKappa;
  std::function<Real(Real, Real, Real)> ElKappa;
  bool SpallOn = false;
  Real ShearG = 0;      // GPa, 0 without the elastic model
  Real ElAlphaRho = 0;
  Real ElRho0 = 0;
  Real ElRhoMd = 0;
  Real TeC = 0;         // K
  Real VeC = 0;         // cm3/g
  std::vector<std::array<Real, 3>> Coefficients;  // tabulated metal page only
};

// Parameters of the ideal gases, shared by the main and the left material.
struct IdealGasParams {
  Real IgGamma1 = 0;  // gamma - 1
  Real AtMass = 0;    // "M atom" (reduced) or molar mass in g/mol
  Real CvConst = 0;   // heat capacity of the reduced ideal gas (also PGlass, Water-a)
  Real RGasM = 0;     // gas constant / molar mass, kJ/g/K
  Real CvGasM = 0;    // RGasM / (gamma - 1)
};

class SimContext {
 public:
  // Questions, messages and sounds go through the port; without one the
  // context answers every question with its safe default and records nothing.
  explicit SimContext(QuestionPort* port = nullptr);
  ~SimContext();
  SimContext(const SimContext&) = delete;
  SimContext& operator=(const SimContext&) = delete;

  [[nodiscard]] QuestionPort& Port() const { return *port_; }
  void SetPort(QuestionPort* port);

  // --- The three solver objects (all of one class at any time) ---
  std::unique_ptr<THydrStat> State;     // accepted level at `Time`
  std::unique_ptr<THydrStat> NewState;  // the new time level during a step
  std::unique_ptr<THydrStat> IterState; // every other iterate of the new level
  // Exchange `State` and `NewState` after an accepted step (references, not data).
  void SwapStates() noexcept { State.swap(NewState); }

  // --- Geometry and mesh ---
  int Dspc = 1;          // 1 plane equal-mass, 0 plane per-cell masses, 2 cylinder, 3 sphere
  int SpaceDim = 1;      // nu = max(Dspc, 1)
  int GeomExp = 0;       // nu - 1
  Real GeomFactor = 1;   // 2^(nu-1)*pi, 1 in plane
  Real L = 0;            // cm, initial total length
  Real h0 = 0;           // cm, initial uniform cell width L/N
  Real rho0 = 0;         // g/cm3, initial density of the main material
  Real rho0l = 0;        // g/cm3, initial density of the second ("left") material
  Real dm = 0;           // g/cm2, cell mass of the equal-mass plane mesh
  int ShiftDiv = 0;      // signed count of cells of the second material
  Real Lx0 = 0;          // cm, reference position of the outer surface
  Real xGr0 = 0;         // cm, reference position of the interface with the second material
  std::vector<Real> NodeMass;  // [0..N]
  std::vector<Real> CellMass;  // [0..N-1]
  std::vector<Real> HalfVol;   // [0..2N+1], halves of the cells of the uniform initial mesh
  // Set Dspc and the scalars that follow from it (SpaceDim, GeomExp, GeomFactor).
  void SetGeometry(int dspc);

  // --- Boundary settings of the mechanics ---
  Real Pout = 0;          // GPa, external pressure on nodes 0 and N; also P[N]
  bool LeftFixed = false;
  bool LeftNonNeg = false;
  bool NoMove = false;
  bool KeepVL = false;
  bool VRightByP = false;
  Real VRightCoef = 0;
  // Fixed temperatures of the heat-conduction boundary closures (fields T0, Tq)
  Real T0Left = 0;
  Real T0Right = 0;

  // --- Time, step and run control ---
  Real Time = 0;          // s, time of State
  Real dtMax = 0;         // s, largest time step
  bool Running = false;
  int IterLimit = 7;      // 7, or 50 at the floor step
  bool AtFloorStep = false;
  int IterCount = 0;

  // --- Artificial viscosity ---
  int ViscType = 0;       // 0 No, 1 Symm, 2 Loc, 3 LimOnly
  Real ViscScale = 0;
  Real ViscDuMin = 0;     // cm/s, most negative velocity jump seen

  // --- Iteration control ---
  TConvRecord ConvV, ConvX, ConvE, ConvT, ConvP;
  Real AutoAcceptR = 0;   // remembered "Yes to all" of the non-convergence question
  Real AutoRejectR = 0;   // remembered "No to all"
  bool TraceIterations = false;
  std::string TraceFile;  // path of the iteration trace; each write opens, appends, closes

  // --- Model switches ---
  bool NoConduct = false;
  bool NoThermo = false;
  bool NoMetal = false;
  bool NegTNoAsk = false;
  Real UnitScale = 1;     // cm/s: 1 for reduced units, 1e5 for physical units
  Real FluxLimit = 1e30L;
  Real ElZ = 0;           // conduction electrons per atom of the cell being evaluated

  // --- EOS slots of the main material (solver level) ---
  RealFn EosE{"EosE"}, EosP{"EosP"}, EosCv{"EosCv"};
  RealFn EosTofE{"EosTofE"}, EosTofP{"EosTofP"}, EosSound{"EosSound"};
  RealFn EosLiqFrac{"EosLiqFrac"}, EosSolFrac{"EosSolFrac"};
  BoolFn EosIsMelted{"EosIsMelted"}, EosIsGas{"EosIsGas"}, EosIsVapour{"EosIsVapour"};
  // --- Model level (before the electron composition; main material) ---
  RealFn ModelE{"ModelE"}, ModelP{"ModelP"}, ModelCv{"ModelCv"};
  RealFn ModelTofE{"ModelTofE"}, ModelTofP{"ModelTofP"}, ModeldPdT{"ModeldPdT"};
  RealFn TotaldPdT{"TotaldPdT"};
  // --- Left material ---
  RealFn EosEl{"EosEl"}, EosPl{"EosPl"}, EosCvl{"EosCvl"};
  // --- Phase ---
  ColorFn PhaseColor{"PhaseColor"}, PhaseColorl{"PhaseColorl"};
  IntFn PhaseCodeFn{"PhaseCodeFn"}, PhaseCodeFnl{"PhaseCodeFnl"};
  // --- Conductivity of the lattice, kW/cm/K ---
  RealFn IonKappa{"IonKappa"}, IonKappal{"IonKappal"};
  // --- Ion part of the two-temperature composition ---
  RealFn IonEi{"IonEi"}, IonPi{"IonPi"}, IonCi{"IonCi"};
  // --- Electron slots (filled by the electron thermal parameters) ---
  RealFn ElEe{"ElEe"}, ElPe{"ElPe"}, ElCe{"ElCe"}, ElDPeDTe{"ElDPeDTe"};
  RealFn ElAlpha{"ElAlpha"};
  KappaFn ElKappa{"ElKappa"};
  // Material-specific parts of the metal pages, combined with the free electrons.
  RealFn MatEe{"MatEe"}, MatPe{"MatPe"}, MatCe{"MatCe"}, MatDPeDTe{"MatDPeDTe"};
  // --- Shared electron parameters, read by the slot functions at call time ---
  Real ElRho0 = 0;        // g/cm3, reference density of the material
  Real ElMAt = 0;         // g, mass of one atom
  Real ElCcl = 0;         // kJ/g/K, classical electron heat capacity
  Real ElRhoMd = 0;       // g/cm3, density below which there are no free electrons
  Real ElAlphaRho = 0;    // alpha/rho0 of the constant coupling
  Real ElKappaConst = 0;  // kW/cm/K, the Constant page's conductivity
  int ElMaterial = 0;     // index of the chosen material in the page's list
  std::string ElMaterialName;
  int ElPage = -1;        // page of the electron dialog last accepted, -1 none

  // --- Layers and materials of a layered target ---
  std::vector<LayerRecord> Layers;
  std::vector<MaterialRecord> Materials;
  Real Padh = 0;          // GPa, adhesion pressure of the current interface (<= 0)
  Real Padh2 = 0;         // 2*Padh
  bool AddQeg = false;    // electron heat flux into the second material
  bool FixTe = false;     // electron temperature held at FixedTe
  Real FixedTe = 0;       // K
  // --- Tension record of the spallation model ---
  std::vector<Real> Tneg; // per cell: time under tension, negative when broken
  Real TnegTime = 0;
  Real TnegStart = 0;

  // --- EOS selection state ---
  int EOSType = -1;       // EqType index of the main material's last accepted selection
  int EOSTypel = -1;      // same for the left material
  int EOSMaterial = 0;    // material index inside the chosen model
  bool TabEOS = false;
  bool TabEOSl = false;
  bool SpallOn = false;
  bool Foam = false;      // spallation option "Foam:": broken cells keep a foam pressure
  Real KappaConst = 0;    // constant of the "&kappa" conductivity option (main material)
  Real KappaConstl = 0;   // same for the left material
  IdealGasParams IdealGas;

  // Scratch space of the work-pressure pass, kept so the passes allocate nothing.
  std::vector<char> ViscZoneScratch, ViscNeighbourScratch;
  std::vector<Real> ViscQScratch;

 private:
  QuestionPort* port_;
  std::unique_ptr<QuestionPort> ownPort_;
};

}  // namespace tessmar
