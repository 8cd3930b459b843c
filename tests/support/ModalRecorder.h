#pragma once

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>

class QFileDialog;
class QWidget;

// Answers every modal window that comes up while it lives and notes, in order, the titles of
// the windows, the texts of the program's own warnings (message boxes titled with its name) and
// of its questions (those asking Yes or No). A window without an answer of its own is accepted; a
// question is answered Yes; a file dialog is rejected.
class ModalRecorder {
public:
    using Answer = std::function<void(QWidget&)>;

    ModalRecorder();

    void answer(const QString& title, Answer act) { answers[title] = std::move(act); }
    // Chooses path in the next file dialogs.
    void chooseFile(const QString& path);

    QStringList titles;
    QStringList messages;
    QStringList questions;
    QStringList details; // of each of the messages, empty when it has none

private:
    void look();
    void act(QWidget& modal);

    QTimer poll;
    QPointer<QWidget> handled;
    std::map<QString, Answer> answers;
    std::function<void(QFileDialog&)> fileAnswer;
};
