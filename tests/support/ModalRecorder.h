#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>

class QFileDialog;
class QWidget;

// Answers every modal window that comes up while it lives, however briefly (it sees each one's
// show event, not a look now and then), and notes, in order, the titles of
// the windows, the texts of the program's own warnings (message boxes titled with its name) and
// of its questions (those asking Yes or No). A window without an answer of its own is accepted; a
// question is answered Yes; a file dialog is rejected.
class ModalRecorder {
public:
    using Answer = std::function<void(QWidget&)>;

    ModalRecorder();
    ~ModalRecorder();
    ModalRecorder(const ModalRecorder&) = delete;
    ModalRecorder& operator=(const ModalRecorder&) = delete;

    void answer(const QString& title, Answer act) { answers[title] = std::move(act); }
    // Chooses path in the next file dialogs.
    void chooseFile(const QString& path);

    QStringList titles;
    QStringList messages;
    QStringList questions;
    QStringList details; // of each of the messages, empty when it has none

private:
    // Sees every window shown in the application.
    class ShowWatch : public QObject {
    public:
        explicit ShowWatch(ModalRecorder& recorder)
            : recorder(recorder) {}
        bool eventFilter(QObject* watched, QEvent* event) override;

    private:
        ModalRecorder& recorder;
    };

    void shown(QWidget& window);
    // A modal window went: the one beneath it, if any, is modal again and may want an answer
    // again (a file dialog that stayed after its warning).
    void hidden();
    void act(QWidget& modal);

    ShowWatch watch{*this};
    QPointer<QWidget> lastShown;
    std::map<QString, Answer> answers;
    std::function<void(QFileDialog&)> fileAnswer;
};
