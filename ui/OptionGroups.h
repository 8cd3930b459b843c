#pragma once

#include "setup/SetupRecord.h"

#include <QButtonGroup>
#include <QObject>
#include <cstdint>

struct SetupField;
class QGroupBox;
class QLineEdit;
class QWidget;
class UpDownControl;

// The scalar options of the setup: test frequency, start-up mode, failure criterion and response
// as radio groups, the two limits and the shut-off time as edits with up-downs. Every control
// writes straight into the record; the owner places the five group boxes.
class OptionGroups : public QObject {
    Q_OBJECT

public:
    OptionGroups(QWidget* parent, SetupRecord& record);

    QGroupBox* frequencyGroup() const { return frequencyBox; }
    QGroupBox* shutOffGroup() const { return shutOffBox; }
    QGroupBox* limitsGroup() const { return limitsBox; }
    QGroupBox* failuresGroup() const { return failuresBox; }
    QGroupBox* startupGroup() const { return startupBox; }

    // Shows the whole record, after a load replaced it: brings the codes into range and marks
    // their buttons, and shows the limits and the shut-off time with their up-downs.
    void showRecord();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct LimitControls {
        std::int32_t SetupRecord::*field;
        QLineEdit* edit;
        UpDownControl* spin;
    };

    QGroupBox* buildFrequencyGroup(QWidget* parent);
    QGroupBox* buildShutOffGroup(QWidget* parent);
    QGroupBox* buildLimitsGroup(QWidget* parent);
    QGroupBox* buildFailuresGroup(QWidget* parent);
    QGroupBox* buildStartupGroup(QWidget* parent);
    QWidget* limitControls(QWidget* parent, LimitControls& controls, const char* name);
    void bindCodes(QButtonGroup& buttons, const SetupField& option);
    void markCodes();
    void showLimit(const LimitControls& controls, bool moveSpin);
    void showShutOffTime(bool moveSpin);
    void commitLimit(const LimitControls& controls);
    void commitShutOffTime();

    SetupRecord& record;
    QButtonGroup frequencyButtons;
    QButtonGroup startupButtons;
    QButtonGroup failureLimitButtons;
    QButtonGroup failureResponseButtons;
    LimitControls goodLimit{};
    LimitControls poorLimit{};
    QLineEdit* shutOffEdit = nullptr;
    UpDownControl* shutOffSpin = nullptr;
    QGroupBox* frequencyBox;
    QGroupBox* shutOffBox;
    QGroupBox* limitsBox;
    QGroupBox* failuresBox;
    QGroupBox* startupBox;
};
