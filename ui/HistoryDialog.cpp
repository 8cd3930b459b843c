#include "ui/HistoryDialog.h"

#include "config/TransferHistory.h"
#include "setup/Failure.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ranges>

namespace {

// The headings of the record's columns, in its order.
constexpr std::array<const char*, kTransferColumns.size()> kHeadings{
    QT_TRANSLATE_NOOP("HistoryDialog", "Time"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Program"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Action"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Device"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Serial Before"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Serial After"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Module"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Firmware"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Setup File"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Setup SHA-256"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Result"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Detail"),
    QT_TRANSLATE_NOOP("HistoryDialog", "User"),
    QT_TRANSLATE_NOOP("HistoryDialog", "Host"),
};

// The order in which the table shows the columns: what became of each transfer first, so that
// it shows without scrolling, then the instrument, the file, who and where, and the digest.
constexpr std::array kShownOrder{
    &TransferRow::time,         &TransferRow::action,      &TransferRow::result,
    &TransferRow::serialBefore, &TransferRow::serialAfter, &TransferRow::detail,
    &TransferRow::module,       &TransferRow::firmware,    &TransferRow::setupFile,
    &TransferRow::device,       &TransferRow::program,     &TransferRow::user,
    &TransferRow::host,         &TransferRow::setupSha256,
};
static_assert(kShownOrder.size() == kTransferColumns.size());

// A column is at most this many average characters wide; a longer text shows whole in its tip.
constexpr int kWidestColumnCharacters = 32;

int columnOf(std::string TransferRow::*field) {
    return static_cast<int>(std::ranges::find(kTransferColumns, field, &TransferColumn::field) -
                            kTransferColumns.begin());
}

QString badLinesText(const TransferHistory& history, const QString& path) {
    if (history.badLines.empty())
        return {};
    QStringList lines;
    for (const BadHistoryLine& bad : history.badLines)
        lines << QString::number(bad.line);
    return HistoryDialog::tr("Lines of %1 that hold no transfer and are not shown: %2")
        .arg(path, lines.join(", "));
}

QString badLinesDetail(const TransferHistory& history) {
    QStringList reasons;
    for (const BadHistoryLine& bad : history.badLines)
        reasons << HistoryDialog::tr("line %1 %2")
                       .arg(bad.line)
                       .arg(QString::fromStdString(bad.reason));
    return reasons.join('\n');
}

} // namespace

HistoryDialog::HistoryDialog(QWidget* parent, const std::string& historyPath)
    : QDialog(parent)
    , table(new QTableWidget(this)) {
    setWindowTitle(tr("Transfer History"));
    // A record that cannot be read at all shows as an empty table with the reason under it.
    TransferHistory history;
    QString unreadable;
    try {
        history = readTransferHistory(historyPath);
    } catch (const Failure& failure) {
        unreadable = tr("The transfer history could not be read: %1")
                         .arg(QString::fromLocal8Bit(failure.what()));
    }

    table->setObjectName("historyTable");
    table->setColumnCount(static_cast<int>(kTransferColumns.size()));
    QStringList headings;
    for (const char* heading : kHeadings)
        headings << tr(heading);
    table->setHorizontalHeaderLabels(headings);
    table->setRowCount(static_cast<int>(history.rows.size()));
    int row = 0;
    for (const TransferRow& transfer : history.rows | std::views::reverse) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const QString text = QString::fromStdString(
                transfer.*kTransferColumns[static_cast<std::size_t>(column)].field);
            auto* item = new QTableWidgetItem(text);
            item->setToolTip(text);
            table->setItem(row, column, item);
        }
        ++row;
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    QHeaderView* header = table->horizontalHeader();
    for (int shown = 0; shown < static_cast<int>(kShownOrder.size()); ++shown)
        header->moveSection(
            header->visualIndex(columnOf(kShownOrder[static_cast<std::size_t>(shown)])), shown);
    header->setMaximumSectionSize(fontMetrics().averageCharWidth() * kWidestColumnCharacters);
    table->resizeColumnsToContents();

    auto* filter = new QLineEdit(this);
    filter->setObjectName("serialFilter");
    auto* filterLabel = new QLabel(tr("&Serial Number:"), this);
    filterLabel->setBuddy(filter);
    connect(filter, &QLineEdit::textChanged, this, &HistoryDialog::filterBySerial);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter);
    filterRow->addStretch(1);

    auto* badLines = new QLabel(unreadable.isEmpty()
                                    ? badLinesText(history, QFile::decodeName(historyPath.c_str()))
                                    : unreadable,
                                this);
    badLines->setObjectName("badLinesText");
    badLines->setToolTip(badLinesDetail(history));
    badLines->setWordWrap(true);
    badLines->setVisible(!badLines->text().isEmpty());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(table);
    layout->addWidget(badLines);
    layout->addWidget(buttons);
    resize(960, 480);
}

void HistoryDialog::filterBySerial(const QString& serial) {
    const std::array serialColumns{columnOf(&TransferRow::serialBefore),
                                   columnOf(&TransferRow::serialAfter)};
    for (int row = 0; row < table->rowCount(); ++row)
        table->setRowHidden(row, !std::ranges::any_of(serialColumns, [&](int column) {
                                return table->item(row, column)
                                    ->text()
                                    .contains(serial.trimmed(), Qt::CaseInsensitive);
                            }));
}

#include "moc_HistoryDialog.cpp"
