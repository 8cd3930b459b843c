#include "ModalAnswer.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

void answerModal(const QString& title, std::function<void(QWidget&)> act,
                 std::chrono::milliseconds limit) {
    auto* poll = new QTimer(QCoreApplication::instance());
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QObject::connect(poll, &QTimer::timeout, [poll, title, act, deadline] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal != nullptr && modal->windowTitle() == title;
        if (!found && std::chrono::steady_clock::now() < deadline)
            return;
        poll->stop();
        poll->deleteLater();
        if (found) {
            act(*modal);
            return;
        }
        ADD_FAILURE() << "no modal window titled \"" << title.toStdString() << "\" came";
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    poll->start(10);
}

void acceptModal(QWidget& window) {
    if (auto* dialog = qobject_cast<QDialog*>(&window))
        dialog->accept();
}

Closing pressButton(const char* objectName) {
    return {objectName, [objectName](QWidget& window) {
                auto* button = window.findChild<QPushButton*>(objectName);
                ASSERT_NE(button, nullptr) << objectName;
                QTest::mouseClick(button, Qt::LeftButton);
            }};
}

std::vector<Closing> closingsWithoutButtons() {
    return {{"Escape",
             [](QWidget& window) {
                 QTest::keyClick(&window, Qt::Key_Escape);
             }},
            {"close box", [](QWidget& window) {
                 window.close();
             }}};
}
