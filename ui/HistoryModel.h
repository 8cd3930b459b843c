#pragma once

#include "config/HistoryReading.h"

#include <QAbstractTableModel>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// The rows of the record of transfers, newest first, fetched as the view scrolls, so that a
// record of any size opens at once and costs memory only for what was shown: this computer's,
// read from the end of the file a block at a time as it stood when the model was made; or the
// department's, asked a page at a time.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // This computer's record at historyPath.
    HistoryModel(QObject* parent, const std::string& historyPath);
    // The department's record, reached through connection.
    struct Department {
        std::string connection;
    };
    HistoryModel(QObject* parent, Department department);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Shows only the rows whose serial number before or after the transfer holds serial (any
    // case); all when it is empty.
    void filterBySerial(const QString& serial);

    // Why the record could not be read; empty when it could.
    const QString& unreadable() const { return unreadable_; }
    // The lines found so far that hold no row, by number.
    const std::map<std::size_t, std::string>& badLines() const { return badLines_; }

signals:
    // unreadable() or badLines() changed.
    void troubleFound();

private:
    bool isWanted(const TransferRow& row) const;
    void fetchFromFile(std::vector<TransferRow>& found, bool& newTrouble);
    void fetchFromDepartment(std::vector<TransferRow>& found);

    std::optional<HistorySnapshot> snapshot;
    std::unique_ptr<HistoryBackwards> reader;
    std::optional<Department> department;
    std::optional<std::string> nextPage;
    bool departmentRead = false;
    std::vector<TransferRow> rows;
    QString serialFilter;
    QString unreadable_;
    std::map<std::size_t, std::string> badLines_;
};
