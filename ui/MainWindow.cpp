#include "ui/MainWindow.h"

#include "config/ExampleCatalogue.h"
#include "config/ModuleCatalogue.h"
#include "config/TransferHistory.h"
#include "device/PortError.h"
#include "setup/FileError.h"
#include "ui/AboutDialog.h"
#include "ui/AttachedInstrument.h"
#include "ui/CatalogueWatch.h"
#include "ui/DepartmentStatus.h"
#include "ui/DeviceInfoGroup.h"
#include "ui/Help.h"
#include "ui/HistoryDialog.h"
#include "ui/InstrumentCommands.h"
#include "ui/LeadGrid.h"
#include "ui/Messages.h"
#include "ui/OptionGroups.h"
#include "ui/SetupSheetActions.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

// The texts of the instrument's and the file's buttons are alike; a screen reader says what
// each does.
QPushButton* pushButton(const QString& text, const char* name, const QString& spokenName = {}) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setAccessibleName(spokenName);
    return button;
}

QGroupBox* buttonGroup(QWidget* parent, const QString& title, QPushButton* first,
                       QPushButton* second) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(first);
    layout->addWidget(second);
    return box;
}

QHBoxLayout* sideBySide(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    return row;
}

} // namespace

MainWindow::MainWindow(QWidget* parent, CommPortDialog::PortLister listPorts,
                       SessionDriver::Clock clock, FrameTrace trace)
    : QDialog(parent)
    , listPorts(listPorts ? std::move(listPorts) : [] { return discoverSerialPorts(); })
    , link(new InstrumentLink(settings, trace, std::move(clock), this)) {
    setWindowTitle(tr("Mirafen for Zentiq "));
    setAccessibleName(tr("Mirafen for Zentiq"));
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    // The module list comes from a catalogue that may lie in the data folder.
    settings.establishDataFolder();
    document.record.resetToDefaults();
    setLayout(buildLayout());
    compareAction = new QAction(tr("&Compare with Instrument..."), this);
    compareAction->setObjectName("compareAction");
    compareAction->setEnabled(false);
    connect(compareAction, &QAction::triggered, instrumentCommands,
            &InstrumentCommands::compareWithDevice);
    attached = new AttachedInstrument(this, document, *devicePanel, *grid, *link, settings,
                                      [this](bool on) {
                                          deviceLoadButton->setEnabled(on);
                                          deviceSaveButton->setEnabled(on);
                                          compareAction->setEnabled(on);
                                      });
    connect(devicePanel, &DeviceInfoGroup::moduleChosen, attached,
            &AttachedInstrument::selectModuleType);
    markSetupUnchanged();
    showModuleCatalogue();
    auto* catalogueWatch =
        new CatalogueWatch(this, ModuleCatalogue(settings.dataFolder()).places());
    connect(catalogueWatch, &CatalogueWatch::changed, this, &MainWindow::showModuleCatalogue);
    connect(link, &InstrumentLink::polled, attached, &AttachedInstrument::showPollOutcome);
    // Said from the window's own loop: the failure comes within the line's event.
    link->connection().onLaterFailure([this](const PortError& error) {
        QMetaObject::invokeMethod(
            this, [this, error] { showPortFailure(error); }, Qt::QueuedConnection);
    });
    connect(&document, &SetupDocument::replaced, this, &MainWindow::showRecord);

    new QShortcut(QKeySequence(Qt::Key_F1), this, [this] { showHelp(this); });
    sheetActions =
        new SetupSheetActions(*this, document, *link, settings, [this] { commitEdits(); });
}

MainWindow::~MainWindow() {
    // Hiding moves the focus out of the window, and the edits commit into the members on the
    // way; the base class would hide only after the members are gone.
    hide();
}

