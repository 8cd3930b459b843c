#include "ui/CompareDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A value as the window shows it: a lead name without the blanks the instrument pads it with.
QString shownValue(const std::string& value) {
    return QString::fromLatin1(value.substr(0, value.find_last_not_of(' ') + 1));
}

QString summaryText(std::ptrdiff_t differing) {
    if (differing == 0)
        return CompareDialog::tr("The instrument holds this setup.");
    if (differing == 1)
        return CompareDialog::tr("1 field differs between this setup and the instrument.");
    return CompareDialog::tr("%1 fields differ between this setup and the instrument.")
        .arg(differing);
}

// Each differing row stands out to the eye (bold on a warm background) and to a screen reader.
void markDiffering(QTableWidget& table, int row) {
    for (int column = 0; column < table.columnCount(); ++column) {
        QTableWidgetItem* item = table.item(row, column);
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        item->setBackground(QColor(255, 214, 153));
        item->setForeground(Qt::black);
        item->setData(Qt::AccessibleDescriptionRole, CompareDialog::tr("Differs"));
    }
}

QTableWidget* fieldTable(QWidget* parent, const std::vector<ComparedField>& fields,
                         const QString& summary) {
    auto* table = new QTableWidget(static_cast<int>(fields.size()), 3, parent);
    table->setObjectName("comparisonTable");
    table->setAccessibleName(CompareDialog::tr("This setup and the instrument, field by field"));
    table->setAccessibleDescription(summary);
    table->setHorizontalHeaderLabels({CompareDialog::tr("Field"), CompareDialog::tr("This Setup"),
                                      CompareDialog::tr("The Instrument")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    int firstDiffering = -1;
    for (int row = 0; row < table->rowCount(); ++row) {
        const ComparedField& field = fields[static_cast<std::size_t>(row)];
        table->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(field.field)));
        table->setItem(row, 1, new QTableWidgetItem(shownValue(field.expected)));
        table->setItem(row, 2, new QTableWidgetItem(shownValue(field.found)));
        if (field.differs()) {
            markDiffering(*table, row);
            if (firstDiffering < 0)
                firstDiffering = row;
        }
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    if (firstDiffering >= 0)
        table->setCurrentCell(firstDiffering, 0);
    return table;
}

} // namespace

CompareDialog::CompareDialog(QWidget* parent, const std::vector<ComparedField>& fields,
                             const QString& instrument)
    : QDialog(parent) {
    setWindowTitle(tr("Compare with Instrument"));
    const auto differing = std::ranges::count_if(fields, &ComparedField::differs);

    auto* identity = new QLabel(instrument, this);
    identity->setObjectName("comparedInstrument");
    auto* summary = new QLabel(summaryText(differing), this);
    summary->setObjectName("comparisonResult");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(identity);
    layout->addWidget(summary);
    if (differing > 0) {
        layout->addWidget(fieldTable(this, fields, summary->text()));
        resize(560, 480);
    }
    layout->addWidget(buttons);
}

#include "moc_CompareDialog.cpp"
