// The two commands whose whole job is to talk to the user: "alert" (a notice, or a Yes/No
// question whose answer decides whether the run is to be aborted) and "abort" (ends the run,
// optionally after a notice).
#pragma once

#include "setup/engine/CommandParameters.h"
#include "setup/engine/CommandTable.h"
#include "setup/session/SetupState.h"

namespace setup {

// "alert": unless "if-registry-check" is "yes" and the line's registry check is false, shows
// the line's title and message ("message-id-title"/"title", "message-id-message"/"message").
// With "yes-no-set-abort-on-yes" or "yes-no-set-abort-on-no" "yes" the box is a Yes/No
// question (No by default) and the answer assigns state.abortRequested: the flag of the
// answer given, so an answer can also clear an earlier request. Otherwise it is an OK box
// with the line's "icon". Never stops the run; the line's result is "success".
void RunCommandAlert(CommandParameters& line, SetupState& state);

// "abort": true when the run is to stop here, that is when state.abortRequested is already
// set, "force" is "yes", or "if-registry-check" is "yes" and the line's registry check is
// true, or when `forced` (an elevated instance decided it). Stopping shows the line's message
// (when it is not empty) in an OK box with its title and "icon", and removes this program's
// RunOnce value so that a pending restart does not resume the setup. Does not change
// state.abortRequested. The line's result is "success".
bool RunCommandAbort(CommandParameters& line, SetupState& state, bool forced = false);

// The family's rows of the dispatch table: "alert", "abort".
CommandRows PromptCommandRows();

}  // namespace setup
