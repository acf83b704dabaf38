#include "ui/schedule/TScheduleForm.h"

#include "calc/Numbers.h"
#include "ui/ErrorBox.h"
#include "ui/export/Export.h"
#include "ui/schedule/ScheduleChart.h"
#include "ui/schedule/ScheduleFiles.h"
#include "ui/schedule/ScheduleModel.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using orvel::named;

namespace {

QString notePalette(bool error) { return error ? QStringLiteral("color: #b00020;") : QStringLiteral("color: #606060;"); }

} // namespace

TScheduleForm::TScheduleForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ScheduleForm"));
    setWindowTitle(QStringLiteral("График платежей"));
    resize(1180, 780);

    auto *main = new QVBoxLayout(this);
    ScheduleInputs = named(new QLabel(this), "ScheduleInputs");
    ScheduleInputs->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = ScheduleInputs->font();
    bold.setBold(true);
    ScheduleInputs->setFont(bold);
    main->addWidget(ScheduleInputs);

    auto *split = named(new QSplitter(Qt::Horizontal, this), "ScheduleSplitter");
    main->addWidget(split, 1);
    split->addWidget(buildEarlyAndSummary(split));
    split->addWidget(buildChartAndTable(split));
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({380, 800});
    main->addLayout(buildButtons());
    buildEarlyEditor();
}

// The left side: the early repayments editor over the summary.
QWidget *TScheduleForm::buildEarlyAndSummary(QWidget *parent)
{
    auto *left = new QWidget(parent);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *earlyBox = named(new QGroupBox(QStringLiteral("Досрочные погашения"), left), "EarlyBox");
    auto *earlyLayout = new QVBoxLayout(earlyBox);
    auto *scroll = new QScrollArea(earlyBox);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_earlyRows = new QWidget(scroll);
    m_earlyGrid = new QGridLayout(m_earlyRows);
    m_earlyGrid->setContentsMargins(0, 0, 0, 0);
    m_earlyGrid->setVerticalSpacing(2);
    scroll->setWidget(m_earlyRows);
    earlyLayout->addWidget(scroll, 1);
    EarlyAdd = named(new QPushButton(QStringLiteral("&Добавить"), earlyBox), "EarlyAdd");
    EarlyAdd->setToolTip(QStringLiteral("Добавить досрочное погашение (Ctrl+Ins)"));
    EarlyAdd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(EarlyAdd);
    addRow->addStretch(1);
    earlyLayout->addLayout(addRow);
    leftLayout->addWidget(earlyBox, 1);

    auto *summaryBox = named(new QGroupBox(QStringLiteral("Итоги"), left), "SummaryBox");
    auto *summaryLayout = new QVBoxLayout(summaryBox);
    ScheduleSummary = named(new QLabel(summaryBox), "ScheduleSummary");
    ScheduleSummary->setWordWrap(true);
    ScheduleSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ScheduleSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summaryLayout->addWidget(ScheduleSummary);
    leftLayout->addWidget(summaryBox);
    left->setMinimumWidth(360);
    orvel::onEvent(EarlyAdd, &QPushButton::clicked, this, [this] { EarlyAddClick(); });
    return left;
}

// The right side: the chart over the table and its totals row.
QWidget *TScheduleForm::buildChartAndTable(QWidget *parent)
{
    auto *rightSplit = named(new QSplitter(Qt::Vertical, parent), "ScheduleRightSplitter");
    m_chart = new orvel::ScheduleChart;
    ScheduleChartView = named(new QChartView(m_chart, rightSplit), "ScheduleChart");
    ScheduleChartView->setRenderHint(QPainter::Antialiasing);
    ScheduleChartView->setMinimumHeight(220);

    auto *tableArea = new QWidget(rightSplit);
    auto *tableLayout = new QVBoxLayout(tableArea);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->setSpacing(0);
    m_model = new orvel::ScheduleModel(this);
    ScheduleTable = named(new QTableView(tableArea), "ScheduleTable");
    ScheduleTable->setModel(m_model);
    ScheduleTable->verticalHeader()->hide();
    ScheduleTable->setAlternatingRowColors(true);
    ScheduleTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    ScheduleTable->setWordWrap(false);
    const int rowHeight = ScheduleTable->fontMetrics().height() + 6;
    ScheduleTable->verticalHeader()->setDefaultSectionSize(rowHeight);
    ScheduleTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *header = ScheduleTable->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(orvel::ColMonth, QHeaderView::Fixed);
    header->resizeSection(orvel::ColMonth, ScheduleTable->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    header->setMinimumSectionSize(40);
    tableLayout->addWidget(ScheduleTable, 1);
    tableLayout->addWidget(buildTotalsRow(tableArea, rowHeight));
    rightSplit->setStretchFactor(0, 1);
    rightSplit->setStretchFactor(1, 1);
    rightSplit->setSizes({340, 360});
    return rightSplit;
}

// The totals row keeps under the columns it sums, whatever their widths.
QTableView *TScheduleForm::buildTotalsRow(QWidget *parent, int rowHeight)
{
    m_totals = new orvel::ScheduleTotalsModel(this);
    ScheduleTotals = named(new QTableView(parent), "ScheduleTotals");
    ScheduleTotals->setModel(m_totals);
    ScheduleTotals->horizontalHeader()->hide();
    ScheduleTotals->verticalHeader()->hide();
    ScheduleTotals->verticalHeader()->setDefaultSectionSize(rowHeight + 2);
    ScheduleTotals->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScheduleTotals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScheduleTotals->setSelectionMode(QAbstractItemView::NoSelection);
    ScheduleTotals->setFocusPolicy(Qt::NoFocus);
    ScheduleTotals->setFixedHeight(rowHeight + 2 + 2 * ScheduleTotals->frameWidth());
    ScheduleTotals->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Stretched sections change size without a signal when the table does,
    // so the header's own resizing is watched too (and followed once it is done).
    QHeaderView *header = ScheduleTable->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &TScheduleForm::alignTotals);
    header->installEventFilter(this);
    alignTotals();
    connect(ScheduleTable->horizontalScrollBar(), &QScrollBar::valueChanged, ScheduleTotals->horizontalScrollBar(),
            &QScrollBar::setValue);
    return ScheduleTotals;
}

