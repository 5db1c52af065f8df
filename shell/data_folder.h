// Finding the folder that holds data/, so the program runs from any folder.
#pragma once

// Looks for data/ in the working directory, then in the executable's folder
// and each folder above it up to the root, and makes the first folder that
// holds it the working directory, so the program's "data/..." paths reach
// it. Fatal, naming every folder tried, when none does.
void enterDataFolder();
