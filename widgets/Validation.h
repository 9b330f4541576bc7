#pragma once

#include <functional>

class QWidget;

// "Leaving a box validates it": the step attached to a box runs when the focus is about to
// leave it (Tab, Shift+Tab, Enter sent as Tab, a mouse click on another control, a mnemonic).
// When the step sets cancel, the focus stays in the box and the other control gets no focus,
// mouse or key events.
namespace Validation {

using Step = std::function<void(bool &cancel)>;

void attach(QWidget *box, Step step);
void detach(QWidget *box);

// Runs the box's step now (as the "..." button does with the code box); returns false when it
// cancelled. A box without a step accepts.
bool run(QWidget *box);

// True while a step runs; message boxes shown by a step must not trigger another validation.
bool isRunning();

} // namespace Validation