// The status line, "Сохранить…" with its menu, "Печать…" and "Закрыть".
QHBoxLayout *TScheduleForm::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    ScheduleStatus = named(new QLabel(this), "ScheduleStatus");
    ScheduleStatus->setStyleSheet(notePalette(false));
    ScheduleStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buttons->addWidget(ScheduleStatus, 1);
    ScheduleSave = named(new QPushButton(QStringLiteral("Сохранить…"), this), "ScheduleSave");
    auto *saveMenu = named(new QMenu(ScheduleSave), "ScheduleSaveMenu");
    ScheduleSaveXlsx = saveMenu->addAction(QStringLiteral("Книга Excel (.xlsx)…"));
    ScheduleSaveXlsx->setObjectName(QStringLiteral("ScheduleSaveXlsx"));
    ScheduleSaveCsv = saveMenu->addAction(QStringLiteral("Текст CSV (.csv)…"));
    ScheduleSaveCsv->setObjectName(QStringLiteral("ScheduleSaveCsv"));
    ScheduleSavePdf = saveMenu->addAction(QStringLiteral("Документ PDF (.pdf)…"));
    ScheduleSavePdf->setObjectName(QStringLiteral("ScheduleSavePdf"));
    ScheduleSave->setMenu(saveMenu);
    ScheduleSave->setToolTip(QStringLiteral("Сохранить график в файл (Ctrl+S)"));
    auto *saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, ScheduleSave, &QPushButton::showMenu);
    SchedulePrint = named(new QPushButton(QStringLiteral("Печать…"), this), "SchedulePrint");
    SchedulePrint->setShortcut(QKeySequence::Print);
    SchedulePrint->setToolTip(QStringLiteral("Напечатать график (Ctrl+P)"));
    ScheduleClose = named(new QPushButton(QStringLiteral("Закрыть"), this), "ScheduleClose");
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    buttons->addWidget(ScheduleSave);
    buttons->addWidget(SchedulePrint);
    buttons->addWidget(ScheduleClose);

    orvel::onEvent(ScheduleSaveXlsx, &QAction::triggered, this, [this] { ScheduleSaveXlsxClick(); });
    orvel::onEvent(ScheduleSaveCsv, &QAction::triggered, this, [this] { ScheduleSaveCsvClick(); });
    orvel::onEvent(ScheduleSavePdf, &QAction::triggered, this, [this] { ScheduleSavePdfClick(); });
    orvel::onEvent(SchedulePrint, &QPushButton::clicked, this, [this] { SchedulePrintClick(); });
    connect(ScheduleClose, &QPushButton::clicked, this, &QWidget::close);
    return buttons;
}

// The editor's column titles and the hint shown while it has no rows.
void TScheduleForm::buildEarlyEditor()
{
    for (const QString &title : {QStringLiteral("Месяц"), QStringLiteral("Сумма, ₽"), QStringLiteral("Способ")}) {
        auto *label = new QLabel(title, m_earlyRows);
        label->setStyleSheet(notePalette(false));
        m_earlyTitles.push_back(label);
    }
    m_earlyHint = named(new QLabel(QStringLiteral("Досрочных погашений нет. «Добавить» — внести сумму сверх графика."),
                                   m_earlyRows),
                        "EarlyHint");
    m_earlyHint->setStyleSheet(notePalette(false));
    m_earlyHint->setWordWrap(true);
    layOutEarlyRows();
}

