#include "ui/history/TRateHistoryForm.h"

#include "calc/Numbers.h"
#include "calc/OrvelError.h"
#include "rates/HistoryReport.h"
#include "rates/RateArchive.h"
#include "ui/EnterKey.h"
#include "ui/ErrorBox.h"
#include "ui/export/Export.h"
#include "ui/history/HistoryChartView.h"
#include "ui/history/RateRecordModel.h"
#include "ui/OverrideCursor.h"
#include "ui/Widgets.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QScatterSeries>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using orvel::named;
using orvel::RateRecord;

namespace {

qreal timeOf(const QDate &d) { return static_cast<qreal>(d.startOfDay().toMSecsSinceEpoch()); }

} // namespace

TRateHistoryForm::TRateHistoryForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("RateHistoryForm"));
    setWindowTitle(QStringLiteral("Динамика курса"));

    // Made in the order the keyboard goes through them.
    QGridLayout *top = buildChoice();
    QChartView *chart = buildChart();
    RateHistoryReadout = named(new QLabel(this), "RateHistoryReadout");
    RateHistoryZoomReset = named(new QPushButton(QStringLiteral("Весь период"), this), "RateHistoryZoomReset");
    RateHistoryZoomReset->setToolTip(QStringLiteral("Выделите часть графика мышью, чтобы увеличить её; "
                                                    "колесо, + и − меняют масштаб, стрелки сдвигают"));
    RateHistoryFigures = named(new QLabel(this), "RateHistoryFigures");
    RateHistoryFigures->setWordWrap(true);
    RateHistoryFigures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = RateHistoryFigures->font();
    bold.setBold(true);
    RateHistoryFigures->setFont(bold);
    QTableView *table = buildTable();
    QHBoxLayout *buttons = buildButtons();

    auto *readoutRow = new QHBoxLayout;
    readoutRow->addWidget(RateHistoryReadout, 1);
    readoutRow->addWidget(RateHistoryZoomReset);

    // The chart takes the room; the table beside it lists the same days.
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(chart);
    split->addWidget(table);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(readoutRow);
    layout->addWidget(split, 1);
    layout->addWidget(RateHistoryFigures);
    layout->addLayout(buttons);

    orvel::onEvent(RateHistoryZoomReset, &QPushButton::clicked, this, [this] { RateHistoryZoomResetClick(); });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    clearDrawing(QString());
    resize(1040, 620);
}

// The currency, the period and its presets.
QGridLayout *TRateHistoryForm::buildChoice()
{
    const QDate today = QDate::currentDate();
    auto *currencyLabel = new QLabel(QStringLiteral("Валюта:"), this);
    RateHistoryCurrency = named(new QComboBox(this), "RateHistoryCurrency");
    RateHistoryCurrency->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    RateHistoryCurrency->setMinimumContentsLength(28);
    currencyLabel->setBuddy(RateHistoryCurrency);

    auto *fromLabel = new QLabel(QStringLiteral("Период с"), this);
    auto *toLabel = new QLabel(QStringLiteral("по"), this);
    RateHistoryFrom = named(new QDateEdit(today.addDays(-90), this), "RateHistoryFrom");
    RateHistoryTo = named(new QDateEdit(today, this), "RateHistoryTo");
    for (QDateEdit *edit : {RateHistoryFrom, RateHistoryTo}) {
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setCalendarPopup(true);
        edit->setDateRange(orvel::firstRateDate(), today.addDays(1));
        orvel::onEnter(edit, this, [this] { RateHistoryShowClick(); });
    }
    fromLabel->setBuddy(RateHistoryFrom);
    toLabel->setBuddy(RateHistoryTo);
    RateHistoryShow = named(new QPushButton(QStringLiteral("Показать"), this), "RateHistoryShow");
    RateHistoryMonth = named(new QPushButton(QStringLiteral("Месяц"), this), "RateHistoryMonth");
    RateHistoryQuarter = named(new QPushButton(QStringLiteral("Квартал"), this), "RateHistoryQuarter");
    RateHistoryYear = named(new QPushButton(QStringLiteral("Год"), this), "RateHistoryYear");
    RateHistoryFiveYears = named(new QPushButton(QStringLiteral("5 лет"), this), "RateHistoryFiveYears");

    auto *top = new QGridLayout;
    top->addWidget(currencyLabel, 0, 0);
    top->addWidget(RateHistoryCurrency, 0, 1, 1, 4);
    top->addWidget(fromLabel, 1, 0);
    auto *period = new QHBoxLayout;
    period->addWidget(RateHistoryFrom);
    period->addWidget(toLabel);
    period->addWidget(RateHistoryTo);
    period->addWidget(RateHistoryShow);
    period->addSpacing(16);
    for (QPushButton *b : {RateHistoryMonth, RateHistoryQuarter, RateHistoryYear, RateHistoryFiveYears})
        period->addWidget(b);
    period->addStretch(1);
    top->addLayout(period, 1, 1, 1, 4);
    top->setColumnStretch(4, 1);

    orvel::onEvent(RateHistoryShow, &QPushButton::clicked, this, [this] { RateHistoryShowClick(); });
    orvel::onEvent(RateHistoryMonth, &QPushButton::clicked, this, [this] { presetClick(1); });
    orvel::onEvent(RateHistoryQuarter, &QPushButton::clicked, this, [this] { presetClick(3); });
    orvel::onEvent(RateHistoryYear, &QPushButton::clicked, this, [this] { presetClick(12); });
    orvel::onEvent(RateHistoryFiveYears, &QPushButton::clicked, this, [this] { presetClick(60); });
    orvel::onEvent(RateHistoryCurrency, &QComboBox::activated, this, [this] { RateHistoryShowClick(); });
    return top;
}

