// The program's start-up sequence, from process entry to the message loop.
#pragma once

#include <functional>

#include "settings/config.h"

namespace zu {

class MainWindow;

// Every empty service address (list, company, scoring, service site) is
// served by the built-in service, which is started once, the first time it is
// needed; configured addresses stay.
ServiceConfig WithBuiltInService(ServiceConfig config);

// Before the GUI runtime exists: what Qt WebEngine needs from the process.
void PrepareProcess();
// Start-up after the GUI runtime: the process-wide objects, the leftover
// processes ended, the configuration read.
void StartProcess();
// The window-created step: runs once the main window and its controls exist.
// Ends the process when another copy of the program is running.
void WindowCreatedStep(MainWindow& window);
// The window's handlers of the features, connected once the window exists.
void InstallFeatures(MainWindow& window);
// The first-activation step: runs once, the first time the window is active.
void FirstActivationStep(MainWindow& window);

// The whole program. `afterFirstActivation`, when given, runs once the
// first-activation step is over (test drivers and timing use it).
int RunProgram(int argc, char** argv, std::function<void(MainWindow&)> afterFirstActivation = {});

}  // namespace zu
