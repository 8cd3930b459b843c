#include "support/Closings.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

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