// The rate over time, a marker on the day pointed at, and the view that
// zooms and moves along it.
QChartView *TRateHistoryForm::buildChart()
{
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setLocalizeNumbers(true);
    m_series = new QLineSeries(m_chart);
    m_marker = new QScatterSeries(m_chart);
    m_marker->setMarkerSize(9);
    m_marker->setColor(QColor(0xd9, 0x5f, 0x02));
    m_marker->setBorderColor(Qt::white);
    QPen line = m_series->pen();
    line.setWidthF(2);
    line.setColor(QColor(0x1f, 0x5f, 0xa8));
    m_series->setPen(line);
    m_chart->addSeries(m_series);
    m_chart->addSeries(m_marker);
    m_axisX = new QDateTimeAxis(m_chart);
    m_axisX->setFormat(QStringLiteral("dd.MM.yyyy"));
    m_axisX->setTickCount(6);
    m_axisY = new QValueAxis(m_chart);
    m_axisY->setTitleText(QStringLiteral("руб."));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    for (QAbstractSeries *s : std::initializer_list<QAbstractSeries *>{m_series, m_marker}) {
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
    }
    auto *view = new orvel::HistoryChartView(m_chart, this);
    RateHistoryChart = named<QChartView>(view, "RateHistoryChart");
    RateHistoryChart->setMinimumSize(560, 360);
    view->hovered = [this](const QDate &d) {
        if (!m_records.empty())
            pointAt(orvel::nearestRecord(m_records, d));
    };
    view->zoomed = [this](double factor, const QDate &d) { zoomBy(factor, d); };
    view->moved = [this](int direction) { moveBy(direction); };
    view->reset = [this] { RateHistoryZoomResetClick(); };
    view->centre = [this] { return viewFrom().addDays(viewFrom().daysTo(viewTo()) / 2); };
    connect(m_axisX, &QDateTimeAxis::rangeChanged, this, [this] { fitRateAxis(); });
    return RateHistoryChart;
}

// The records, a row a day; choosing one points the chart at it.
QTableView *TRateHistoryForm::buildTable()
{
    m_model = new orvel::RateRecordModel(this);
    RateHistoryTable = named(new QTableView(this), "RateHistoryTable");
    RateHistoryTable->setModel(m_model);
    RateHistoryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    RateHistoryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    RateHistoryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RateHistoryTable->verticalHeader()->hide();
    RateHistoryTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Dates and rates are alike in width: a few rows tell the widths of all.
    RateHistoryTable->horizontalHeader()->setResizeContentsPrecision(64);
    RateHistoryTable->setMinimumWidth(330);
    RateHistoryTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(RateHistoryTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    pointAt(static_cast<std::size_t>(current.row()));
            });
    return RateHistoryTable;
}

