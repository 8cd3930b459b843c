#include "sheet/SetupSheetPdf.h"

#include "sheet/SetupSheet.h"
#include "sheet/SetupSheetLayout.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <array>
#include <cstdio>
#include <optional>

namespace {

// Qt lays out text only under a QGuiApplication. Where the program has none, one on the
// offscreen platform stands in while the sheet is drawn, whatever platform the environment
// names; its notes about the desktop session it does not use stay off standard error.
class DrawingApplication {
public:
    DrawingApplication() {
        if (QCoreApplication::instance() != nullptr)
            return;
        previousHandler = qInstallMessageHandler(&DrawingApplication::passOnFailures);
        application.emplace(argumentCount, arguments.data());
    }
    ~DrawingApplication() {
        if (!application)
            return;
        application.reset();
        qInstallMessageHandler(previousHandler);
    }
    DrawingApplication(const DrawingApplication&) = delete;
    DrawingApplication& operator=(const DrawingApplication&) = delete;

private:
    static void passOnFailures(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fputs(qPrintable(qFormatLogMessage(type, context, message) + '\n'), stderr);
    }

    static inline std::array<char, 12> name{"mirafen-cli"};
    static inline std::array<char, 10> platformOption{"-platform"};
    static inline std::array<char, 10> platform{"offscreen"};
    std::array<char*, 4> arguments{name.data(), platformOption.data(), platform.data(), nullptr};
    int argumentCount = 3;
    QtMessageHandler previousHandler = nullptr;
    std::optional<QGuiApplication> application;
};

} // namespace

std::string setupSheetPdf(const SetupSheet& sheet) {
    const DrawingApplication drawing;
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(localePaperSize());
        writer.setTitle(setupSheetTitle(sheet));
        writer.setCreator(QStringLiteral("Mirafen " MIRAFEN_VERSION));
        drawSetupSheet(sheet, writer);
    }
    return pdf.toStdString();
}
