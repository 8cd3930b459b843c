#pragma once

#include <QString>
#include <string>
#include <vector>

class FileError;
struct DiscoveredPort;
class QWidget;

// A modal warning with an OK button, titled with the program file's name without extension.
void showWarning(QWidget* parent, const QString& text, const QString& detail = {});

// What would drop the edits made to the setup.
enum class EditsDroppedBy { Closing, Loading };

// A modal note with an OK button, titled as a warning is.
void showInformation(QWidget* parent, const QString& text, const QString& informativeText);

// Asks whether closing or a load may drop the edits made to the setup; true for Yes.
bool confirmDroppingEdits(QWidget* parent, EditsDroppedBy droppedBy);

// The standard text of a file error, naming the file.
QString fileErrorText(const FileError& error);
void showFileError(QWidget* parent, const FileError& error);

// The detail for a port that would not open (the system's reason and how to gain access, as
// the operations give it), with the serial ports there are.
QString portFailureDetail(const std::string& detail, const std::vector<DiscoveredPort>& ports);
