#pragma once

#include "operations/OperationRunner.h"

#include <QObject>
#include <functional>

class InstrumentLink;
class ProgramSettings;
class QWidget;
class SetupDocument;

// The window's commands on the instrument: Load From, Save To and Compare with Instrument. Each
// runs as an operation on the window's instrument link under the transfer dialog; its rows are
// in the record before its failure is shown, and the poll stays still until then. What the
// instrument then holds goes to the link and the document; a completed load replaces the
// document's setup.
class InstrumentCommands : public QObject {
    Q_OBJECT

public:
    // What the commands need of the window that shows them.
    struct WindowHooks {
        // What the edits hold, into the document.
        std::function<void()> commitEdits;
        // Whether a load may replace the setup: unchanged, or the user lets the edits go.
        std::function<bool()> mayReplaceSetup;
        // Shows the document's setup anew, after a load whatever became of it.
        std::function<void()> showSetup;
    };

    InstrumentCommands(QWidget& window, SetupDocument& document, InstrumentLink& link,
                       const ProgramSettings& settings, WindowHooks hooks);

    void loadFromDevice();
    void saveToDevice();
    // Reads the instrument as a load does, changing nothing in the window, and shows how the
    // window's setup differs from what it holds.
    void compareWithDevice();

private:
    OperationOutcome run(const OperationKind& kind);

    QWidget& window;
    SetupDocument& document;
    InstrumentLink& link;
    const ProgramSettings& settings;
    WindowHooks hooks;
};
