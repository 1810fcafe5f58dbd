#pragma once
// The calculation driver: the logic behind the main window's run controls. It
// advances the state in output intervals of length dt1 up to EndTime, lets the
// step controller adapt the step inside each interval, and after each interval
// refreshes the table and writes the profile, its picture and the history row.

#include "base/real.h"

namespace tessmar {

class TMainForm;

// The "&Calculate" action: runs until the end time, a Break, or a failure at
// the floor step. Returns when the run has stopped.
void Calculate(TMainForm& form);
// "X &Break Calc X": the run stops at its next check.
void BreakCalc(TMainForm& form);

// One pass of the time-step controller: chooses the step towards timeTarget,
// calls TryStep, exchanges the states and advances time on success, halves dt
// on failure and stops the run when a step fails at the floor step. Returns
// the number of accepted steps (0 or 1).
int StepController(TMainForm& form, Real& time, Real& dt, bool linearT, Real timeTarget);

// Exit rules of the run fields.
void dt1Exit(TMainForm& form);
void dtLVExit(TMainForm& form);
void EndTimeExit(TMainForm& form);
void EndTmLVExit(TMainForm& form);
void Edit3Change(TMainForm& form);

// "Trc": asks for the iteration trace file and the spallation trace.
void TraceBitBtnClick(TMainForm& form);
// Closing the main window: true when it may close.
bool FormCloseQuery(TMainForm& form);

}  // namespace tessmar
