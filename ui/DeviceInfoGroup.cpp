#include "ui/DeviceInfoGroup.h"

#include "device/SerialNumber.h"
#include "operations/InstrumentInfo.h"
#include "ui/EditCommit.h"
#include "ui/Latin1Text.h"
#include "ui/Messages.h"
#include "ui/NamedComboBox.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

QPushButton* pushButton(QWidget* parent, const QString& text, const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

QLabel* captionFor(QWidget* buddy, const QString& text) {
    auto* caption = new QLabel(text, buddy->parentWidget());
    caption->setBuddy(buddy);
    return caption;
}

} // namespace

DeviceInfoGroup::DeviceInfoGroup(QWidget* parent, SetupDocument& document)
    : QGroupBox(tr("Device Information"), parent)
    , info(document.info)
    , moduleList(new NamedComboBox(this))
    , serialEdit(new QLineEdit(this))
    , firmwareLabel(new QLabel(this))
    , instrumentSerial(document.instrumentSerial) {
    setObjectName("deviceGroup");
    moduleList->setObjectName("moduleList");
    moduleList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    moduleList->setMinimumContentsLength(24);
    serialEdit->setObjectName("serialEdit");
    serialEdit->installEventFilter(this);
    firmwareLabel->setObjectName("firmwareText");
    auto* increment = pushButton(this, tr("S/N +1"), "snPlusOneButton");
    auto* connectionSetup = pushButton(this, tr("&Connection Setup"), "connectionSetupButton");

    moduleList->setAccessibleName(tr("Module type"));
    serialEdit->setAccessibleName(tr("Serial number"));
    firmwareLabel->setAccessibleName(tr("Firmware revision"));
    increment->setAccessibleName(tr("Add 1 to the serial number"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(captionFor(moduleList, tr("Module Type :")), 0, 0);
    // The list and the notice take turns in one place, which keeps the window's size; the list
    // stays beside its caption, which names it to a screen reader.
    catalogueNotice = buildCatalogueNotice();
    for (QWidget* turn : {static_cast<QWidget*>(moduleList), catalogueNotice}) {
        QSizePolicy policy = turn->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        turn->setSizePolicy(policy);
        layout->addWidget(turn, 0, 1, 1, 2);
    }
    catalogueNotice->hide();
    layout->addWidget(captionFor(serialEdit, tr("Serial Number :")), 1, 0);
    layout->addWidget(serialEdit, 1, 1);
    layout->addWidget(increment, 1, 2);
    layout->addWidget(captionFor(firmwareLabel, tr("Firmware Rev :")), 2, 0);
    layout->addWidget(firmwareLabel, 2, 1);
    layout->addWidget(connectionSetup, 2, 2);

    connect(moduleList, &QComboBox::activated, this, &DeviceInfoGroup::moduleActivated);
    connect(increment, &QPushButton::clicked, this, &DeviceInfoGroup::incrementSerialNumber);
    connect(connectionSetup, &QPushButton::clicked, this, &DeviceInfoGroup::connectionSetupClicked);
    showNotConnected();
}

QWidget* DeviceInfoGroup::buildCatalogueNotice() {
    auto* notice = new QWidget(this);
    notice->setObjectName("catalogueNotice");
    catalogueNoticeText = new QLabel(notice);
    catalogueNoticeText->setObjectName("catalogueNoticeText");
    exampleButton = pushButton(notice, tr("Copy Example Catalogue"), "exampleCatalogueButton");
    exampleButton->setAccessibleDescription(
        tr("Copies the example module catalogue into the data folder; the instrument's maker "
           "supplies the catalogue of its modules"));
    connect(exampleButton, &QPushButton::clicked, this, &DeviceInfoGroup::exampleCatalogueChosen);
    auto* layout = new QHBoxLayout(notice);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(catalogueNoticeText, 1);
    layout->addWidget(exampleButton);
    return notice;
}

void DeviceInfoGroup::fillModuleList(const std::vector<ModuleCatalogue::Module>& modules,
                                     bool exampleOffered) {
    if (modules != listedModules) {
        listedModules = modules;
        moduleList->clear();
        for (const ModuleCatalogue::Module& module : modules)
            addModule(module);
        const auto current =
            std::ranges::find(modules, info.moduleType, &ModuleCatalogue::Module::code);
        selectModuleEntry(current != modules.end() ? std::optional(*current) : std::nullopt);
    }
    // An empty list leaves nothing to choose and no leads to edit.
    moduleList->setVisible(!modules.empty());
    catalogueNotice->setVisible(modules.empty());
    catalogueNoticeText->setText(exampleOffered ? tr("No module catalogue.")
                                                : tr("No module catalogue: see Help"));
    exampleButton->setVisible(exampleOffered);
}

void DeviceInfoGroup::addModule(const ModuleCatalogue::Module& module) {
    const QString text = QString::fromLatin1(module.listText);
    int position = 0;
    while (position < moduleList->count() &&
           QString::compare(moduleList->itemText(position), text, Qt::CaseInsensitive) <= 0)
        ++position;
    moduleList->insertItem(position, text, module.code);
}

void DeviceInfoGroup::setModule(const std::optional<ModuleCatalogue::Module>& module) {
    info.moduleType = module ? module->code : 0;
    info.leadCount = module ? static_cast<std::uint8_t>(module->leadCount) : 0;
    selectModuleEntry(module);
}

void DeviceInfoGroup::selectModuleEntry(const std::optional<ModuleCatalogue::Module>& module) {
    moduleList->setCurrentIndex(
        module ? moduleList->findText(QString::fromLatin1(module->listText), Qt::MatchFixedString)
               : -1);
}

void DeviceInfoGroup::showInstrument(const DeviceIdentity& identity,
                                     const std::optional<ModuleCatalogue::Module>& module) {
    if (module) {
        info = instrumentInfo(identity, *module);
        selectModuleEntry(module);
    } else {
        info.serialText = identity.serialText;
        info.firmwareText = identity.firmwareText();
    }
    showSerialText();
    setFirmwareText(info.firmwareText);
}

bool DeviceInfoGroup::isAnotherInstrument(const std::string& serialText) const {
    return serialText != instrumentSerial && latin1Text(serialEdit) == instrumentSerial;
}

void DeviceInfoGroup::moduleActivated(int index) {
    if (index >= 0)
        emit moduleChosen(moduleList->itemData(index).toInt());
}

void DeviceInfoGroup::showSerialText() {
    serialEdit->setText(QString::fromLatin1(info.serialText));
}

void DeviceInfoGroup::setSerialText(const std::string& text) {
    info.serialText = text;
    showSerialText();
}

void DeviceInfoGroup::showNotConnected() {
    setSerialText(tr("Not Connected").toLatin1().toStdString());
}

void DeviceInfoGroup::setFirmwareText(const std::string& text) {
    info.firmwareText = text;
    firmwareLabel->setText(QString::fromLatin1(info.firmwareText));
    // A screen reader says the name of a label, not its text.
    firmwareLabel->setAccessibleDescription(firmwareLabel->text());
}

void DeviceInfoGroup::takeSerialText() {
    info.serialText = latin1Text(serialEdit);
}

bool DeviceInfoGroup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == serialEdit && isCommittingFocusOut(event))
        normalizeSerialNumber();
    return QGroupBox::eventFilter(watched, event);
}

void DeviceInfoGroup::normalizeSerialNumber() {
    takeSerialText();
    setSerialText(normalizedSerialText(info.serialText));
}

void DeviceInfoGroup::incrementSerialNumber() {
    takeSerialText();
    if (const std::optional<std::string> next = nextSerialText(info.serialText))
        setSerialText(*next);
    else
        showWarning(
            this, tr(SerialNumbersRunOut::kTextPattern).arg(QString::fromLatin1(info.serialText)));
}

#include "moc_DeviceInfoGroup.cpp"
