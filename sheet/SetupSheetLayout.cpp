#include "sheet/SetupSheetLayout.h"

#include "sheet/SetupSheet.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
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
QString escapedLatin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).toHtmlEscaped();
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

// The part an instrument keeps, then what it drops, so that the sheet promises no more of a long
// name than the instrument shows.
QString leadNameCell(const std::string& name) {
    const SheetLeadName lead = sheetLeadName(name);
    QString cell = escapedLatin1(lead.kept);
    if (lead.dropped == 1)
        cell += " <i>" + SheetText::tr("(+1 character the instrument drops)") + "</i>";
    else if (lead.dropped > 1)
        cell += " <i>" + SheetText::tr("(+%1 characters the instrument drops)").arg(lead.dropped) +
                "</i>";
    return cell;
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
        html += row({QString::number(lead), leadNameCell(sheet.setup.leadName[lead]),
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

// What the setup is, said before anything else on its sheet.
QString setupNotice(const SetupSheet& sheet) {
    if (!sheet.unsavedChanges)
        return {};
    return "<p><b>" +
           SheetText::tr(
               "Unsaved changes: neither a setup file nor the instrument holds this setup.") +
           "</b></p>";
}

// Space for the running lines above and below the text, in inches.
constexpr qreal kPageMargin = 2 / 2.54;

// Each page is headed with what the setup is and the instrument, and numbered, so that a page
// on its own says which sheet it belongs to and a missing page shows.
void drawRunningLines(QPainter& painter, const SetupSheet& sheet, QRectF area, int page,
                      int pages) {
    const QRectF header(area.left(), area.top() - painter.fontMetrics().height() * 2.0,
                        area.width(), painter.fontMetrics().height() * 1.5);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignBottom, setupSheetTitle(sheet));
    if (sheet.instrument)
        painter.drawText(
            header, Qt::AlignRight | Qt::AlignBottom,
            SheetText::tr("Instrument %1").arg(QString::fromLatin1(sheet.instrument->serialText)));
    painter.drawLine(header.bottomLeft(), header.bottomRight());
    const QRectF footer(area.left(), area.bottom() + painter.fontMetrics().height() * 0.5,
                        area.width(), painter.fontMetrics().height() * 1.5);
    painter.drawText(footer, Qt::AlignRight | Qt::AlignTop,
                     SheetText::tr("Page %1 of %2").arg(page).arg(pages));
}

} // namespace

QString setupSheetTitle(const SetupSheet& sheet) {
    if (sheet.unsavedChanges)
        return SheetText::tr("Setup Sheet: unsaved changes");
    if (sheet.fileName.empty())
        return SheetText::tr("Setup Sheet");
    return SheetText::tr("Setup Sheet: %1").arg(QFile::decodeName(sheet.fileName.c_str()));
}

QString setupSheetFileName(const SetupSheet& sheet) {
    const QString base = QFileInfo(QFile::decodeName(sheet.fileName.c_str())).completeBaseName();
    if (sheet.unsavedChanges || base.isEmpty())
        return sheet.unsavedChanges ? SheetText::tr("setup sheet (unsaved changes).pdf")
                                    : SheetText::tr("setup sheet.pdf");
    return SheetText::tr("%1 setup sheet.pdf").arg(base);
}

QString setupSheetHtml(const SetupSheet& sheet) {
    return "<html><body><h1>" + setupSheetTitle(sheet).toHtmlEscaped() + "</h1>" +
           setupNotice(sheet) + identityTable(sheet) + settingsTable(sheet) + leadTable(sheet) +
           signOffTable() + "</body></html>";
}

void drawSetupSheet(const SetupSheet& sheet, QPagedPaintDevice& device) {
    QTextDocument document;
    // Without ligatures, the words of the sheet are found when its PDF is searched: "Off" is
    // three letters, never a glyph for "ff".
    QFont font = document.defaultFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    // Laid out in the device's own pixels, a page of the document is a page of paper.
    document.documentLayout()->setPaintDevice(&device);
    document.setHtml(setupSheetHtml(sheet));
    // The text's pages are the paper's within the margins, which hold the running lines.
    const qreal margin = kPageMargin * device.logicalDpiY();
    const QRectF area(margin, margin, device.width() - 2 * margin, device.height() - 2 * margin);
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setMargin(0);
    document.rootFrame()->setFrameFormat(frame);
    document.setPageSize(area.size());

    QPainter painter(&device);
    painter.setFont(QFont(font, &device));
    const int pages = document.pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0)
            device.newPage();
        const QRectF view(QPointF(0, index * area.height()), area.size());
        painter.save();
        painter.translate(area.left(), area.top() - view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        drawRunningLines(painter, sheet, area, index + 1, pages);
    }
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
