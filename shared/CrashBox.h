// CrashBox.h - the GUI tools' crash report, told in a message box.
#pragma once

// Installs the crash report of the program (its name as the box's caption and the reports').
void InstallCrashBox(const char *pszProgram);
