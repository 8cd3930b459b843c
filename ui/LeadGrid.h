#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

#include <QGroupBox>
#include <array>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

// "Lead Information": the names and skip flags of the current module's leads, shown a page of
// 32 leads at a time, one tab per page. The rows on screen are a working copy of one page of the
// record; SavePage and RestorePage move it to and from the record.
class LeadGrid : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int kRowsPerPage = 32;
    static constexpr int kRowsPerColumn = 16;
    static constexpr int kStoredPages = SetupRecord::kMaxLeads / kRowsPerPage;

    // leadCount is read from info whenever the grid is rebuilt or the skip buttons are updated.
    LeadGrid(QWidget* parent, SetupRecord& record, const DeviceInfo& info);

    // The rows into the record's page they show, and back.
    void savePage();
    void restorePage();
    // Marks ALL or NONE when every lead of the module is skipped or none is.
    void updateAllNone();
    // The tabs and rows for the current lead count, showing the first page.
    void rebuildGrid();

private:
    struct Row {
        QLabel* label;
        QCheckBox* skip;
        QLineEdit* name;
    };

    void buildRows(QGridLayout* layout);
    void rebuildTabs();
    void labelRows(int page);
    void showRows();
    void toggleRowSkip(int row);
    void skipAllLeads(bool skipped);
    void showPage(int page);
    void showRowSkip(int row);
    Row& rowAt(int row) { return rows.at(static_cast<std::size_t>(row - 1)); }
    bool& rowSkipAt(int row) { return rowSkip.at(static_cast<std::size_t>(row - 1)); }
    // The first lead of the page the rows hold, when that page is kept in the record.
    bool storedPageBase(int& base) const;

    SetupRecord& record;
    const DeviceInfo& info;
    QTabBar* tabs;
    QPushButton* allButton;
    QPushButton* noneButton;
    QLabel* leftHeading;
    QLabel* rightHeading;
    std::array<Row, kRowsPerPage> rows{};
    std::array<bool, kRowsPerPage> rowSkip{};
    // The page whose leads the rows hold. The tab bar reports a change only after it happened,
    // so the rows are saved to this page before the new one is shown.
    int shownPage = -1;
};
