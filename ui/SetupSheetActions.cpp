#include "ui/SetupSheetActions.h"

#include "config/ModuleCatalogue.h"
#include "setup/Failure.h"
#include "setup/FileError.h"
#include "setup/SetupFile.h"
#include "sheet/SetupSheet.h"
#include "sheet/SetupSheetLayout.h"
#include "sheet/SetupSheetOutput.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <iostream>

SetupSheetActions::SetupSheetActions(MainWindow& window)
    : QObject(&window)
    , window(window)
    , print(new QAction(tr("&Print Setup Sheet..."), this))
    , exportPdf(new QAction(tr("&Export Setup Sheet as PDF..."), this)) {
    print->setShortcut(QKeySequence::Print);
    connect(print, &QAction::triggered, this, &SetupSheetActions::showPreview);
    connect(exportPdf, &QAction::triggered, this, &SetupSheetActions::exportSheet);
    // Ctrl+P works wherever the focus is in the window, not only from its context menu.
    window.addAction(print);
}

namespace {

// Whether the setup file at path holds setup: every setting and lead as a load of it into the
// defaults takes them. A setup saved into the instrument after the file was loaded, or a file
// changed since, is not the file's.
bool fileHolds(const std::string& path, const SetupRecord& setup) {
    if (path.empty())
        return false;
    SetupRecord held;
    try {
        readSetupFile(held, path);
    } catch (const Failure&) {
        return false;
    }
    held.normalizeCodes();
    return held == setup;
}

} // namespace

SetupSheet SetupSheetActions::currentSheet() {
    // Edits made since the setup was last loaded or saved are in no file and no instrument.
    const SetupRecord& setup = window.setup();
    SetupSheet sheet = window.setupChanged() ? unsavedSetupSheetOf(setup)
                       : fileHolds(window.setupFilePath(), setup)
                           ? setupSheetOf(setup, window.setupFilePath())
                           : setupSheetOf(setup, "-");
    const DeviceInfo& info = window.deviceInfo();
    if (window.instrumentSession().connected())
        sheet.instrument = SheetInstrument{info.serialText, info.firmwareText};
    if (info.moduleType != 0)
        sheet.module =
            ModuleCatalogue(window.programSettings().dataFolder()).lookup(info.moduleType);
    return sheet;
}

void SetupSheetActions::printSheet(QPrinter& printer) {
    const SetupSheet sheet = currentSheet();
    // Qt's Print to File offers the document's name as the file's.
    printer.setDocName(setupSheetFileName(sheet));
    drawSetupSheet(sheet, printer);
}

void SetupSheetActions::showPreview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(localePaperSize());
    QPrintPreviewDialog preview(&printer, &window);
    preview.setWindowTitle(tr("Print Setup Sheet"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { printSheet(*target); });
    preview.exec();
}

void SetupSheetActions::exportSheet() {
    const SetupSheet sheet = currentSheet();
    const QFileInfo setupFile(QFile::decodeName(window.setupFilePath().c_str()));
    QFileDialog dialog(&window, tr("Export Setup Sheet as PDF"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({tr("PDF Files (*.pdf)"), tr("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (!window.setupFilePath().empty())
        dialog.setDirectory(setupFile.absolutePath());
    dialog.selectFile(setupSheetFileName(sheet));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::string path = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
    try {
        SetupSheetOutput(path, std::cout).write(sheet);
    } catch (const FileError& error) {
        showFileError(&window, error);
    }
}

#include "moc_SetupSheetActions.cpp"
