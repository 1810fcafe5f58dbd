#pragma once
// The result files of the main window: the profile data file
// (".DAT") with its side file (".TXT") and "Tneg.dat", the save options'
// directory choice, the interactive Save and LoadFile, and the reader that
// loads a profile back into the simulation state.
//
// Files are 8-bit text with CR LF line ends. Whole files are written to a
// temporary name in the same directory and renamed into place only when every
// file of the operation was written completely; a failure reports
// "Cannot write file <name>" (plus the system's reason) through the port and
// leaves what was on disk untouched.
//
// Platform deviations (deliberate):
//  - Directory separator: Dir and LastReadDir end in "/" (names are built by
//    appending); a Dir already ending in "/", "\" or ":" is kept as it is.
//  - The side file is looked up as base + ".TXT" and, when that does not
//    exist, as base + ".txt" (Linux file names are case-sensitive).
//  - "Tneg.dat" goes to the save directory Dir, or to the directory of the
//    data file when Dir is empty.
//
// What ReadProfile leaves behind (the contract with Init/Shift):
//  - State (created with CreateOrResizeAll when there was none, after the
//    solver-choice questions; otherwise the existing class, resized) has as
//    many cells N as data rows were read. Its arrays hold the table values:
//    x in units of x1 (`x1Edit`) and v in units of UnitScale ("table units"),
//    P, T, E (and Te, Ei, Ee, Pi, Pe, Z, Sxx of the richer classes) in
//    internal units; P[N] = Pout. A fixed-mesh table sets v = P = 0 and
//    extrapolates x[N] from the last spacing.
//  - Scalars: Dspc (SetGeometry), L, h0, rho0, rho0l, dm, ShiftDiv, Lx0, xGr0
//    (SetReferencePositions), Pout, NoMove, NoMetal; the main window's Len,
//    x1Edit, Dimension, Rho0, Pout, X0Shift, TwoTemperature, Elastic,
//    LastReadDir, MainThickness, ReadLayers, ReadRho; Integr.Ipdt.
//  - The initial-state dialog (f.Init, when set): x1Edit, Len, Dimension,
//    Rho0, Pout, rho0l (and Rho0div after a "/k" glass divisor),
//    FileHadEnergy, FileHadTemp, FileLayerCount, FileLastLayerFirst,
//    FromFile := true, NewInit := false.
//  - Then f.InitShiftAfterLoad() runs (Init/Shift with the load as its cause)
//    and its result is the reader's result. When the hook is empty, the
//    reader itself converts x *= x1Edit and v *= UnitScale, builds the mass
//    arrays (BuildMassArrays), clears FromFile, and sets up and refreshes the
//    table.

#include <string>
#include <utility>
#include <vector>

#include "base/real.h"

namespace tessmar {

class TMainForm;
class QuestionPort;

// "Long real": 23 characters, a blank or "-", one digit, ".", 14 digits, "E",
// the exponent's sign and four exponent digits (15 significant digits,
// rounded half away from zero from the exact value): 2.7 -> " 2.70000000000000E+0000".
std::string LongReal(Real v);

// Text of every file, as written (CR LF line ends).
std::string DataFileText(const TMainForm& f);
std::string SideFileText(const TMainForm& f);
std::string TnegFileText(const TMainForm& f);

// Write whole files: each to a temporary name in its directory, then all are
// renamed into place. On failure nothing is replaced, the temporaries are
// removed, "Cannot write file <name>" (with the reason) goes to the port and
// false is returned.
bool WriteFilesAtomic(QuestionPort& port,
                      const std::vector<std::pair<std::string, std::string>>& files);

// The save options' dialog with a suggested directory (may be empty); true on OK.
bool ChooseSaveOptions(TMainForm& f, const std::string& suggestion);

// WriteProfile(name, ask): the data file, its side file and "Tneg.dat" (when
// the context holds a tension record). With ask the save dialog is shown
// first (Cancel: false). False also when a file could not be written.
bool WriteProfile(TMainForm& f, const std::string& name, bool ask);

// ReadProfile(name, quiet): see the contract above. False when the file was
// refused (the message went through the port unless quiet allows silence).
bool ReadProfile(TMainForm& f, const std::string& name, bool quiet);

// The "&Save" button.
void Save(TMainForm& f);
// The "LoadFile" button; true when a profile was loaded.
bool LoadFile(TMainForm& f);

// Name without its extension ("a/b.DAT" -> "a/b"); directory of a name with
// its trailing separator ("a/b.DAT" -> "a/", "b.DAT" -> "").
std::string StripExtension(const std::string& name);
std::string DirectoryOf(const std::string& name);

}  // namespace tessmar
