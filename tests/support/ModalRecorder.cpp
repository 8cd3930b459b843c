#include "support/ModalRecorder.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

ModalRecorder::ModalRecorder() {
    QApplication::instance()->installEventFilter(&watch);
}

ModalRecorder::~ModalRecorder() {
    QApplication::instance()->removeEventFilter(&watch);
}

bool ModalRecorder::ShowWatch::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || !window->isModal())
        return false;
    if (event->type() == QEvent::Show)
        recorder.shown(*window);
    else if (event->type() == QEvent::Hide)
        recorder.hidden();
    return false;
}

void ModalRecorder::chooseFile(const QString& path) {
    fileAnswer = [path](QFileDialog& dialog) {
        // Typed as the user would; selecting it would wait for the folder to be listed.
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(path);
        static_cast<QDialog&>(dialog).accept();
    };
}

void ModalRecorder::hidden() {
    // Queued on the watch, which goes with the recorder, so a call left over does not outlive it.
    QMetaObject::invokeMethod(
        &watch,
        [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != lastShown.data() && modal->isVisible())
                shown(*modal);
        },
        Qt::QueuedConnection);
}

void ModalRecorder::shown(QWidget& window) {
    lastShown = &window;
    titles << window.windowTitle();
    // Answered from an event of its own, once the window runs its loop; a window that has gone
    // by then takes its answer with it.
    QPointer<QWidget> modal(&window);
    QMetaObject::invokeMethod(
        &watch,
        [this, modal] {
            if (modal && modal->isVisible())
                act(*modal);
        },
        Qt::QueuedConnection);
}

void ModalRecorder::act(QWidget& modal) {
    if (const auto found = answers.find(modal.windowTitle()); found != answers.end()) {
        found->second(modal);
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        if (box->windowTitle() ==
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()) {
            (yes ? questions : messages) << box->text();
            if (!yes)
                details << box->detailedText();
        }
        if (yes)
            yes->click();
        else
            box->accept();
        return;
    }
    if (auto* files = qobject_cast<QFileDialog*>(&modal)) {
        if (fileAnswer)
            fileAnswer(*files);
        else
            files->reject();
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(&modal))
        dialog->accept();
}