QHBoxLayout *TRateHistoryForm::buildButtons()
{
    RateHistoryCsv = named(new QPushButton(QStringLiteral("Сохранить .csv…"), this), "RateHistoryCsv");
    RateHistoryPng = named(new QPushButton(QStringLiteral("Сохранить .png…"), this), "RateHistoryPng");
    RateHistoryXlsx = named(new QPushButton(QStringLiteral("Сохранить .xlsx…"), this), "RateHistoryXlsx");
    RateHistoryPdf = named(new QPushButton(QStringLiteral("Сохранить .pdf…"), this), "RateHistoryPdf");
    RateHistoryPrint = named(new QPushButton(QStringLiteral("Печать…"), this), "RateHistoryPrint");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : exportButtons())
        buttons->addWidget(b);
    buttons->addStretch(1);
    orvel::onEvent(RateHistoryCsv, &QPushButton::clicked, this, [this] { RateHistoryCsvClick(); });
    orvel::onEvent(RateHistoryPng, &QPushButton::clicked, this, [this] { RateHistoryPngClick(); });
    orvel::onEvent(RateHistoryXlsx, &QPushButton::clicked, this,
                   [this] { saveAs(orvel::ExportFormat::Xlsx, "RateHistoryXlsxDialog", QStringLiteral("xlsx")); });
    orvel::onEvent(RateHistoryPdf, &QPushButton::clicked, this,
                   [this] { saveAs(orvel::ExportFormat::Pdf, "RateHistoryPdfDialog", QStringLiteral("pdf")); });
    orvel::onEvent(RateHistoryPrint, &QPushButton::clicked, this, [this] {
        if (!m_records.empty())
            orvel::printDocument(this, document());
    });
    return buttons;
}

std::array<QPushButton *, 5> TRateHistoryForm::exportButtons() const
{
    return {RateHistoryCsv, RateHistoryPng, RateHistoryXlsx, RateHistoryPdf, RateHistoryPrint};
}

void TRateHistoryForm::moveBy(int direction)
{
    const qint64 span = viewFrom().daysTo(viewTo());
    const qint64 step = std::max<qint64>(1, span / 4) * direction;
    const QDate first = m_records.empty() ? QDate() : m_records.front().date;
    const QDate last = m_records.empty() ? QDate() : m_records.back().date;
    QDate from = viewFrom().addDays(step), to = viewTo().addDays(step);
    if (from < first) {
        to = to.addDays(from.daysTo(first));
        from = first;
    }
    if (to > last) {
        from = from.addDays(-last.daysTo(to));
        to = last;
    }
    zoomTo(from, to);
}

TRateHistoryForm::~TRateHistoryForm()
{
    // The chart view owns the chart; the model must not outlive the records.
    m_model->setRecords(nullptr);
}

void TRateHistoryForm::setCurrencies(const orvel::RateTable &table)
{
    const QString chosen = RateHistoryCurrency->currentData().toString();
    const QSignalBlocker quiet(RateHistoryCurrency);
    RateHistoryCurrency->clear();
    for (const TCurrencyData &row : table) {
        if (row.ID.isEmpty())
            continue;
        RateHistoryCurrency->addItem(row.Name + QStringLiteral(" (") + row.CharCode + QLatin1Char(')'), row.ID);
        RateHistoryCurrency->setItemData(RateHistoryCurrency->count() - 1, row.CharCode, Qt::UserRole + 1);
    }
    RateHistoryCurrency->setCurrentIndex(RateHistoryCurrency->findData(chosen));
}

void TRateHistoryForm::showCurrency(const QString &id)
{
    {
        const QSignalBlocker quiet(RateHistoryCurrency);
        RateHistoryCurrency->setCurrentIndex(RateHistoryCurrency->findData(id));
    }
    orvel::runHandler(this, [this] { RateHistoryShowClick(); });
}

QString TRateHistoryForm::currentCode() const { return RateHistoryCurrency->currentData(Qt::UserRole + 1).toString(); }

