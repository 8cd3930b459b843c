#include "ui/Help.h"

#include "ui/Messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

constexpr const char* kMainWindowTopic = "main-window";

// Where the page is looked for, in order.
QStringList helpPagePlaces(const QString& programPath) {
    const QFileInfo program(programPath);
    const QString pageName = program.completeBaseName() + ".html";
    const QString folder = program.absolutePath();
    return {QDir::cleanPath(folder + "/" + pageName),
            QDir::cleanPath(folder + "/../share/mirafen/" + pageName)};
}

QString helpText(const char* text) {
    return QCoreApplication::translate("Help", text);
}

} // namespace

QUrl helpPageUrl(const QString& programPath) {
    for (const QString& candidate : helpPagePlaces(programPath)) {
        if (QFileInfo::exists(candidate)) {
            QUrl url = QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
            url.setFragment(kMainWindowTopic);
            return url;
        }
    }
    return {};
}

void openHelpPage(QWidget* parent, const QString& programPath) {
    const QUrl page = helpPageUrl(programPath);
    if (page.isEmpty()) {
        const QStringList places = helpPagePlaces(programPath);
        showWarning(parent, helpText("The help page %1 was not found.").arg(places.last()),
                    helpText("Looked for:") + "\n    " + places.join("\n    "));
        return;
    }
    if (!QDesktopServices::openUrl(page))
        showWarning(parent, helpText("The help page %1 could not be opened: no program to "
                                     "show web pages was found.")
                                .arg(page.toLocalFile()));
}

void showHelp(QWidget* parent) {
    openHelpPage(parent, QCoreApplication::applicationFilePath());
}
