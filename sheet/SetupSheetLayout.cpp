#include "sheet/SetupSheetLayout.h"

#include "sheet/SetupSheet.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QTextDocument>
#include <initializer_list>
#include <string>
#include <string_view>

namespace {

class SheetText {
    Q_DECLARE_TR_FUNCTIONS(SetupSheet)

public:
    static QString of(std::string_view text) { return tr(std::string(text).c_str()); }
};

// Lead names, serial numbers and firmware are 8-bit text, as the instrument holds them.
QString escapedLatin1(const std::string& text) {
    return QString::fromLatin1(text).toHtmlEscaped();
}

QString row(std::initializer_list<QString> cells) {
    QString html = "<tr>";
    for (const QString& cell : cells)
        html += "<td>" + cell + "</td>";
    return html + "</tr>";
}

QString moduleText(const ModuleCatalogue::Module& module) {
    QString text = QString::number(module.code);
    if (!module.listText.empty())
        text += QString::fromUtf8(" \u2013 ") + escapedLatin1(module.listText);
    return text;
}

QString identityTable(const SetupSheet& sheet) {
    QString rows = row({SheetText::tr("Made"), QString::fromStdString(sheet.madeAt)});
    rows += row({SheetText::tr("Program"), QStringLiteral("Mirafen " MIRAFEN_VERSION)});
    if (sheet.instrument)
        rows += row({SheetText::tr("Instrument serial number"),
                     escapedLatin1(sheet.instrument->serialText)});
    if (sheet.module)
        rows += row({SheetText::tr("Module"), moduleText(*sheet.module)});
    if (sheet.instrument)
        rows += row(
            {SheetText::tr("Firmware revision"), escapedLatin1(sheet.instrument->firmwareText)});
    // The digest on a line of its own, so that it never breaks.
    return "<table cellpadding=2>" + rows + "</table><p>" +
           SheetText::tr("Setup digest (SHA-256):") + "<br><tt>" +
           QString::fromStdString(sheet.digest) + "</tt></p>";
}

QString settingsTable(const SetupSheet& sheet) {
    QString rows;
    for (const SheetSetting& setting : sheetSettings(sheet.setup)) {
        QString value = SheetText::of(setting.value);
        if (!setting.unit.empty())
            value += ' ' + SheetText::of(setting.unit);
        rows += row({SheetText::of(setting.label), value.toHtmlEscaped()});
    }
    return "<h3>" + SheetText::tr("Settings") + "</h3><table cellpadding=2>" + rows + "</table>";
}

// A header row the layout repeats on every page the table reaches.
QString leadTable(const SetupSheet& sheet) {
    const std::vector<int> leads = sheetLeads(sheet);
    QString html = "<h3>" + SheetText::tr("Leads") + "</h3>";
    if (leads.empty())
        return html + "<p>" + SheetText::tr("No lead is named or skipped.") + "</p>";
    html += QString("<table border=1 cellspacing=0 cellpadding=3 width=\"100%\"><thead><tr>"
                    "<th width=\"15%\">%1</th><th width=\"60%\">%2</th><th>%3</th>"
                    "</tr></thead>")
                .arg(SheetText::tr("Lead"), SheetText::tr("Name"), SheetText::tr("Skipped"));
    for (const int lead : leads)
        html += row({QString::number(lead), escapedLatin1(sheet.setup.leadName[lead]),
                     sheet.setup.leadSkip[lead] ? SheetText::tr("yes") : SheetText::tr("no")});
    return html + "</table>";
}

QString signOffTable() {
    QString rows;
    for (const QString& line :
         {SheetText::tr("Set up by"), SheetText::tr("Date"), SheetText::tr("Signature")})
        rows += QString("<tr><td width=\"25%\">%1</td><td></td></tr>").arg(line);
    return "<h3>" + SheetText::tr("Sign-off") +
           "</h3><table border=1 cellspacing=0 cellpadding=10 width=\"100%\">" + rows + "</table>";
}

} // namespace

QString setupSheetTitle(const SetupSheet& sheet) {
    if (sheet.fileName.empty())
        return SheetText::tr("Setup Sheet");
    return SheetText::tr("Setup Sheet: %1").arg(QFile::decodeName(sheet.fileName.c_str()));
}

QString setupSheetHtml(const SetupSheet& sheet) {
    return "<html><body><h1>" + setupSheetTitle(sheet).toHtmlEscaped() + "</h1>" +
           identityTable(sheet) + settingsTable(sheet) + leadTable(sheet) + signOffTable() +
           "</body></html>";
}

void drawSetupSheet(const SetupSheet& sheet, QPagedPaintDevice& device) {
    QTextDocument document;
    // Without ligatures, the words of the sheet are found when its PDF is searched: "Off" is
    // three letters, never a glyph for "ff".
    QFont font = document.defaultFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setHtml(setupSheetHtml(sheet));
    document.print(&device);
}

QPageSize localePaperSize() {
    QByteArray name;
    for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
        name = qgetenv(variable);
        if (!name.isEmpty())
            break;
    }
    const QLocale locale = name.isEmpty() ? QLocale::system() : QLocale(QString::fromLatin1(name));
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                             : QPageSize::A4);
}
