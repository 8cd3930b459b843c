#pragma once

#include <QObject>
#include <functional>

struct SetupSheet;
class InstrumentLink;
class ProgramSettings;
class QAction;
class QPrinter;
class QWidget;
class SetupDocument;

// The setup sheet of the document's setup, edits included: "Print Setup Sheet..." (Ctrl+P)
// shows it in a preview whose Print button leads to Qt's print dialog; "Export Setup Sheet as
// PDF..." writes it into a PDF file chosen in a file dialog. The actions work in window, whose
// shortcut Ctrl+P is.
class SetupSheetActions : public QObject {
    Q_OBJECT

public:
    // commitEdits takes what the window's edits hold into the document.
    SetupSheetActions(QWidget& window, SetupDocument& document, const InstrumentLink& link,
                      const ProgramSettings& settings, std::function<void()> commitEdits);

    QAction* printAction() const { return print; }
    QAction* exportAction() const { return exportPdf; }

    // The sheet of the document's setup as it is now, what the edits hold taken in first.
    SetupSheet currentSheet();
    // Draws that sheet on printer's pages, named after it: what the preview and its Print draw.
    void printSheet(QPrinter& printer);

private:
    void showPreview();
    void exportSheet();

    QWidget& window;
    SetupDocument& document;
    const InstrumentLink& link;
    const ProgramSettings& settings;
    std::function<void()> commitEdits;
    QAction* print;
    QAction* exportPdf;
};
