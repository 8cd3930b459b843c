#include "ui/SetupSheetActions.h"

#include "config/ModuleCatalogue.h"
#include "config/ProgramSettings.h"
#include "setup/Failure.h"
#include "setup/FileError.h"
#include "setup/SetupFile.h"
#include "sheet/SetupSheet.h"
#include "sheet/SetupSheetLayout.h"
#include "sheet/SetupSheetOutput.h"
#include "ui/InstrumentLink.h"
#include "ui/Messages.h"
#include "ui/SetupDocument.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <iostream>

SetupSheetActions::SetupSheetActions(QWidget& window, SetupDocument& document,
                                     const InstrumentLink& link, const ProgramSettings& settings,
                                     std::function<void()> commitEdits)
    : QObject(&window)
    , window(window)
    , document(document)
    , link(link)
    , settings(settings)
    , commitEdits(std::move(commitEdits))
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
    commitEdits();
    // Edits made since the setup was last loaded or saved are in no file and no instrument.
    const SetupRecord& setup = document.record;
    SetupSheet sheet = document.changed() ? unsavedSetupSheetOf(setup)
                       : fileHolds(document.fileName, setup)
                           ? setupSheetOf(setup, document.fileName)
                           : setupSheetOf(setup, "-");
    const DeviceInfo& info = document.info;
    if (link.line().session().connected())
        sheet.instrument = SheetInstrument{info.serialText, info.firmwareText};
    if (info.moduleType != 0)
        sheet.module = ModuleCatalogue(settings.dataFolder()).lookup(info.moduleType);
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
    const QFileInfo setupFile(QFile::decodeName(document.fileName.c_str()));
    QFileDialog dialog(&window, tr("Export Setup Sheet as PDF"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({tr("PDF Files (*.pdf)"), tr("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (!document.fileName.empty())
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
