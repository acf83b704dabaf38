#pragma once
// The history window: one currency's official rate over a period, as a chart,
// a line of figures and a table, saved as .csv, .png, .xlsx or .pdf and
// printed. Modeless; closing it only hides it.
#include "rates/RateDocument.h"
#include "rates/RateTable.h"
#include "ui/export/ExportDocument.h"

#include <QDate>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QDateTimeAxis;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QTableView;
class QValueAxis;

namespace orvel {
enum class ExportFormat;
class RateRecordModel;
} // namespace orvel

class TRateHistoryForm : public QWidget {
    Q_OBJECT

public:
    explicit TRateHistoryForm(QWidget *parent = nullptr);
    ~TRateHistoryForm() override;

    QComboBox *RateHistoryCurrency = nullptr; // "Доллар США (USD)"; item data: the ID
    QDateEdit *RateHistoryFrom = nullptr, *RateHistoryTo = nullptr;
    QPushButton *RateHistoryMonth = nullptr, *RateHistoryQuarter = nullptr, *RateHistoryYear = nullptr,
                *RateHistoryFiveYears = nullptr, *RateHistoryShow = nullptr;
    QChartView *RateHistoryChart = nullptr;
    QLabel *RateHistoryReadout = nullptr; // the day under the mouse (or chosen in the table)
    QPushButton *RateHistoryZoomReset = nullptr;
    QLabel *RateHistoryFigures = nullptr;
    QTableView *RateHistoryTable = nullptr;
    QPushButton *RateHistoryCsv = nullptr, *RateHistoryPng = nullptr;
    QPushButton *RateHistoryXlsx = nullptr, *RateHistoryPdf = nullptr, *RateHistoryPrint = nullptr;

    // Where the bank is asked: its site, as bankSite() gives it.
    QString bankSite;

    // Offers the rows of `table` that have an ID, keeping the chosen one
    // when it is still there.
    void setCurrencies(const orvel::RateTable &table);
    // Chooses the currency and shows its history for the period in the fields.
    // Errors are shown in this window's error box.
    void showCurrency(const QString &id);

    // Handlers.
    void RateHistoryShowClick(); // also Enter in a date field, a currency chosen
    void presetClick(int months); // the period of `months` up to today, shown
    void RateHistoryCsvClick();
    void RateHistoryPngClick();
    void RateHistoryZoomResetClick();

    // Draws a history that has been read (the chart, figures and table).
    void showHistory(const orvel::RateHistory &history, const QString &code);
    const std::vector<orvel::RateRecord> &records() const { return m_records; }

    // The time axis from `from` to `to` (clamped to the records' span);
    // the rate axis follows the days in view.
    void zoomTo(const QDate &from, const QDate &to);
    // Zooms the time axis by `factor` (< 1 in) around the day `centre`.
    void zoomBy(double factor, const QDate &centre);
    QDate viewFrom() const;
    QDate viewTo() const;
    // Points the readout and the marker at record i.
    void pointAt(std::size_t i);

private:
    QGridLayout *buildChoice();
    QChartView *buildChart();
    QTableView *buildTable();
    QHBoxLayout *buildButtons();
    std::array<QPushButton *, 5> exportButtons() const; // the file and print buttons
    void moveBy(int direction); // the view a quarter of its span back (-1) or forward (+1)
    // What is saved: the records shown, the figures line and the chart.
    orvel::ExportDocument document() const;
    // The save dialog offers "<code>_<first>_<last>.<suffix>".
    void saveAs(orvel::ExportFormat format, const char *dialogName, const QString &suffix);
    void clearDrawing(const QString &figures);
    void fitRateAxis();
    QString currentCode() const;

    QChart *m_chart = nullptr;
    QLineSeries *m_series = nullptr;
    QScatterSeries *m_marker = nullptr;
    QDateTimeAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
    orvel::RateRecordModel *m_model = nullptr;
    std::vector<orvel::RateRecord> m_records;
    QString m_code;
    bool m_fitting = false;
};
