#include "ui/HistoryModel.h"

#include "config/DepartmentQueries.h"
#include "setup/Failure.h"

#include <array>

namespace {

// The headings of the record's columns, in its order.
constexpr std::array<const char*, kTransferColumns.size()> kHeadings{
    QT_TRANSLATE_NOOP("HistoryModel", "Time"),
    QT_TRANSLATE_NOOP("HistoryModel", "Program"),
    QT_TRANSLATE_NOOP("HistoryModel", "Action"),
    QT_TRANSLATE_NOOP("HistoryModel", "Device"),
    QT_TRANSLATE_NOOP("HistoryModel", "Serial Before"),
    QT_TRANSLATE_NOOP("HistoryModel", "Serial After"),
    QT_TRANSLATE_NOOP("HistoryModel", "Module"),
    QT_TRANSLATE_NOOP("HistoryModel", "Firmware"),
    QT_TRANSLATE_NOOP("HistoryModel", "Setup File"),
    QT_TRANSLATE_NOOP("HistoryModel", "Setup SHA-256"),
    QT_TRANSLATE_NOOP("HistoryModel", "Result"),
    QT_TRANSLATE_NOOP("HistoryModel", "Detail"),
    QT_TRANSLATE_NOOP("HistoryModel", "User"),
    QT_TRANSLATE_NOOP("HistoryModel", "Host"),
};

// Rows a fetch adds: a few screens, read from as many blocks as it takes to find them.
constexpr std::size_t kRowsAFetch = 500;

} // namespace

HistoryModel::HistoryModel(QObject* parent, const std::string& historyPath)
    : QAbstractTableModel(parent) {
    try {
        snapshot.emplace(historyPath);
        reader = std::make_unique<HistoryBackwards>(*snapshot);
    } catch (const Failure& failure) {
        unreadable_ = tr("The transfer history could not be read: %1")
                          .arg(QString::fromLocal8Bit(failure.what()));
    }
}

HistoryModel::HistoryModel(QObject* parent, Department department)
    : QAbstractTableModel(parent)
    , department(std::move(department)) {}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kTransferColumns.size());
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const TransferRow& row = rows[static_cast<std::size_t>(index.row())];
    return QString::fromStdString(row.*
                                  kTransferColumns[static_cast<std::size_t>(index.column())].field);
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return tr(kHeadings[static_cast<std::size_t>(section)]);
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid() || !unreadable_.isEmpty())
        return false;
    return department ? !departmentRead : reader && !reader->atStart();
}

void HistoryModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    std::vector<TransferRow> found;
    bool newTrouble = false;
    try {
        if (department)
            fetchFromDepartment(found);
        else
            fetchFromFile(found, newTrouble);
    } catch (const Failure& failure) {
        reader.reset();
        unreadable_ = (department ? tr("The department's record could not be asked: %1")
                                  : tr("The transfer history could not be read: %1"))
                          .arg(QString::fromLocal8Bit(failure.what()));
        newTrouble = true;
    }
    if (!found.empty()) {
        const int first = static_cast<int>(rows.size());
        beginInsertRows({}, first, first + static_cast<int>(found.size()) - 1);
        rows.insert(rows.end(), std::make_move_iterator(found.begin()),
                    std::make_move_iterator(found.end()));
        endInsertRows();
    }
    if (newTrouble)
        emit troubleFound();
}

void HistoryModel::fetchFromFile(std::vector<TransferRow>& found, bool& newTrouble) {
    while (found.size() < kRowsAFetch && !reader->atStart())
        reader->readBlock(
            [&](HistoryLine& line) {
                if (isWanted(line.row()))
                    found.push_back(line.row());
            },
            [&](const BadHistoryLine& bad) {
                newTrouble = badLines_.emplace(bad.line, bad.reason).second || newTrouble;
            });
}

void HistoryModel::fetchFromDepartment(std::vector<TransferRow>& found) {
    DepartmentPage page = departmentRowsNewestFirst(department->connection, nextPage,
                                                    serialFilter.toStdString(), kRowsAFetch);
    found = std::move(page.rows);
    nextPage = std::move(page.next);
    departmentRead = !nextPage;
}

void HistoryModel::filterBySerial(const QString& serial) {
    beginResetModel();
    serialFilter = serial.trimmed();
    rows.clear();
    if (snapshot && unreadable_.isEmpty())
        reader = std::make_unique<HistoryBackwards>(*snapshot);
    nextPage.reset();
    departmentRead = false;
    endResetModel();
    fetchMore({});
}

bool HistoryModel::isWanted(const TransferRow& row) const {
    return serialFilter.isEmpty() ||
           QString::fromStdString(row.serialBefore).contains(serialFilter, Qt::CaseInsensitive) ||
           QString::fromStdString(row.serialAfter).contains(serialFilter, Qt::CaseInsensitive);
}

#include "moc_HistoryModel.cpp"
