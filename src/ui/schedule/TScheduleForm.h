#pragma once
// The payment schedule window, opened from the loan tab: the schedule of
// the tab's loan as a table and a chart, the early repayments the user plans
// (table and chart follow as they type), the totals and what the early
// repayments save, saving as .xlsx, .csv or .pdf, and printing.
//
// A modeless window of the main window; closing it only hides it, and the
// early repayments typed stay for the next opening.
#include "calc/ScheduleReport.h"
#include "ui/export/ExportDocument.h"

#include <QWidget>

#include <vector>

class QAction;
class QChartView;
class QLabel;
class QHBoxLayout;
class QPushButton;
class QTableView;

namespace orvel {
enum class ExportFormat;
class RowsEditor;
class ScheduleChart;
class ScheduleModel;
class ScheduleTotalsModel;
} // namespace orvel

class TScheduleForm : public QWidget {
    Q_OBJECT

public:
    explicit TScheduleForm(QWidget *parent = nullptr);

    // Shows the schedule of this loan with the early repayments in the
    // editor. A loan the schedule refuses throws OrvelError and the window
    // keeps what it showed.
    void setLoan(double amount, double rate, int months, orvel::Repayment kind);
    const orvel::ScheduleReport &report() const { return m_report; }

    QLabel *ScheduleInputs = nullptr;
    QTableView *ScheduleTable = nullptr;
    QTableView *ScheduleTotals = nullptr;
    QLabel *ScheduleSummary = nullptr;
    QLabel *ScheduleStatus = nullptr; // what the last save did
    QChartView *ScheduleChartView = nullptr;
    QPushButton *EarlyAdd = nullptr;
    QPushButton *ScheduleSave = nullptr;
    QAction *ScheduleSaveXlsx = nullptr, *ScheduleSaveCsv = nullptr, *ScheduleSavePdf = nullptr;
    QPushButton *SchedulePrint = nullptr;
    QPushButton *ScheduleClose = nullptr;

    orvel::ScheduleChart *chart() const { return m_chart; }
    orvel::ScheduleModel *model() const { return m_model; }

    // The early repayments editor: its controls are named EarlyMonthN,
    // EarlyAmountN, EarlyModeN, EarlyRemoveN and EarlyStateN, N counting
    // from 1 in the order shown. Its changes are read once per turn of the
    // event loop, however many keys came in it.
    orvel::RowsEditor *earlyEditor() const { return m_early; }
    int earlyCount() const;

    // ---- handlers ----
    void EarlyAddClick();
    void EarlyRemoveClick(int index);
    void EarlyChange(); // any change in the editor, once per turn
    void ScheduleSaveXlsxClick();
    void ScheduleSaveCsvClick();
    void ScheduleSavePdfClick();
    void SchedulePrintClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildEarlyAndSummary(QWidget *parent);
    QWidget *buildChartAndTable(QWidget *parent);
    QTableView *buildTotalsRow(QWidget *parent, int rowHeight);
    QHBoxLayout *buildButtons();
    orvel::RowsEditor *buildEarlyEditor(QWidget *parent);
    void alignTotals();
    // What is saved and printed: the schedule shown, with its chart.
    orvel::ExportDocument document() const;
    void saveAs(orvel::ExportFormat format, const QString &suffix);
    void recompute();
    // The editor's repayments for the schedule; a row left out gets its note.
    void readEarly(orvel::LoanTerms &terms, std::vector<int> &rowOf);

    orvel::LoanTerms m_loan{};
    bool m_hasLoan = false;
    orvel::ScheduleReport m_report{};
    orvel::RowsEditor *m_early = nullptr;
    orvel::ScheduleChart *m_chart = nullptr;
    orvel::ScheduleModel *m_model = nullptr;
    orvel::ScheduleTotalsModel *m_totals = nullptr;
};
