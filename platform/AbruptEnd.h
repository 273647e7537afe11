#pragma once

#include <functional>

// A library can end the process with exit() while the program runs (Qt does
// when the display connection breaks at logout). The handler then saves what
// it can and answers true; the process ends at once after it, skipping the
// exit-time clean-up of the libraries, which can hang: the audio sample
// cache waits forever for a loader thread caught half-way. At a normal end
// the handler answers false and the clean-up runs as usual.
void SetAbruptEndHandler(std::function<bool()> handler);

// Puts the handler in front of every exit-time clean-up registered so far;
// call again after loading a library that registers its own, and once all
// the handler uses exists: Qt makes its data on first use, and data made
// after the last arming is destroyed before the handler runs.
void ArmAbruptEnd();
