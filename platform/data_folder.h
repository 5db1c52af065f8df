// Finding the folder that holds data/, so the program runs from any folder.
#pragma once

// Looks for data/ in the working directory, then in the executable's folder
// and each folder above it up to the root, and makes the first folder that
// holds it the working directory, so the program's "data/..." paths reach
// it. An executable in the installed programs' folder (VORN_INSTALL_BINDIR)
// looks only in the installed data folder. Fatal, naming every folder
// tried, when none holds data/.
void enterDataFolder();
