#include "core/sim_context.h"

#include "core/hydr_stat.h"

namespace tessmar {

SimContext::SimContext(QuestionPort* port) { SetPort(port); }

SimContext::~SimContext() = default;

void SimContext::SetPort(QuestionPort* port) {
  if (port) {
    port_ = port;
    return;
  }
  if (!ownPort_) ownPort_ = std::make_unique<ScriptedQuestionPort>();
  port_ = ownPort_.get();
}

void SimContext::SetGeometry(int dspc) {
  Dspc = dspc;
  SpaceDim = dspc > 1 ? dspc : 1;
  GeomExp = SpaceDim - 1;
  GeomFactor = SpaceDim == 1 ? 1 : (SpaceDim == 2 ? 2 * kPi : 4 * kPi);
}

}  // namespace tessmar
