#pragma once
// Init/Shift: the main window hands its mesh fields to the initial-state
// dialog, the dialog builds a new target (or re-evaluates a loaded one), and
// the main window takes back the mesh fields and the model flags and rebuilds
// the result table and the energy reference.

#include "setup/init_dialog.h"

namespace tessmar {

class TMainForm;

enum class InitCause { kInit, kLoadFile };

// Step 1: fill the dialog from the main window and set its mode flags.
void InitShiftBegin(TMainForm& form, TInitional& init, InitCause cause);
// The dialog's OK and everything after it: model flags, mesh fields back to
// the main window, reference positions, energy reference, table. Returns the
// dialog's result; anything but kAccepted/kAll leaves the main window as it was.
BuildResult InitShiftFinish(TMainForm& form, TInitional& init);
// Both, without showing anything (the reader's Init/Shift after a load).
bool InitShift(TMainForm& form, TInitional& init, InitCause cause);

// Reference positions of the outer surface (Lx0) and of the interface with
// the second material (xGr0) from ShiftDiv.
void SetReferencePositions(SimContext& ctx, Real rho0lField, Real rho0lEos);

}  // namespace tessmar
