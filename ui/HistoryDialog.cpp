#include "ui/HistoryDialog.h"

#include "ui/HistoryModel.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

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

QString badLinesText(const HistoryModel& model, const QString& path) {
    if (!model.unreadable().isEmpty())
        return model.unreadable();
    if (model.badLines().empty())
        return {};
    QStringList lines;
    for (const auto& [line, reason] : model.badLines())
        lines << QString::number(line);
    return HistoryDialog::tr("Lines of %1 that hold no transfer and are not shown: %2")
        .arg(path, lines.join(", "));
}

QString badLinesDetail(const HistoryModel& model) {
    QStringList reasons;
    for (const auto& [line, reason] : model.badLines())
        reasons << HistoryDialog::tr("line %1 %2").arg(line).arg(QString::fromStdString(reason));
    return reasons.join('\n');
}

} // namespace

HistoryDialog::HistoryDialog(QWidget* parent, const std::string& historyPath)
    : QDialog(parent)
    , model(new HistoryModel(this, historyPath))
    , table(new QTableView(this)) {
    setWindowTitle(tr("Transfer History"));
    table->setObjectName("historyTable");
    table->setModel(model);
    model->fetchMore({});
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
    connect(filter, &QLineEdit::textChanged, model, &HistoryModel::filterBySerial);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter);
    filterRow->addStretch(1);

    auto* badLines = new QLabel(this);
    badLines->setObjectName("badLinesText");
    badLines->setWordWrap(true);
    const auto showTrouble = [this, badLines, path = QFile::decodeName(historyPath.c_str())] {
        badLines->setText(badLinesText(*model, path));
        badLines->setToolTip(badLinesDetail(*model));
        badLines->setVisible(!badLines->text().isEmpty());
    };
    showTrouble();
    connect(model, &HistoryModel::troubleFound, this, showTrouble);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(table);
    layout->addWidget(badLines);
    layout->addWidget(buttons);
    resize(960, 480);
}

#include "moc_HistoryDialog.cpp"
