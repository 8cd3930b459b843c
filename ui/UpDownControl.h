#pragma once

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <span>
#include <vector>

class QLineEdit;
class QToolButton;

// Up and down arrows beside an edit (its buddy). A press steps the position at once; held, the
// arrow repeats with a step that grows with the time held. The Up and Down keys do the same while
// the buddy has the focus. The position stays within its range and never wraps.
class UpDownControl : public QWidget {
    Q_OBJECT

public:
    // From `held` of holding on, one step moves the position by `step`.
    struct Acceleration {
        std::chrono::milliseconds held;
        int step;
    };
    using Clock = std::function<std::chrono::milliseconds()>;
    // Asked before every step; returning false refuses it and nothing changes.
    using StepFilter = std::function<bool(int position, int delta)>;

    explicit UpDownControl(QLineEdit& buddy, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    void setRange(int minimum, int maximum);
    // Entries in increasing order of `held`; the first one also covers the start of a hold.
    void setAccelerations(std::span<const Acceleration> table);
    // Moved into the range when outside it.
    void setPosition(int position);
    int position() const { return currentPosition; }
    // The buddy then shows every new position as a whole number, and a step starts from the
    // number the buddy shows.
    void setWritesBuddy(bool writes) { writesBuddy = writes; }
    void setStepFilter(StepFilter filter) { stepFilter = std::move(filter); }
    void setClock(Clock clock) { now = std::move(clock); }
    // Names the arrows for a screen reader: "Increase <subject>", "Decrease <subject>".
    void nameArrowsFor(const QString& subject);

    // One repeat of the arrow being held, as the repeat timer makes it.
    void repeatHeldArrow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pressArrow(int direction);
    void releaseArrow();
    void stepHeld(int direction);
    void step(int delta);
    int stepAfter(std::chrono::milliseconds held) const;

    QLineEdit& buddy;
    QToolButton* upArrow = nullptr;
    QToolButton* downArrow = nullptr;
    QTimer repeatTimer;
    Clock now;
    StepFilter stepFilter;
    std::vector<Acceleration> accelerations{{std::chrono::milliseconds{0}, 1}};
    std::chrono::milliseconds holdStart{0};
    int heldDirection = 0;
    int minimum = 0;
    int maximum = 100;
    int currentPosition = 0;
    bool writesBuddy = false;
};