QLayout* MainWindow::buildLayout() {
    grid = new LeadGrid(this, document.record, document.info);
    options = new OptionGroups(this, document.record);
    devicePanel = new DeviceInfoGroup(this, document);
    connect(devicePanel, &DeviceInfoGroup::connectionSetupClicked, this,
            [this] { runPortDialog(false); });
    connect(devicePanel, &DeviceInfoGroup::exampleCatalogueChosen, this,
            &MainWindow::copyExampleCatalogue);

    auto* right = new QVBoxLayout;
    right->addLayout(sideBySide({options->frequencyGroup(), options->shutOffGroup()}));
    right->addLayout(sideBySide({options->limitsGroup(), options->failuresGroup()}));
    right->addWidget(devicePanel);
    right->addLayout(
        sideBySide({options->startupGroup(), buildInstrumentGroup(), buildFileGroup()}));
    right->addStretch(1);
    right->addLayout(buildBottomRow());

    auto* layout = new QHBoxLayout;
    layout->addWidget(grid);
    layout->addLayout(right);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

QWidget* MainWindow::buildInstrumentGroup() {
    deviceLoadButton = pushButton(tr("&Load From"), "deviceLoadButton", tr("Load From Instrument"));
    deviceSaveButton = pushButton(tr("&Save To"), "deviceSaveButton", tr("Save To Instrument"));
    instrumentCommands = new InstrumentCommands(
        *this, document, *link, settings,
        {[this] { commitEdits(); }, [this] { return mayDropSetup(EditsDroppedBy::Loading); },
         [this] {
             showRecord();
         }});
    connect(deviceLoadButton, &QPushButton::clicked, instrumentCommands,
            &InstrumentCommands::loadFromDevice);
    connect(deviceSaveButton, &QPushButton::clicked, instrumentCommands,
            &InstrumentCommands::saveToDevice);
    return buttonGroup(this, tr("Zentiq"), deviceLoadButton, deviceSaveButton);
}

QWidget* MainWindow::buildFileGroup() {
    auto* load = pushButton(tr("Load &From"), "fileLoadButton", tr("Load From File"));
    auto* save = pushButton(tr("Save &To"), "fileSaveButton", tr("Save To File"));
    connect(load, &QPushButton::clicked, this, &MainWindow::loadFromFile);
    connect(save, &QPushButton::clicked, this, &MainWindow::saveToFile);
    return buttonGroup(this, tr("File"), load, save);
}

QLayout* MainWindow::buildBottomRow() {
    auto* about = pushButton(tr("&About"), "aboutButton");
    auto* close = pushButton(tr("&Close"), "closeButton");
    close->setDefault(true);
    connect(about, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(close, &QPushButton::clicked, this, &MainWindow::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(about);
    row->addWidget(new DepartmentStatus(this, settings));
    row->addStretch(1);
    row->addWidget(close);
    return row;
}

std::optional<std::string> MainWindow::exampleCatalogue() {
    return findExampleCatalogue(
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
}

void MainWindow::showModuleCatalogue() {
    const ModuleCatalogue catalogue(settings.dataFolder());
    devicePanel->fillModuleList(catalogue.modules(), exampleCatalogue().has_value());
    attached->catalogueChanged();
}

void MainWindow::copyExampleCatalogue() {
    const std::optional<std::string> example = exampleCatalogue();
    if (!example)
        return;
    try {
        const std::string copy = ::copyExampleCatalogue(*example, settings.dataFolder());
        showModuleCatalogue();
        showInformation(this,
                        tr("The example module catalogue was copied to %1.")
                            .arg(QFile::decodeName(copy.c_str())),
                        tr("Its module types are only an example: put the catalogue from the "
                           "instrument's maker in its place."));
    } catch (const FileError& error) {
        showFileError(this, error);
    }
}

void MainWindow::showAbout() {
    AboutDialog(this).exec();
}

void MainWindow::showHistory() {
    HistoryDialog(this, settings).exec();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(compareAction);
    menu.addAction(tr("Transfer &History..."), this, &MainWindow::showHistory);
    QAction* verify = menu.addAction(tr("&Verify After Saving"));
    verify->setObjectName("verifyAfterSavingAction");
    verify->setCheckable(true);
    verify->setChecked(settings.verifiesSaves());
    connect(verify, &QAction::toggled, this, &MainWindow::setVerifiesSaves);
    menu.addAction(sheetActions->printAction());
    menu.addAction(sheetActions->exportAction());
    menu.addAction(tr("&About Mirafen..."), this, &MainWindow::showAbout);
    menu.exec(event->globalPos());
}

void MainWindow::accept() {
    devicePanel->takeSerialText();
    if (!hideWhileHeld() && mayDropSetup(EditsDroppedBy::Closing))
        QDialog::accept();
}

void MainWindow::reject() {
    if (!hideWhileHeld() && mayDropSetup(EditsDroppedBy::Closing))
        QDialog::reject();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter in an edit reaches the window only when the edit has no use for it; it commits
    // the edit instead of pressing Close.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && qobject_cast<QLineEdit*>(focusWidget())) {
        commitFocusedEdit();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::commitFocusedEdit() {
    QWidget* edit = qobject_cast<QLineEdit*>(focusWidget());
    if (edit == nullptr || !edit->hasFocus())
        return;
    edit->clearFocus();
    edit->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::mayDropSetup(EditsDroppedBy droppedBy) {
    return !setupChanged() || confirmDroppingEdits(this, droppedBy);
}

void MainWindow::markSetupUnchanged() {
    document.markUnchanged();
}

bool MainWindow::setupChanged() {
    commitEdits();
    return document.changed();
}

bool MainWindow::hideWhileHeld() {
    if (QGuiApplication::quitOnLastWindowClosed())
        return false;
    // The dialog's own hiding would end its modal run, which has to go on while the program is
    // held.
    QWidget::setVisible(false);
    return true;
}

void MainWindow::commitEdits() {
    // A command reached by its shortcut leaves the focus in the edit typed into.
    commitFocusedEdit();
    devicePanel->takeSerialText();
    grid->savePage();
}

void MainWindow::showRecord() {
    grid->restorePage();
    options->showRecord();
    devicePanel->setSerialText(document.info.serialText);
    grid->rebuildGrid();
}

bool MainWindow::selectModuleType(int code) {
    return attached->selectModuleType(code);
}

#include "moc_MainWindow.cpp"
