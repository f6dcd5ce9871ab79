#pragma once
// What `skerrow --paths` prints: where the program keeps its settings file and saved list, and
// which catalog and help book it found for the language the settings choose, one "name: value"
// line each, for scripts and for users checking an installation.

#include <string>

class CProgramFilesReport {
public:
    // Applies the language of the settings file (as the window does at start) and describes the
    // files the program uses with it.
    static std::string Text();
};