void TScheduleForm::alignTotals()
{
    const QHeaderView *header = ScheduleTable->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        ScheduleTotals->setColumnWidth(c, header->sectionSize(c));
}

bool TScheduleForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ScheduleTable->horizontalHeader() && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &TScheduleForm::alignTotals, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void TScheduleForm::setLoan(double amount, double rate, int months, orvel::Repayment kind)
{
    const orvel::LoanTerms loan{amount, rate, months, kind, {}};
    orvel::loanSchedule(loan); // a loan the schedule refuses changes nothing here
    m_loan = loan;
    m_hasLoan = true;
    ScheduleInputs->setText(orvel::scheduleInputLines(orvel::makeScheduleReport(loan)).join(QStringLiteral("    ")));
    recompute();
}

void TScheduleForm::recompute()
{
    if (!m_hasLoan)
        return;
    const QLocale locale;
    orvel::LoanTerms terms = m_loan;
    std::vector<int> rowOf; // editor row of each repayment given to the schedule
    std::vector<QString> notes(m_early.size());
    std::vector<bool> errors(m_early.size(), false);
    for (std::size_t i = 0; i < m_early.size(); ++i) {
        const EarlyRow &row = m_early[i];
        const int number = int(i) + 1;
        if (row.amount->text().trimmed().isEmpty()) {
            notes[i] = QStringLiteral("Введите сумму");
            continue;
        }
        try {
            const orvel::EarlyRepayment e{row.month->value(),
                                          orvel::earlyKopecks(orvel::readAmount(row.amount->text()), number),
                                          row.mode->currentIndex() == 0 ? orvel::EarlyMode::ShortenTerm
                                                                        : orvel::EarlyMode::LowerPayment};
            orvel::checkEarlyRepayment(e, terms.months, number);
            terms.early.push_back(e);
            rowOf.push_back(int(i));
        } catch (const OrvelError &e) {
            // A repayment being typed does not stop the schedule: it is left
            // out, and its row says why.
            notes[i] = e.message();
            errors[i] = true;
        }
    }

    orvel::ScheduleReport report;
    try {
        report = orvel::makeScheduleReport(terms);
    } catch (const OrvelError &e) {
        // Only an arithmetic fault can come here (the loan itself was
        // checked when it was set): the window keeps what it showed.
        ScheduleStatus->setStyleSheet(notePalette(true));
        ScheduleStatus->setText(e.message());
        return;
    }
    for (std::size_t k = 0; k < rowOf.size(); ++k) {
        const std::size_t i = std::size_t(rowOf[k]);
        notes[i] = orvel::earlyStateText(report, k, locale);
        errors[i] = report.applied[k] == 0; // left without effect: worth noticing
    }
    for (std::size_t i = 0; i < m_early.size(); ++i) {
        QLabel *state = m_early[i].state;
        state->setText(notes[i]);
        state->setStyleSheet(notePalette(errors[i]));
        state->setVisible(!notes[i].isEmpty());
    }

    m_report = std::move(report);
    m_model->setRows(m_report.schedule.rows, locale);
    m_totals->setTotals(orvel::scheduleTotals(m_report.schedule), locale);
    ScheduleSummary->setText(orvel::scheduleSummaryLines(m_report, locale).join(QLatin1Char('\n')));
    m_chart->setSchedule(m_report.schedule, locale);
}

void TScheduleForm::EarlyAddClick()
{
    // A new repayment a year after the last one (or after the first year),
    // before the last month of the term (which pays the loan off anyway);
    // the user types its amount first.
    int month = 12;
    if (!m_early.empty())
        month = m_early.back().month->value() + 12;
    if (m_hasLoan)
        month = std::min(month, std::max(1, m_loan.months - 1));
    EarlyRow row{};
    row.month = new QSpinBox(m_earlyRows);
    row.month->setRange(1, orvel::kMaxLoanMonths);
    row.month->setValue(month);
    row.month->setToolTip(QStringLiteral("Месяц, после платежа которого вносится сумма"));
    row.amount = new QLineEdit(m_earlyRows);
    row.amount->setPlaceholderText(QStringLiteral("сумма, ₽"));
    row.mode = new QComboBox(m_earlyRows);
    row.mode->addItems({orvel::earlyModeText(orvel::EarlyMode::ShortenTerm),
                        orvel::earlyModeText(orvel::EarlyMode::LowerPayment)});
    row.remove = new QToolButton(m_earlyRows);
    row.remove->setText(QStringLiteral("✕"));
    row.remove->setToolTip(QStringLiteral("Удалить это погашение"));
    row.state = new QLabel(m_earlyRows);
    row.state->setWordWrap(true);
    row.state->hide();

    connect(row.month, &QSpinBox::valueChanged, this, [this] { orvel::runHandler(this, [this] { EarlyChange(); }); });
    connect(row.amount, &QLineEdit::textChanged, this, [this] { orvel::runHandler(this, [this] { EarlyChange(); }); });
    connect(row.mode, &QComboBox::currentIndexChanged, this,
            [this] { orvel::runHandler(this, [this] { EarlyChange(); }); });
    QToolButton *remove = row.remove;
    connect(remove, &QToolButton::clicked, this, [this, remove] {
        for (std::size_t i = 0; i < m_early.size(); ++i)
            if (m_early[i].remove == remove) {
                orvel::runHandler(this, [this, i] { EarlyRemoveClick(int(i)); });
                return;
            }
    });
    m_early.push_back(row);
    layOutEarlyRows();
    recompute();
    row.amount->setFocus();
}

