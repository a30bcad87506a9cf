// What the shell tells the services about the plug-in's calls.
#pragma once

namespace orvane {

// While the plug-in initialises, its buffer holds kStartupCapacity characters and its expansions
// are silent. The shell marks the start and end of InitializePlugin.
void SetInitialising(bool initialising);
// Warns about undefined variables that the plug-in's last expansion met, unless a calculation
// has already named them.
void WarnAboutUndefinedVariables();

}  // namespace orvane
