#include "ui/OptionGroups.h"

#include "setup/LimitText.h"
#include "setup/SetupFields.h"
#include "ui/EditCommit.h"
#include "ui/Latin1Text.h"
#include "ui/UpDownControl.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <array>
#include <chrono>
#include <string_view>

namespace {

using namespace std::chrono_literals;
using Acceleration = UpDownControl::Acceleration;

constexpr std::array kLimitAccelerations{Acceleration{0s, 1}, Acceleration{1s, 10},
                                         Acceleration{4s, 50}};
constexpr std::array kShutOffAccelerations{Acceleration{0s, 10}, Acceleration{1s, 50}};
constexpr int kEditLength = 9;

QString latin1(const std::string& text) {
    return QString::fromLatin1(text);
}

// A text of kSetupFields as the window shows it.
QString windowText(std::string_view text) {
    return OptionGroups::tr(std::string(text).c_str());
}

// The up-downs hold a 16-bit position, so a value from a file beyond it keeps its low 16 bits.
int spinPositionOf(std::int32_t value) {
    return static_cast<std::int16_t>(value);
}

// One button a choice of the option, top to bottom, with the object names given in that order.
void addRadios(QButtonGroup& buttons, QGridLayout* layout, int column, const SetupField& option,
               std::initializer_list<const char*> names) {
    Q_ASSERT(names.size() == option.choices.size());
    int row = 0;
    for (const char* name : names) {
        const SetupChoice& choice = option.choices[static_cast<std::size_t>(row)];
        auto* button = new QRadioButton(windowText(choice.text));
        button->setObjectName(name);
        buttons.addButton(button, choice.code);
        layout->addWidget(button, row++, column);
    }
}

QGroupBox* radioGroup(QWidget* parent, const char* name, QButtonGroup& buttons,
                      const SetupField& option, std::initializer_list<const char*> names) {
    auto* box = new QGroupBox(windowText(option.windowLabel), parent);
    box->setObjectName(name);
    addRadios(buttons, new QGridLayout(box), 0, option, names);
    return box;
}

// The setting's label on two lines, its first word on the first, ending in colon.
QLabel* twoLineLabel(const SetupField& option, const char* colon) {
    QString text = windowText(option.windowLabel);
    text.replace(text.indexOf(' '), 1, '\n');
    return new QLabel(text + colon);
}

} // namespace

OptionGroups::OptionGroups(QWidget* parent, SetupRecord& record)
    : QObject(parent)
    , record(record)
    , frequencyBox(buildFrequencyGroup(parent))
    , shutOffBox(buildShutOffGroup(parent))
    , limitsBox(buildLimitsGroup(parent))
    , failuresBox(buildFailuresGroup(parent))
    , startupBox(buildStartupGroup(parent)) {
    showRecord();
}

void OptionGroups::showRecord() {
    markCodes();
    showLimit(goodLimit, true);
    showLimit(poorLimit, true);
    showShutOffTime(true);
}

QGroupBox* OptionGroups::buildFrequencyGroup(QWidget* parent) {
    constexpr const SetupField& frequency = setupField(&SetupRecord::frequency);
    bindCodes(frequencyButtons, frequency);
    return radioGroup(parent, "frequencyGroup", frequencyButtons, frequency,
                      {"freq10", "freq20", "freq30"});
}

QGroupBox* OptionGroups::buildStartupGroup(QWidget* parent) {
    constexpr const SetupField& startupMode = setupField(&SetupRecord::startupMode);
    bindCodes(startupButtons, startupMode);
    return radioGroup(parent, "startupGroup", startupButtons, startupMode,
                      {"startupAuto", "startupManual", "startupDcOffset", "startupLastUsed"});
}

QGroupBox* OptionGroups::buildFailuresGroup(QWidget* parent) {
    constexpr const SetupField& failureLimit = setupField(&SetupRecord::failureLimit);
    constexpr const SetupField& failureResponse = setupField(&SetupRecord::failureResponse);
    auto* box = new QGroupBox(tr("Failures"), parent);
    box->setObjectName("failuresGroup");
    auto* layout = new QGridLayout(box);
    bindCodes(failureLimitButtons, failureLimit);
    auto* criterion = twoLineLabel(failureLimit, " :");
    layout->addWidget(criterion, 0, 0, 2, 1);
    addRadios(failureLimitButtons, layout, 1, failureLimit, {"failureGood", "failurePoor"});
    criterion->setBuddy(failureLimitButtons.buttons().first());
    bindCodes(failureResponseButtons, failureResponse);
    auto* responses = new QGridLayout;
    auto* upon = twoLineLabel(failureResponse, ":");
    responses->addWidget(upon, 0, 0, 2, 1);
    addRadios(failureResponseButtons, responses, 1, failureResponse,
              {"responseStop", "responseContinue"});
    upon->setBuddy(failureResponseButtons.buttons().first());
    layout->addLayout(responses, 2, 0, 1, 2);
    return box;
}