void TRateHistoryForm::RateHistoryShowClick()
{
    const QDate today = QDate::currentDate();
    for (QDateEdit *edit : {RateHistoryFrom, RateHistoryTo})
        edit->setMaximumDate(today.addDays(1));
    const QString id = RateHistoryCurrency->currentData().toString();
    const QString code = currentCode();
    const QDate from = RateHistoryFrom->date();
    const QDate to = RateHistoryTo->date();
    setWindowTitle(RateHistoryCurrency->currentIndex() >= 0
                       ? QStringLiteral("Динамика курса: ") + RateHistoryCurrency->currentText()
                       : QStringLiteral("Динамика курса"));
    // Whatever was drawn belongs to another choice; a failed read leaves
    // nothing drawn.
    clearDrawing(QString());
    if (id.isEmpty())
        throw OrvelError(QStringLiteral("Выберите валюту"));
    orvel::LoadedHistory loaded;
    {
        const orvel::OverrideCursor wait(Qt::WaitCursor);
        loaded = orvel::loadRateHistory(orvel::RateSource{bankSite, orvel::rateArchiveFolder(), today}, id, from, to);
    }
    showHistory(loaded.history, code);
    if (!loaded.cacheError.isEmpty())
        throw OrvelError(loaded.cacheError);
}

void TRateHistoryForm::presetClick(int months)
{
    const QDate today = QDate::currentDate();
    RateHistoryTo->setMaximumDate(today.addDays(1));
    RateHistoryTo->setDate(today);
    RateHistoryFrom->setDate(std::max(orvel::firstRateDate(), today.addMonths(-months)));
    RateHistoryShowClick();
}

void TRateHistoryForm::clearDrawing(const QString &figures)
{
    m_records.clear();
    m_model->setRecords(&m_records);
    m_series->clear();
    m_marker->clear();
    m_chart->setTitle(figures);
    RateHistoryFigures->setText(figures);
    RateHistoryReadout->clear();
    for (QPushButton *b : exportButtons())
        b->setEnabled(false);
    RateHistoryZoomReset->setEnabled(false);
    const QDateTime now = QDate::currentDate().startOfDay();
    m_fitting = true;
    m_axisX->setRange(now.addDays(-1), now);
    m_axisY->setRange(0, 1);
    m_fitting = false;
    m_axisX->setVisible(false);
    m_axisY->setVisible(false);
}

void TRateHistoryForm::showHistory(const orvel::RateHistory &history, const QString &code)
{
    if (history.records.empty()) {
        clearDrawing(QStringLiteral("Нет данных за период"));
        return;
    }
    m_records = history.records;
    m_code = code;
    m_chart->setLocale(QLocale());
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(m_records.size()));
    for (const RateRecord &r : m_records)
        points.append(QPointF(timeOf(r.date), r.perUnit));
    m_series->replace(points);
    // Single days stay visible as dots while there are few of them.
    m_series->setPointsVisible(m_records.size() <= 62);
    m_model->setRecords(&m_records);
    // Wide enough for its columns beside the scroll bar.
    RateHistoryTable->resizeColumnsToContents();
    RateHistoryTable->setMinimumWidth(RateHistoryTable->horizontalHeader()->length()
                                      + RateHistoryTable->verticalScrollBar()->sizeHint().width()
                                      + 2 * RateHistoryTable->frameWidth());
    m_chart->setTitle(RateHistoryCurrency->currentIndex() >= 0
                          ? RateHistoryCurrency->currentText() + QStringLiteral(", руб. за 1 ") + code
                          : QStringLiteral("Руб. за 1 ") + code);
    RateHistoryFigures->setText(orvel::figuresLine(m_records, code));
    m_axisX->setVisible(true);
    m_axisY->setVisible(true);
    for (QPushButton *b : exportButtons())
        b->setEnabled(true);
    RateHistoryZoomReset->setEnabled(true);
    RateHistoryZoomResetClick();
    pointAt(m_records.size() - 1);
}

QDate TRateHistoryForm::viewFrom() const { return m_axisX->min().date(); }
QDate TRateHistoryForm::viewTo() const { return m_axisX->max().date(); }

void TRateHistoryForm::zoomTo(const QDate &from, const QDate &to)
{
    if (m_records.empty())
        return;
    const QDate first = m_records.front().date, last = m_records.back().date;
    QDate a = std::clamp(from, first, last), b = std::clamp(to, first, last);
    if (a > b)
        std::swap(a, b);
    // One day alone is a point: show a day either side of it.
    if (a == b) {
        a = a.addDays(-1);
        b = b.addDays(1);
    }
    m_axisX->setRange(a.startOfDay(), b.startOfDay());
}

