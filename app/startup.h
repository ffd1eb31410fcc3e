#pragma once

class QTranslator;

// Start-up steps shared by main() and the tests that check them.

// The widget style: "plastique" where the toolkit still has it, else its successor "Fusion".
void applyProgramStyle();

// Loads "tolvaren.qm" from the working directory when it is a sound translation in a regular file,
// or else the installed translation for the user's language, and installs it only when it loads.
// Returns whether it was installed.
bool installProgramTranslation(QTranslator &translator);

// Installs one module of the toolkit's own translation ("qtbase", "qtserialport") for the language
// of the program's translation, when the system has it, so that file dialogs, message box buttons
// and the serial port's reasons for a failure speak the same language.
bool installToolkitTranslation(const QTranslator &programTranslation, QTranslator &translator,
                               const char *module = "qtbase");
