#include "CCalvaneDlg.h"

#include "AboutDialog.h"
#include "DeviceInfoGroup.h"
#include "Help.h"
#include "LeadGrid.h"
#include "ModuleCatalogue.h"
#include "OptionGroups.h"

#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QPushButton* pushButton(const char* text, const char* name) {
    auto* button = new QPushButton(QString::fromLatin1(text));
    button->setObjectName(name);
    return button;
}

QGroupBox* buttonGroup(QWidget* parent, const char* title, QPushButton* first,
                       QPushButton* second) {
    auto* box = new QGroupBox(QString::fromLatin1(title), parent);
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

CCalvaneDlg::CCalvaneDlg(QWidget* parent)
    : QDialog(parent)
    , link([this](int comNumber) { return settings.commDevice(comNumber); })
    , poll(link, info, state, *this) {
    setWindowTitle(QStringLiteral("Mirafen for Zentiq "));
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    // The module list comes from a catalogue that may lie in the data folder.
    settings.establishDataFolder();
    record.resetToDefaults();
    setLayout(buildLayout());
    initialiseControls();

    pollTimer.setInterval(kPollPeriodMs);
    pumpTimer.setInterval(kPumpPeriodMs);
    pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&pollTimer, &QTimer::timeout, this, &CCalvaneDlg::pollTimerTick);
    connect(&pumpTimer, &QTimer::timeout, this, &CCalvaneDlg::pumpTimerTick);

    new QShortcut(QKeySequence(Qt::Key_F1), this, &showHelp);
}

CCalvaneDlg::~CCalvaneDlg() {
    // Hiding moves the focus out of the window, and the edits commit into the members on the
    // way; the base class would hide only after the members are gone.
    hide();
}

QLayout* CCalvaneDlg::buildLayout() {
    grid = new LeadGrid(this, record, info);
    options = new OptionGroups(this, record);
    devicePanel = new DeviceInfoGroup(this, info);
    connect(devicePanel, &DeviceInfoGroup::moduleChosen, this,
            [this](int code) { SelectModuleType(code); });
    connect(devicePanel, &DeviceInfoGroup::connectionSetupClicked, this,
            &CCalvaneDlg::ConnectionSetup);

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

QWidget* CCalvaneDlg::buildInstrumentGroup() {
    deviceLoadButton = pushButton("&Load From", "deviceLoadButton");
    deviceSaveButton = pushButton("&Save To", "deviceSaveButton");
    connect(deviceLoadButton, &QPushButton::clicked, this, &CCalvaneDlg::LoadFromDevice);
    connect(deviceSaveButton, &QPushButton::clicked, this, &CCalvaneDlg::SaveToDevice);
    return buttonGroup(this, "Zentiq", deviceLoadButton, deviceSaveButton);
}

QWidget* CCalvaneDlg::buildFileGroup() {
    auto* load = pushButton("Load &From", "fileLoadButton");
    auto* save = pushButton("Save &To", "fileSaveButton");
    connect(load, &QPushButton::clicked, this, &CCalvaneDlg::LoadFromFile);
    connect(save, &QPushButton::clicked, this, &CCalvaneDlg::SaveToFile);
    return buttonGroup(this, "File", load, save);
}

QLayout* CCalvaneDlg::buildBottomRow() {
    auto* about = pushButton("&About", "aboutButton");
    auto* close = pushButton("&Close", "closeButton");
    close->setDefault(true);
    connect(about, &QPushButton::clicked, this, &CCalvaneDlg::showAbout);
    connect(close, &QPushButton::clicked, this, &CCalvaneDlg::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(about);
    row->addStretch(1);
    row->addWidget(close);
    return row;
}

void CCalvaneDlg::initialiseControls() {
    ShowSerialText();
    LabelRows(0);
    devicePanel->fillModuleList(ModuleCatalogue(settings.dataFolder()).modules());
    firstShowDone = false;
}

void CCalvaneDlg::showAbout() {
    AboutDialog(this).exec();
}

void CCalvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Mirafen..."), this, &CCalvaneDlg::showAbout);
    menu.exec(event->globalPos());
}

void CCalvaneDlg::accept() {
    exchangeToMembers();
    if (!hideForProxy())
        QDialog::accept();
}

void CCalvaneDlg::reject() {
    if (!hideForProxy())
        QDialog::reject();
}

bool CCalvaneDlg::hideForProxy() {
    if (!autoProxy_)
        return false;
    // The dialog's own hiding would end its modal run, which has to go on while the proxy holds
    // the program.
    QWidget::setVisible(false);
    return true;
}

void CCalvaneDlg::exchangeToMembers() {
    devicePanel->takeSerialText();
}

void CCalvaneDlg::exchangeToControls() {
    devicePanel->ShowSerialText();
}

void CCalvaneDlg::SavePage() {
    exchangeToMembers();
    grid->SavePage();
}

void CCalvaneDlg::RestorePage() {
    grid->RestorePage();
    exchangeToControls();
}

void CCalvaneDlg::UpdateAllNone() {
    grid->UpdateAllNone();
}

void CCalvaneDlg::RebuildTabs() {
    grid->RebuildTabs();
}

void CCalvaneDlg::LabelRows(int page) {
    grid->LabelRows(page);
}

void CCalvaneDlg::ShowRows() {
    grid->ShowRows();
}

void CCalvaneDlg::RebuildGrid() {
    grid->RebuildGrid();
}

void CCalvaneDlg::ClearLeads() {
    grid->ClearLeads();
}

void CCalvaneDlg::SetOptionRadios(bool check) {
    options->SetOptionRadios(check);
}

void CCalvaneDlg::ShowGoodLimit(bool moveSpin) {
    options->ShowGoodLimit(moveSpin);
}

void CCalvaneDlg::ShowPoorLimit(bool moveSpin) {
    options->ShowPoorLimit(moveSpin);
}

void CCalvaneDlg::ShowShutOffTime(bool moveSpin) {
    options->ShowShutOffTime(moveSpin);
}

void CCalvaneDlg::ShowLoadedSetup() {
    RestorePage();
    ShowGoodLimit(true);
    ShowPoorLimit(true);
    ShowShutOffTime(true);
    SetOptionRadios(true);
    exchangeToControls();
}
