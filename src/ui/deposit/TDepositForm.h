#pragma once
// The deposit window, opened from the deposit tab: the deposit day by day
// with its opening date, term, capitalization or payout, a monthly top-up,
// a minimum balance and the top-ups and withdrawals the user plans; the
// schedule as a table with its totals, the tax on the interest year by
// year, a summary and a chart, all following the fields as the user types;
// saving as .xlsx, .csv or .pdf, and printing.
//
// A modeless window of the main window, made on first use; closing it only
// hides it, and what was typed stays for the next opening. The key rate of
// the tax comes from the store it is given: the kept data at once, a newer
// answer when the bank gives one.
#include "ui/deposit/DepositFields.h"
#include "ui/deposit/DepositReport.h"

#include <QWidget>

#include <vector>

class QAction;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace orvel {
enum class ExportFormat;
class DepositChart;
class DepositTableModel;
class KeyRateStore;
class RowsEditor;
} // namespace orvel

class TDepositForm : public QWidget {
    Q_OBJECT

public:
    explicit TDepositForm(QWidget *parent = nullptr);

    // The tab's amount and rate as they were read, its term in days, and
    // its mode: simple interest starts paid at the end, compound interest
    // with monthly capitalization. Figures the schedule refuses are shown
    // in the status line, for the user to correct on the tab.
    void setDeposit(double amount, double rate, double days, bool compound);
    // Where the key rate comes from; asked for news each time the window is shown.
    void setKeyRateStore(orvel::KeyRateStore *store);

    // The last calculation shown, and whether it still follows the fields
    // (false while a field holds something the calculation cannot take).
    const orvel::DepositReport &report() const { return m_report; }
    bool reportCurrent() const { return m_current; }

    orvel::DepositChart *chart() const { return m_chart; }
    orvel::RowsEditor *flows() const { return m_flows; }

    QLabel *DepositInputs = nullptr;
    QDateEdit *DepositOpened = nullptr;
    QLineEdit *DepositTerm = nullptr;
    QComboBox *DepositTermUnit = nullptr;
    QLabel *DepositCloses = nullptr;
    QComboBox *DepositCapitalization = nullptr;
    QLineEdit *DepositMonthlyTopUp = nullptr;
    QLineEdit *DepositMinimumBalance = nullptr;
    QLineEdit *DepositOtherInterest = nullptr;
    QTableView *DepositTable = nullptr;
    QTableView *DepositTotals = nullptr;
    QTableView *DepositTaxTable = nullptr;
    QLabel *DepositSummary = nullptr;
    QLabel *KeyRateStatus = nullptr;
    QLabel *DepositStatus = nullptr; // why the calculation is not up to date, or what the last save did
    QChartView *DepositChartView = nullptr;
    QPushButton *DepositSave = nullptr;
    QAction *DepositSaveXlsx = nullptr, *DepositSaveCsv = nullptr, *DepositSavePdf = nullptr;
    QPushButton *DepositPrint = nullptr;
    QPushButton *DepositClose = nullptr;

    // ---- handlers ----
    void DepositSaveXlsxClick();
    void DepositSaveCsvClick();
    void DepositSavePdfClick();
    void DepositPrintClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildTerms(QWidget *parent);
    QWidget *buildFlows(QWidget *parent);
    QWidget *buildSummary(QWidget *parent);
    QWidget *buildOutputs(QWidget *parent);
    QWidget *buildScheduleTable(QWidget *parent);
    QWidget *buildTaxTable(QWidget *parent);
    QLayout *buildButtons();
    void watchFields();
    void alignTotals();

    // Any field changed: one calculation in the next turn of the event
    // loop, however many changes came in this one.
    void requestRecompute();
    void recompute();
    void calculate(); // with the flows as last read
    void flowsEdited();
    orvel::DepositReport readTerms() const;
    void showReport(orvel::DepositReport report);
    void showProblem(const QString &text);
    void showFlowStates(const std::vector<orvel::FlowState> &states);
    void showStatus(const QString &text, bool error);

    // What is saved and printed: the calculation shown, with its chart;
    // `paper` for a PDF or the printer.
    orvel::ExportDocument document(bool paper) const;
    void saveAs(orvel::ExportFormat format, const QString &suffix);

    double m_amount = 0, m_rate = 0;
    bool m_hasDeposit = false;
    bool m_pending = false; // a calculation is queued
    bool m_dirty = false;   // the fields changed since the last calculation
    bool m_current = false;
    orvel::KeyRateStore *m_store = nullptr;
    orvel::DepositReport m_report{};
    std::vector<orvel::FlowState> m_flowStates; // per editor row, read when it changed
    orvel::RowsEditor *m_flows = nullptr;
    orvel::DepositChart *m_chart = nullptr;
    orvel::DepositTableModel *m_table = nullptr, *m_totals = nullptr, *m_tax = nullptr;
};
