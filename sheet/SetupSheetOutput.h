#pragma once

#include <ostream>
#include <string>

struct SetupSheet;

// Where the PDF of a setup sheet goes: the file path, or standardOutput for "-". The file is
// opened when the output is made, so that a path that cannot be written fails before anything
// is drawn or read from an instrument; a file made for a sheet never written is removed again.
class SetupSheetOutput {
public:
    // Throws FileError when path cannot be opened for writing.
    SetupSheetOutput(std::string path, std::ostream& standardOutput);
    ~SetupSheetOutput();
    SetupSheetOutput(const SetupSheetOutput&) = delete;
    SetupSheetOutput& operator=(const SetupSheetOutput&) = delete;

    // Draws the sheet and writes its PDF in place of what the file held. Throws FileError when
    // the writing fails.
    void write(const SetupSheet& sheet);

private:
    std::string path;
    std::ostream& standardOutput;
    int fd = -1;
    bool created = false;
};
