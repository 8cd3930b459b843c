#include "app/DisplayCheck.h"

#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

QtMessageHandler previousHandler = nullptr;

void endWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << noDisplayText();
        std::_Exit(1);
    }
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fputs((qFormatLogMessage(type, context, message) + '\n').toLocal8Bit().constData(),
                   stderr);
}

} // namespace

bool displayMissing(std::span<const std::string> arguments) {
    const bool platformChosen =
        isSet("QT_QPA_PLATFORM") || std::ranges::any_of(arguments, [](const std::string& argument) {
            return argument == "-platform" || argument == "--platform";
        });
    return !platformChosen && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
}

std::string noDisplayText() {
    return "mirafen: the window needs a display and none could be opened (DISPLAY and "
           "WAYLAND_DISPLAY name none, or it does not answer); on a machine without one, run it "
           "on a virtual display: xvfb-run -a mirafen\n";
}

DisplayFailureGuard::DisplayFailureGuard() {
    previousHandler = qInstallMessageHandler(endWithoutDisplay);
}

DisplayFailureGuard::~DisplayFailureGuard() {
    qInstallMessageHandler(previousHandler);
}
