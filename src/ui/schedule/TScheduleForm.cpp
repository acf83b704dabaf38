#include "ui/schedule/TScheduleForm.h"

#include "calc/Numbers.h"
#include "ui/ErrorBox.h"
#include "ui/RowsEditor.h"
#include "ui/export/Export.h"
#include "ui/schedule/ScheduleChart.h"
#include "ui/schedule/ScheduleFiles.h"
#include "ui/schedule/ScheduleModel.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

using orvel::named;

namespace {

QString notePalette(bool error) { return error ? QStringLiteral("color: #b00020;") : QStringLiteral("color: #606060;"); }

// The early repayments editor's columns.
enum EarlyColumn { kEarlyMonth, kEarlyAmount, kEarlyMode };

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
}

// The left side: the early repayments editor over the summary.
QWidget *TScheduleForm::buildEarlyAndSummary(QWidget *parent)
{
    auto *left = new QWidget(parent);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *earlyBox = named(new QGroupBox(QStringLiteral("Досрочные погашения"), left), "EarlyBox");
    auto *earlyLayout = new QVBoxLayout(earlyBox);
    earlyLayout->addWidget(buildEarlyEditor(earlyBox));
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
    return left;
}

// The rows of the early repayments: month, amount, mode. A new row comes a
// year after the last one (or after the first year), before the last month
// of the term (which pays the loan off anyway); the user types its amount
// first.
orvel::RowsEditor *TScheduleForm::buildEarlyEditor(QWidget *parent)
{
    std::vector<orvel::RowsEditor::Column> columns{
        {QStringLiteral("Month"), QStringLiteral("Месяц"),
         [](QWidget *p) {
             auto *month = new QSpinBox(p);
             month->setRange(1, orvel::kMaxLoanMonths);
             month->setToolTip(QStringLiteral("Месяц, после платежа которого вносится сумма"));
             return month;
         }},
        orvel::RowsEditor::amountColumn(),
        {QStringLiteral("Mode"), QStringLiteral("Способ"),
         [](QWidget *p) {
             auto *mode = new QComboBox(p);
             mode->addItems({orvel::earlyModeText(orvel::EarlyMode::ShortenTerm),
                             orvel::earlyModeText(orvel::EarlyMode::LowerPayment)});
             return mode;
         }},
    };
    m_early = new orvel::RowsEditor(QStringLiteral("Early"), std::move(columns), QStringLiteral("&Добавить"),
                                    QStringLiteral("Досрочных погашений нет. «Добавить» — внести сумму сверх графика."),
                                    parent);
    m_early->setRemoveToolTip(QStringLiteral("Удалить это погашение"));
    m_early->setNewRowInit([this](int row) {
        int month = 12;
        if (row > 0)
            month = m_early->fieldAs<QSpinBox>(row - 1, kEarlyMonth)->value() + 12;
        if (m_hasLoan)
            month = std::min(month, std::max(1, m_loan.months - 1));
        m_early->fieldAs<QSpinBox>(row, kEarlyMonth)->setValue(month);
    });
    EarlyAdd = m_early->addButton();
    EarlyAdd->setToolTip(QStringLiteral("Добавить досрочное погашение (Ctrl+Ins)"));
    EarlyAdd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    orvel::onEvent(m_early, &orvel::RowsEditor::changed, this, [this] { EarlyChange(); });
    return m_early;
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

int TScheduleForm::earlyCount() const { return m_early->count(); }

void TScheduleForm::readEarly(orvel::LoanTerms &terms, std::vector<int> &rowOf)
{
    for (int i = 0; i < m_early->count(); ++i) {
        const int number = i + 1;
        const QString amount = m_early->fieldAs<QLineEdit>(i, kEarlyAmount)->text();
        if (amount.trimmed().isEmpty()) {
            m_early->setNote(i, QStringLiteral("Введите сумму"), false);
            continue;
        }
        try {
            const orvel::EarlyRepayment e{m_early->fieldAs<QSpinBox>(i, kEarlyMonth)->value(),
                                          orvel::earlyKopecks(orvel::readAmount(amount), number),
                                          m_early->fieldAs<QComboBox>(i, kEarlyMode)->currentIndex() == 0
                                              ? orvel::EarlyMode::ShortenTerm
                                              : orvel::EarlyMode::LowerPayment};
            orvel::checkEarlyRepayment(e, terms.months, number);
            terms.early.push_back(e);
            rowOf.push_back(i);
        } catch (const OrvelError &e) {
            // A repayment being typed does not stop the schedule: it is left
            // out, and its row says why.
            m_early->setNote(i, e.message(), true);
        }
    }
}

void TScheduleForm::recompute()
{
    if (!m_hasLoan)
        return;
    const QLocale locale;
    orvel::LoanTerms terms = m_loan;
    std::vector<int> rowOf; // editor row of each repayment given to the schedule
    readEarly(terms, rowOf);

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
    // A note is set again only where it changed.
    for (std::size_t k = 0; k < rowOf.size(); ++k)
        m_early->setNote(rowOf[k], orvel::earlyStateText(report, k, locale),
                         report.applied[k] == 0); // left without effect: worth noticing

    m_report = std::move(report);
    m_model->setRows(m_report.schedule.rows, locale);
    m_totals->setTotals(orvel::scheduleTotals(m_report.schedule), locale);
    ScheduleSummary->setText(orvel::scheduleSummaryLines(m_report, locale).join(QLatin1Char('\n')));
    m_chart->setSchedule(m_report.schedule, locale);
}

void TScheduleForm::EarlyAddClick() { EarlyAdd->click(); }

void TScheduleForm::EarlyRemoveClick(int index) { m_early->removeRow(index); }

void TScheduleForm::EarlyChange() { recompute(); }

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
