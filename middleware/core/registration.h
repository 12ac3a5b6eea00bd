// What the middleware's parts provide (processes, reactions, read hooks,
// init and shut-down steps, the single hooks) is registered from one list,
// RegisterParts in registration.cpp, each time an instance is made. Nothing
// registers at load time.
//
// Thread rules: host thread only, while the instance is made (or in a test,
// between making an instance and using it).
#pragma once
#include <string>
#include <vector>

#include "core/control_ids.h"

namespace qm3 {

// Runs every part's Register function into the current instance.
void RegisterParts();
// Names the part whose registrations follow (for ListReactions).
void SetRegisteringPart(const char* part);
// What reacts to writes of `id`, in the order the reactions run: one line
// per reaction, "<stage>: <part>". Empty when nothing reacts (a write of an
// alias then runs its target's reactions).
std::vector<std::string> ListReactions(ControlId id);

}  // namespace qm3