void TScheduleForm::EarlyRemoveClick(int index)
{
    if (index < 0 || index >= int(m_early.size()))
        return;
    const EarlyRow row = m_early[std::size_t(index)];
    m_early.erase(m_early.begin() + index);
    for (QWidget *w : {static_cast<QWidget *>(row.month), static_cast<QWidget *>(row.amount),
                       static_cast<QWidget *>(row.mode), static_cast<QWidget *>(row.remove),
                       static_cast<QWidget *>(row.state)}) {
        // Gone at once for the user and for name lookups; deleted once the
        // click that removed it has been handled.
        w->hide();
        w->setObjectName(QString());
        w->deleteLater();
    }
    layOutEarlyRows();
    recompute();
}

void TScheduleForm::EarlyChange() { recompute(); }

void TScheduleForm::layOutEarlyRows()
{
    // Laid out again from the rows in their order, so the names follow the places.
    while (QLayoutItem *item = m_earlyGrid->takeAt(0))
        delete item;
    for (int c = 0; c < int(m_earlyTitles.size()); ++c)
        m_earlyGrid->addWidget(m_earlyTitles[std::size_t(c)], 0, c);
    for (std::size_t i = 0; i < m_early.size(); ++i) {
        const EarlyRow &row = m_early[i];
        const QString n = QString::number(i + 1);
        row.month->setObjectName(QStringLiteral("EarlyMonth") + n);
        row.amount->setObjectName(QStringLiteral("EarlyAmount") + n);
        row.mode->setObjectName(QStringLiteral("EarlyMode") + n);
        row.remove->setObjectName(QStringLiteral("EarlyRemove") + n);
        row.state->setObjectName(QStringLiteral("EarlyState") + n);
        const int r = 1 + 2 * int(i);
        m_earlyGrid->addWidget(row.month, r, 0);
        m_earlyGrid->addWidget(row.amount, r, 1);
        m_earlyGrid->addWidget(row.mode, r, 2);
        m_earlyGrid->addWidget(row.remove, r, 3);
        m_earlyGrid->addWidget(row.state, r + 1, 0, 1, 4);
    }
    m_earlyGrid->addWidget(m_earlyHint, 1 + 2 * int(m_early.size()), 0, 1, 4);
    m_earlyHint->setVisible(m_early.empty());
    m_earlyGrid->setColumnStretch(1, 1);
    for (int r = 0; r < m_earlyGrid->rowCount(); ++r)
        m_earlyGrid->setRowStretch(r, 0);
    m_earlyGrid->setRowStretch(2 + 2 * int(m_early.size()), 1);
}

orvel::ExportDocument TScheduleForm::document() const
{
    const QLocale locale;
    const orvel::LoanSchedule &schedule = m_report.schedule;
    return orvel::scheduleDocument(m_report, locale, [&schedule, locale](QPainter &p, const QRectF &r) {
        orvel::ScheduleChart::render(schedule, locale, p, r);
    });
}

void TScheduleForm::saveAs(orvel::ExportFormat format, const QString &suffix)
{
    if (!m_hasLoan)
        return;
    const QString path = orvel::askExportPath(this, format, QStringLiteral("ScheduleSaveDialog"),
                                              QStringLiteral("График платежей.") + suffix);
    if (path.isEmpty())
        return;
    ScheduleStatus->clear();
    orvel::saveDocument(path, document(), format);
    ScheduleStatus->setStyleSheet(notePalette(false));
    ScheduleStatus->setText(QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(path));
}

void TScheduleForm::ScheduleSaveXlsxClick() { saveAs(orvel::ExportFormat::Xlsx, QStringLiteral("xlsx")); }
void TScheduleForm::ScheduleSaveCsvClick() { saveAs(orvel::ExportFormat::Csv, QStringLiteral("csv")); }
void TScheduleForm::ScheduleSavePdfClick() { saveAs(orvel::ExportFormat::Pdf, QStringLiteral("pdf")); }

void TScheduleForm::SchedulePrintClick()
{
    if (m_hasLoan)
        orvel::printDocument(this, document());
}
