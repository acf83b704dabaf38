#pragma once
// The penalties window, opened from the tax tab: the penalties of the Tax
// Code for a person or an organisation, or the interest of art. 395 of the
// Civil Code, on debts and the payments made against them, day by day on the
// key rate. Table, chart and totals follow as the user types; a row still
// being typed is left out and says why. Saving as .xlsx, .csv or .pdf, and
// printing.
//
// A modeless window of the main window; closing it only hides it, and what
// was typed stays for the next opening.
#include "ui/penalty/PenaltyReport.h"

#include <QWidget>

#include <vector>

class QAction;
class QChartView;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableView;

namespace orvel {
enum class ExportFormat;
class KeyRateStore;
class PenaltyChart;
class PenaltyModel;
class RowsEditor;
} // namespace orvel

class TPenaltyForm : public QWidget {
    Q_OBJECT

public:
    // `store` gives the key rate and outlives the window.
    explicit TPenaltyForm(orvel::KeyRateStore *store, QWidget *parent = nullptr);

    // The tax tab's last result for the first debt's amount: it goes there
    // while that field is empty or still holds what was offered before, so
    // an amount the user typed stays. 0 or less offers nothing.
    void offerTaxAmount(double amount);

    // The last calculation that succeeded; none while the inputs give an
    // error that concerns the whole calculation (PenaltyStatus says which).
    bool hasResult() const { return m_hasResult; }
    const orvel::PenaltyReport &report() const { return m_report; }

    QComboBox *PenaltyKind = nullptr;
    QDateEdit *PenaltyUntil = nullptr;
    QCheckBox *PenaltyMoratorium = nullptr; // shown for art. 395 only
    // Rows DebtAmountN, DebtDueN; PaymentDateN, PaymentAmountN (RowsEditor).
    orvel::RowsEditor *Debts = nullptr;
    orvel::RowsEditor *Payments = nullptr;
    QTableView *PenaltyTable = nullptr;
    QLabel *PenaltyTotal = nullptr;
    QLabel *PenaltyStatus = nullptr; // an error of the whole calculation, or what the last save did
    QLabel *KeyRateStatus = nullptr;
    QChartView *PenaltyChartView = nullptr;
    QPushButton *PenaltySave = nullptr;
    QAction *PenaltySaveXlsx = nullptr, *PenaltySaveCsv = nullptr, *PenaltySavePdf = nullptr;
    QPushButton *PenaltyPrint = nullptr;
    QPushButton *PenaltyClose = nullptr;

    orvel::PenaltyChart *chart() const { return m_chart; }
    orvel::PenaltyModel *model() const { return m_model; }

    // ---- handlers ----
    void PenaltyKindChange();
    void PenaltyInputChange(); // the last day, the moratorium
    void DebtsChange();        // the rows RowsEditor reports changed
    void PaymentsChange();
    void KeyRateChange(); // the store's data or its request's outcome
    void PenaltySaveXlsxClick();
    void PenaltySaveCsvClick();
    void PenaltySavePdfClick();
    void PenaltyPrintClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // What an editor row's note says; an error in the error colour.
    struct Note {
        QString text;
        bool error = false;
    };
    // An editor row as last read: what it gives the calculation, or why it
    // is left out.
    struct Entry {
        bool ok = false;
        std::int64_t kopecks = 0;
        QDate date;
        Note note;
    };
    // The notes of a calculation, per editor row.
    struct Notes {
        std::vector<Note> debts, payments;
    };

    QWidget *buildInputs(QWidget *parent);
    QWidget *buildResults(QWidget *parent);
    QHBoxLayout *buildButtons();
    QWidget *buildDebts(QWidget *parent);
    QWidget *buildPayments(QWidget *parent);
    void readRows(orvel::RowsEditor *editor, std::vector<Entry> &entries, int amountColumn, int dateColumn);
    orvel::PenaltyReport gather(Notes &notes) const;
    bool leaveOut(orvel::PenaltyReport &report, const QString &message, Notes &notes) const;
    QString wholeError(const orvel::PenaltyReport &report, const QString &message) const;
    void recompute();
    void showNotes(const Notes &notes);
    void showResult(const orvel::PenaltyReport &report);
    void showFailure(const QString &message);
    void setStatus(const QString &text, bool error);
    orvel::ExportDocument document() const;
    void saveAs(orvel::ExportFormat format, const QString &suffix);

    orvel::KeyRateStore *m_store;
    std::vector<Entry> m_debts, m_payments;
    orvel::PenaltyReport m_report;
    bool m_hasResult = false;
    QString m_offered; // the text offerTaxAmount() last put in the first debt
    orvel::PenaltyChart *m_chart = nullptr;
    orvel::PenaltyModel *m_model = nullptr;
};
