#include "ui/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

namespace {

constexpr const char* kMainWindowTopic = "main-window";

} // namespace

QUrl helpPageUrl(const QString& programPath) {
    const QFileInfo program(programPath);
    const QString pageName = program.completeBaseName() + ".html";
    const QString folder = program.absolutePath();
    for (const QString& candidate :
         {folder + "/" + pageName, folder + "/../share/mirafen/" + pageName}) {
        if (QFileInfo::exists(candidate)) {
            QUrl url = QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
            url.setFragment(kMainWindowTopic);
            return url;
        }
    }
    return {};
}

void showHelp() {
    const QUrl page = helpPageUrl(QCoreApplication::applicationFilePath());
    if (!page.isEmpty())
        QDesktopServices::openUrl(page);
}