QGroupBox* OptionGroups::buildShutOffGroup(QWidget* parent) {
    constexpr const SetupField& shutOffTime = setupField(&SetupRecord::shutOffTime);
    auto* box = new QGroupBox(windowText(shutOffTime.windowLabel), parent);
    box->setObjectName("shutOffGroup");
    auto* layout = new QHBoxLayout(box);
    auto* caption = new QLabel(tr("Auto Shut-off in"));
    layout->addWidget(caption);
    shutOffEdit = new QLineEdit;
    shutOffEdit->setObjectName("shutOffEdit");
    shutOffEdit->setAccessibleName(tr("Auto Shut-off in seconds"));
    caption->setBuddy(shutOffEdit);
    shutOffEdit->setMaxLength(kEditLength);
    shutOffEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), shutOffEdit));
    shutOffEdit->installEventFilter(this);
    shutOffSpin = new UpDownControl(*shutOffEdit);
    shutOffSpin->setObjectName("shutOffSpin");
    shutOffSpin->setRange(kShutOffTimeRange.min, kShutOffTimeRange.max);
    shutOffSpin->setAccelerations(kShutOffAccelerations);
    shutOffSpin->setWritesBuddy(true);
    shutOffSpin->nameArrowsFor(tr("Auto Shut-off"));
    auto* editWithSpin = new QHBoxLayout;
    editWithSpin->setSpacing(0);
    editWithSpin->addWidget(shutOffEdit);
    editWithSpin->addWidget(shutOffSpin);
    layout->addLayout(editWithSpin);
    layout->addWidget(new QLabel(windowText(shutOffTime.windowUnit) + '.'));
    return box;
}

QGroupBox* OptionGroups::buildLimitsGroup(QWidget* parent) {
    auto* box = new QGroupBox(tr("Limits"), parent);
    box->setObjectName("limitsGroup");
    auto* layout = new QGridLayout(box);
    goodLimit.field = &SetupRecord::goodLimit;
    poorLimit.field = &SetupRecord::poorLimit;
    int row = 0;
    constexpr const SetupField& good = setupField(&SetupRecord::goodLimit);
    constexpr const SetupField& poor = setupField(&SetupRecord::poorLimit);
    for (auto [controls, limit, name] :
         {std::tuple{&goodLimit, &good, "goodLimit"}, std::tuple{&poorLimit, &poor, "poorLimit"}}) {
        const QString subject = windowText(limit->windowLabel);
        auto* caption = new QLabel(subject + " :");
        layout->addWidget(caption, row, 0);
        layout->addWidget(limitControls(box, *controls, name), row, 1);
        caption->setBuddy(controls->edit);
        controls->edit->setAccessibleName(tr("%1 in kilohms").arg(subject));
        controls->spin->nameArrowsFor(subject);
        layout->addWidget(new QLabel(windowText(limit->windowUnit) + '.'), row, 2);
        ++row;
    }
    return box;
}

QWidget* OptionGroups::limitControls(QWidget* parent, LimitControls& controls, const char* name) {
    auto* holder = new QWidget(parent);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    controls.edit = new QLineEdit(holder);
    controls.edit->setObjectName(QString::fromLatin1(name) + "Edit");
    controls.edit->installEventFilter(this);
    controls.spin = new UpDownControl(*controls.edit, holder);
    controls.spin->setObjectName(QString::fromLatin1(name) + "Spin");
    controls.spin->setRange(kLimitRange.min, kLimitRange.max);
    controls.spin->setAccelerations(kLimitAccelerations);
    controls.spin->setStepFilter([this, controls](int position, int delta) {
        const int stepped = position + delta;
        if (stepped < kLimitRange.min || stepped > kLimitRange.max)
            return false;
        record.*controls.field = stepped;
        controls.edit->setText(latin1(limitDisplayText(stepped)));
        return true;
    });
    layout->addWidget(controls.edit);
    layout->addWidget(controls.spin);
    return holder;
}

void OptionGroups::bindCodes(QButtonGroup& buttons, const SetupField& option) {
    connect(&buttons, &QButtonGroup::idToggled, this, [this, &option](int code, bool checked) {
        if (checked)
            option.store(record, code);
    });
}

void OptionGroups::markCodes() {
    for (auto [buttons, code] : {std::pair{&frequencyButtons, record.frequency},
                                 std::pair{&startupButtons, record.startupMode},
                                 std::pair{&failureResponseButtons, record.failureResponse},
                                 std::pair{&failureLimitButtons, record.failureLimit}}) {
        // An exclusive group keeps its checked button checked; that is lifted for a moment so
        // the mark of a code the record no longer holds can go.
        buttons->setExclusive(false);
        for (QAbstractButton* button : buttons->buttons())
            button->setChecked(false);
        if (QAbstractButton* button = buttons->button(code))
            button->setChecked(true);
        buttons->setExclusive(true);
    }
}

void OptionGroups::showShutOffTime(bool moveSpin) {
    shutOffEdit->setText(latin1(shutOffDisplayText(record.shutOffTime)));
    if (moveSpin)
        shutOffSpin->setPosition(spinPositionOf(record.shutOffTime));
}

void OptionGroups::showLimit(const LimitControls& controls, bool moveSpin) {
    controls.edit->setText(latin1(limitDisplayText(record.*controls.field)));
    if (moveSpin)
        controls.spin->setPosition(spinPositionOf(record.*controls.field));
}

void OptionGroups::commitLimit(const LimitControls& controls) {
    record.*controls.field = limitFromText(latin1Text(controls.edit));
    showLimit(controls, true);
}

void OptionGroups::commitShutOffTime() {
    record.shutOffTime = shutOffTimeFromText(latin1Text(shutOffEdit));
    showShutOffTime(true);
}

bool OptionGroups::eventFilter(QObject* watched, QEvent* event) {
    if (isCommittingFocusOut(event)) {
        if (watched == goodLimit.edit)
            commitLimit(goodLimit);
        else if (watched == poorLimit.edit)
            commitLimit(poorLimit);
        else if (watched == shutOffEdit)
            commitShutOffTime();
    }
    return QObject::eventFilter(watched, event);
}

#include "moc_OptionGroups.cpp"