void TRateHistoryForm::zoomBy(double factor, const QDate &centre)
{
    if (m_records.empty())
        return;
    const QDate from = viewFrom(), to = viewTo();
    const QDate c = std::clamp(centre, from, to);
    const auto scaled = [factor](qint64 days) { return static_cast<qint64>(std::llround(static_cast<double>(days) * factor)); };
    QDate a = c.addDays(-scaled(from.daysTo(c)));
    QDate b = c.addDays(scaled(c.daysTo(to)));
    // Zoomed in no further than two days.
    if (a.daysTo(b) < 2) {
        a = c.addDays(-1);
        b = c.addDays(1);
    }
    zoomTo(a, b);
}

void TRateHistoryForm::RateHistoryZoomResetClick()
{
    if (!m_records.empty())
        zoomTo(m_records.front().date, m_records.back().date);
}

void TRateHistoryForm::fitRateAxis()
{
    if (m_fitting || m_records.empty())
        return;
    m_fitting = true;
    const QDate from = viewFrom(), to = viewTo();
    const qint64 days = from.daysTo(to);
    m_axisX->setFormat(days > 730 ? QStringLiteral("MM.yyyy") : QStringLiteral("dd.MM.yyyy"));
    m_axisX->setTickCount(orvel::dayTicks(days));
    double low = 0, high = 0;
    if (orvel::rateRange(m_records, from, to, low, high)) {
        const orvel::RateAxis axis = orvel::rateAxis(low, high);
        m_axisY->setRange(axis.min, axis.max);
        m_axisY->setTickCount(axis.ticks);
        m_axisY->setLabelFormat(QStringLiteral("%.%1f").arg(axis.decimals));
    }
    m_fitting = false;
}

void TRateHistoryForm::pointAt(std::size_t i)
{
    if (i >= m_records.size())
        return;
    const RateRecord &r = m_records[i];
    m_marker->replace(QList<QPointF>{QPointF(timeOf(r.date), r.perUnit)});
    QString text = r.date.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(": ") + orvel::rateText(r.perUnit)
                   + QStringLiteral(" руб. за 1 ") + m_code;
    if (r.nominal != 1)
        text += QStringLiteral(" (%1 руб. за %2)").arg(orvel::rateText(r.value)).arg(r.nominal);
    RateHistoryReadout->setText(text);
}

orvel::ExportDocument TRateHistoryForm::document() const
{
    orvel::ExportDocument d;
    d.title = m_chart->title();
    d.name = QStringLiteral("Динамика курса");
    const QString period = m_records.front().date.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" – ")
                           + m_records.back().date.toString(QStringLiteral("dd.MM.yyyy"));
    d.inputs.push_back({QStringLiteral("Период"), {period}});
    orvel::ExportTable table;
    table.columns = {{QStringLiteral("Дата"), orvel::ColumnKind::Date},
                     {QStringLiteral("Номинал"), orvel::ColumnKind::Integer},
                     {QStringLiteral("Курс"), orvel::ColumnKind::Number},
                     {QStringLiteral("Курс за 1 единицу"), orvel::ColumnKind::Number}};
    table.rows.reserve(m_records.size());
    for (const RateRecord &r : m_records)
        table.rows.push_back({{r.date, std::int64_t(r.nominal), r.value, r.perUnit}});
    d.tables.push_back(std::move(table));
    d.notes << RateHistoryFigures->text();
    QChartView *view = RateHistoryChart;
    d.chart = [view](QPainter &painter, const QRectF &target) {
        view->render(&painter, target, QRect(), Qt::KeepAspectRatio);
    };
    d.chartSize = view->size();
    d.workbookCharts.push_back({orvel::WorkbookChart::Line, m_chart->title(), 0, 0, QString(), {{3}}});
    return d;
}

void TRateHistoryForm::saveAs(orvel::ExportFormat format, const char *dialogName, const QString &suffix)
{
    if (m_records.empty())
        return;
    const QString fileName = QStringLiteral("%1_%2_%3.%4")
                                 .arg(m_code, m_records.front().date.toString(Qt::ISODate),
                                      m_records.back().date.toString(Qt::ISODate), suffix);
    const QString path = orvel::askExportPath(this, format, QString::fromLatin1(dialogName), fileName);
    if (!path.isEmpty())
        orvel::saveDocument(path, document(), format);
}

void TRateHistoryForm::RateHistoryCsvClick()
{
    saveAs(orvel::ExportFormat::Csv, "RateHistoryCsvDialog", QStringLiteral("csv"));
}

void TRateHistoryForm::RateHistoryPngClick()
{
    saveAs(orvel::ExportFormat::Png, "RateHistoryPngDialog", QStringLiteral("png"));
}
