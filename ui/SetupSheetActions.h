#pragma once

#include <QObject>

struct SetupSheet;
class MainWindow;
class QAction;
class QPrinter;

// The setup sheet of the main window's setup, edits included: "Print Setup Sheet..." (Ctrl+P)
// shows it in a preview whose Print button leads to Qt's print dialog; "Export Setup Sheet as
// PDF..." writes it into a PDF file chosen in a file dialog.
class SetupSheetActions : public QObject {
    Q_OBJECT

public:
    explicit SetupSheetActions(MainWindow& window);

    QAction* printAction() const { return print; }
    QAction* exportAction() const { return exportPdf; }

    // The sheet of the window's setup as it is now, what the edits hold taken in first.
    SetupSheet currentSheet();
    // Draws that sheet on printer's pages, named after it: what the preview and its Print draw.
    void printSheet(QPrinter& printer);

private:
    void showPreview();
    void exportSheet();

    MainWindow& window;
    QAction* print;
    QAction* exportPdf;
};
