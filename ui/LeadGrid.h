#pragma once

#include "DeviceInfo.h"
#include "SetupRecord.h"

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
    static constexpr int kNameLength = 8;

    // leadCount is read from info whenever the grid is rebuilt or the skip buttons are updated.
    LeadGrid(QWidget* parent, SetupRecord& record, const DeviceInfo& info);

    void SavePage();
    void RestorePage();
    void UpdateAllNone();
    void RebuildTabs();
    void LabelRows(int page);
    void ShowRows();
    void RebuildGrid();
    void ClearLeads();
    void ToggleRowSkip(int row);

private:
    struct Row {
        QLabel* label;
        QCheckBox* skip;
        QLineEdit* name;
    };

    void buildRows(QGridLayout* layout);
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
