#pragma once

class QTranslator;

// Start-up steps shared by main() and the tests that check them.

// The widget style: "plastique" where the toolkit still has it, else its successor "Fusion".
void applyProgramStyle();

// Loads "tolvaren.qm" (working directory first, then the installed data folder) and installs it
// only when it loads. Returns whether it was installed.
bool installProgramTranslation(QTranslator &translator);
