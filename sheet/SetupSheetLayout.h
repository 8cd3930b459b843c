#pragma once

#include <QPageSize>
#include <QString>

struct SetupSheet;
class QPagedPaintDevice;

// The title of the sheet, with its setup file's name: on the page and as the document's name.
QString setupSheetTitle(const SetupSheet& sheet);

// The name a file of the sheet is offered under: the setup file's base name, never a colon.
QString setupSheetFileName(const SetupSheet& sheet);

// The sheet as rich text, laid out once for every paper it goes on.
QString setupSheetHtml(const SetupSheet& sheet);

// Draws the sheet on the device's pages, each headed with the sheet's title and the instrument
// and numbered "Page n of m"; the lead table breaks between rows, with its header row again at
// the top of each page.
void drawSetupSheet(const SetupSheet& sheet, QPagedPaintDevice& device);

// The paper of the user's locale (LC_ALL, LC_PAPER, LANG): Letter where it measures in inches,
// A4 elsewhere.
QPageSize localePaperSize();
