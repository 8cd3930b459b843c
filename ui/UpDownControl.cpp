#include "ui/UpDownControl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

namespace {

constexpr std::chrono::milliseconds kFirstRepeatDelay{400};
constexpr std::chrono::milliseconds kRepeatInterval{100};

std::chrono::milliseconds steadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

UpDownControl::UpDownControl(QLineEdit& buddy, QWidget* parent)
    : QWidget(parent)
    , buddy(buddy)
    , now(steadyNow) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& [arrow, name, direction] :
         {std::tuple{Qt::UpArrow, "upArrow", 1}, std::tuple{Qt::DownArrow, "downArrow", -1}}) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        // The focus belongs in the buddy, so an edit elsewhere is committed before the step.
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        connect(button, &QToolButton::pressed, this, [this, d = direction] { pressArrow(d); });
        connect(button, &QToolButton::released, this, &UpDownControl::releaseArrow);
        layout->addWidget(button);
        (direction > 0 ? upArrow : downArrow) = button;
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(&repeatTimer, &QTimer::timeout, this, &UpDownControl::repeatHeldArrow);
    buddy.installEventFilter(this);
}

QSize UpDownControl::sizeHint() const {
    // As tall as the buddy beside it, as wide as a scroll bar.
    return {style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this),
            buddy.sizeHint().height()};
}

void UpDownControl::nameArrowsFor(const QString& subject) {
    upArrow->setAccessibleName(tr("Increase %1").arg(subject));
    downArrow->setAccessibleName(tr("Decrease %1").arg(subject));
}

void UpDownControl::setRange(int low, int high) {
    minimum = low;
    maximum = high;
    setPosition(currentPosition);
}

void UpDownControl::setAccelerations(std::span<const Acceleration> table) {
    accelerations.assign(table.begin(), table.end());
}

void UpDownControl::setPosition(int position) {
    currentPosition = std::clamp(position, minimum, maximum);
}

void UpDownControl::repeatHeldArrow() {
    if (heldDirection == 0)
        return;
    repeatTimer.setInterval(kRepeatInterval);
    stepHeld(heldDirection);
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &buddy || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down)
        return false;
    // A key held down repeats by itself; its first press starts the hold.
    if (!key->isAutoRepeat())
        holdStart = now();
    stepHeld(key->key() == Qt::Key_Up ? 1 : -1);
    return true;
}

void UpDownControl::pressArrow(int direction) {
    buddy.setFocus(Qt::MouseFocusReason);
    holdStart = now();
    heldDirection = direction;
    stepHeld(direction);
    repeatTimer.start(kFirstRepeatDelay);
}

void UpDownControl::releaseArrow() {
    repeatTimer.stop();
    heldDirection = 0;
}

void UpDownControl::stepHeld(int direction) {
    step(direction * stepAfter(now() - holdStart));
}

void UpDownControl::step(int delta) {
    if (writesBuddy) {
        bool isNumber = false;
        const int shown = buddy.text().toInt(&isNumber);
        if (isNumber)
            setPosition(shown);
    }
    if (stepFilter && !stepFilter(currentPosition, delta))
        return;
    setPosition(currentPosition + delta);
    if (writesBuddy)
        buddy.setText(QString::number(currentPosition));
}

int UpDownControl::stepAfter(std::chrono::milliseconds held) const {
    int reached = accelerations.empty() ? 1 : accelerations.front().step;
    for (const Acceleration& entry : accelerations)
        if (entry.held <= held)
            reached = entry.step;
    return reached;
}

#include "moc_UpDownControl.cpp"
