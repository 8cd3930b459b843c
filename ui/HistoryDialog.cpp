#include "ui/HistoryDialog.h"

#include "config/TransferHistory.h"
#include "ui/HistoryModel.h"

#include <QComboBox>
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

HistoryDialog::HistoryDialog(QWidget* parent, const ProgramSettings& settings)
    : QDialog(parent)
    , historyPath(QFile::decodeName(transferHistoryPath(settings).c_str()))
    , local(new HistoryModel(this, transferHistoryPath(settings)))
    , table(new QTableView(this))
    , filter(new QLineEdit(this))
    , badLines(new QLabel(this)) {
    setWindowTitle(tr("Transfer History"));
    table->setObjectName("historyTable");
    // A screen reader names the table; its rows are the ones the filter lets through.
    table->setAccessibleName(tr("Transfers"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setMaximumSectionSize(fontMetrics().averageCharWidth() *
                                                     kWidestColumnCharacters);

    filter->setObjectName("serialFilter");
    auto* filterLabel = new QLabel(tr("&Serial Number:"), this);
    filterLabel->setBuddy(filter);
    connect(filter, &QLineEdit::textChanged, this,
            [this](const QString& serial) { model->filterBySerial(serial); });
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter);
    filterRow->addStretch(1);
    if (const auto record = settings.departmentRecord()) {
        department = new HistoryModel(this, HistoryModel::Department{*record});
        auto* choice = new QComboBox(this);
        choice->setObjectName("recordChoice");
        choice->addItems({tr("This Computer"), tr("Department")});
        auto* choiceLabel = new QLabel(tr("&Record:"), this);
        choiceLabel->setBuddy(choice);
        connect(choice, &QComboBox::currentIndexChanged, this,
                [this](int index) { showRecord(index == 0 ? local : department); });
        filterRow->addWidget(choiceLabel);
        filterRow->addWidget(choice);
    }

    badLines->setObjectName("badLinesText");
    badLines->setWordWrap(true);
    showRecord(local);
    for (HistoryModel* each : {local, department})
        if (each != nullptr)
            connect(each, &HistoryModel::troubleFound, this, &HistoryDialog::showTrouble);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(table);
    layout->addWidget(badLines);
    layout->addWidget(buttons);
    resize(960, 480);
}

void HistoryDialog::showRecord(HistoryModel* shown) {
    model = shown;
    table->setModel(model);
    model->filterBySerial(filter->text());
    QHeaderView* header = table->horizontalHeader();
    for (int column = 0; column < static_cast<int>(kShownOrder.size()); ++column)
        header->moveSection(
            header->visualIndex(columnOf(kShownOrder[static_cast<std::size_t>(column)])), column);
    table->resizeColumnsToContents();
    showTrouble();
}

void HistoryDialog::showTrouble() {
    badLines->setText(badLinesText(*model, historyPath));
    badLines->setToolTip(badLinesDetail(*model));
    badLines->setVisible(!badLines->text().isEmpty());
}

#include "moc_HistoryDialog.cpp"
