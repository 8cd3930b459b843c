#include "support/ModalRecorder.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

ModalRecorder::ModalRecorder() {
    QObject::connect(&poll, &QTimer::timeout, [this] { look(); });
    poll.start(5);
}

void ModalRecorder::chooseFile(const QString& path) {
    fileAnswer = [path](QFileDialog& dialog) {
        // Typed as the user would; selecting it would wait for the folder to be listed.
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(path);
        static_cast<QDialog&>(dialog).accept();
    };
}

void ModalRecorder::look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == handled.data())
        return;
    handled = modal;
    titles << modal->windowTitle();
    // Answered from an event of its own, so that a window the answer opens is seen as well.
    QMetaObject::invokeMethod(
        modal, [this, modal] { act(*modal); }, Qt::QueuedConnection);
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
