#include "ui/deposit/TDepositForm.h"

#include "calc/Numbers.h"
#include "rates/KeyRateStore.h"
#include "ui/deposit/DepositChart.h"
#include "ui/deposit/DepositTableModel.h"
#include "ui/ErrorBox.h"
#include "ui/export/Export.h"
#include "ui/RowsEditor.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFormLayout>
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
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

using orvel::named;

namespace {

QString notePalette(bool error)
{
    return error ? QStringLiteral("color: #b00020;") : QStringLiteral("color: #606060;");
}

enum FlowColumn { FlowDate, FlowAmount, FlowKind };

QString shownDate(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }

QLineEdit *amountField(QWidget *parent, const char *name, const QString &placeholder)
{
    auto *field = named(new QLineEdit(parent), name);
    field->setPlaceholderText(placeholder);
    return field;
}

QTableView *tableView(QWidget *parent, const char *name, QAbstractItemModel *model)
{
    auto *view = named(new QTableView(parent), name);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return view;
}

} // namespace

TDepositForm::TDepositForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("DepositForm"));
    setWindowTitle(QStringLiteral("Расчет вклада"));
    resize(1240, 860);

    auto *main = new QVBoxLayout(this);
    DepositInputs = named(new QLabel(this), "DepositInputs");
    DepositInputs->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = DepositInputs->font();
    bold.setBold(true);
    DepositInputs->setFont(bold);
    main->addWidget(DepositInputs);

    auto *split = named(new QSplitter(Qt::Horizontal, this), "DepositSplitter");
    auto *left = new QWidget(split);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(buildTerms(left));
    leftLayout->addWidget(buildFlows(left), 1);
    leftLayout->addWidget(buildSummary(left));
    left->setMinimumWidth(420);
    split->addWidget(left);
    split->addWidget(buildOutputs(split));
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({440, 800});
    main->addWidget(split, 1);
    main->addLayout(buildButtons());
    watchFields();
}

// The deposit's terms beside the tab's amount and rate.
QWidget *TDepositForm::buildTerms(QWidget *parent)
{
    auto *box = named(new QGroupBox(QStringLiteral("Условия вклада"), parent), "DepositTermsBox");
    auto *form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    DepositOpened = named(new QDateEdit(QDate::currentDate(), box), "DepositOpened");
    DepositOpened->setCalendarPopup(true);
    DepositOpened->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    form->addRow(QStringLiteral("Дата открытия:"), DepositOpened);

    auto *term = new QHBoxLayout;
    DepositTerm = amountField(box, "DepositTerm", QStringLiteral("срок"));
    DepositTermUnit = named(new QComboBox(box), "DepositTermUnit");
    DepositTermUnit->addItems({QStringLiteral("дней"), QStringLiteral("месяцев")});
    DepositCloses = named(new QLabel(box), "DepositCloses");
    DepositCloses->setStyleSheet(notePalette(false));
    term->addWidget(DepositTerm, 1);
    term->addWidget(DepositTermUnit);
    form->addRow(QStringLiteral("Срок:"), term);
    form->addRow(QStringLiteral("Дата закрытия:"), DepositCloses);

    DepositCapitalization = named(new QComboBox(box), "DepositCapitalization");
    for (const auto &[capitalization, payout] : orvel::depositModes())
        DepositCapitalization->addItem(orvel::depositModeText(capitalization, payout));
    DepositCapitalization->setToolTip(QStringLiteral("Выплата процентов или их капитализация"));
    form->addRow(QStringLiteral("Проценты:"), DepositCapitalization);

    DepositMonthlyTopUp = amountField(box, "DepositMonthlyTopUp", QStringLiteral("нет"));
    form->addRow(QStringLiteral("Ежемесячное пополнение:"), DepositMonthlyTopUp);
    DepositMinimumBalance = amountField(box, "DepositMinimumBalance", QStringLiteral("нет"));
    form->addRow(QStringLiteral("Неснижаемый остаток:"), DepositMinimumBalance);
    DepositOtherInterest = amountField(box, "DepositOtherInterest", QStringLiteral("0"));
    DepositOtherInterest->setToolTip(
        QStringLiteral("Проценты по другим вкладам за год: с ними считается необлагаемая сумма"));
    form->addRow(QStringLiteral("Проценты по другим вкладам за год:"), DepositOtherInterest);
    return box;
}

// The top-ups and withdrawals the user plans, a row each.
QWidget *TDepositForm::buildFlows(QWidget *parent)
{
    auto *box = named(new QGroupBox(QStringLiteral("Пополнения и снятия"), parent), "FlowBox");
    auto *layout = new QVBoxLayout(box);
    std::vector<orvel::RowsEditor::Column> columns{
        {QStringLiteral("Date"), QStringLiteral("Дата"),
         [](QWidget *p) {
             auto *date = new QDateEdit(p);
             date->setCalendarPopup(true);
             date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
             return date;
         }},
        orvel::RowsEditor::amountColumn(),
        {QStringLiteral("Kind"), QStringLiteral("Вид"),
         [](QWidget *p) {
             auto *kind = new QComboBox(p);
             kind->addItems({QStringLiteral("Пополнение"), QStringLiteral("Снятие")});
             return kind;
         }},
    };
    m_flows = new orvel::RowsEditor(QStringLiteral("Flow"), std::move(columns), QStringLiteral("&Добавить"),
                                    QStringLiteral("Пополнений и снятий нет. «Добавить» — внести или снять сумму."),
                                    box);
    m_flows->addButton()->setToolTip(QStringLiteral("Добавить пополнение или снятие (Ctrl+Ins)"));
    m_flows->addButton()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    // A new row a month after the last one, or a month after the opening.
    m_flows->setNewRowInit([this](int row) {
        const QDate after = row > 0 ? m_flows->fieldAs<QDateEdit>(row - 1, FlowDate)->date() : DepositOpened->date();
        m_flows->fieldAs<QDateEdit>(row, FlowDate)->setDate(after.addMonths(1));
    });
    layout->addWidget(m_flows);
    connect(m_flows, &orvel::RowsEditor::changed, this, [this] { orvel::runHandler(this, [this] { flowsEdited(); }); });
    return box;
}

QWidget *TDepositForm::buildSummary(QWidget *parent)
{
    auto *box = named(new QGroupBox(QStringLiteral("Итоги"), parent), "DepositSummaryBox");
    auto *layout = new QVBoxLayout(box);
    DepositSummary = named(new QLabel(box), "DepositSummary");
    DepositSummary->setWordWrap(true);
    DepositSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    KeyRateStatus = named(new QLabel(box), "KeyRateStatus");
    KeyRateStatus->setWordWrap(true);
    KeyRateStatus->setStyleSheet(notePalette(false));
    KeyRateStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(DepositSummary);
    layout->addWidget(KeyRateStatus);
    return box;
}

// The right side: the chart over the schedule and the tax table.
QWidget *TDepositForm::buildOutputs(QWidget *parent)
{
    auto *split = named(new QSplitter(Qt::Vertical, parent), "DepositRightSplitter");
    m_chart = new orvel::DepositChart;
    DepositChartView = named(new QChartView(m_chart, split), "DepositChart");
    DepositChartView->setRenderHint(QPainter::Antialiasing);
    DepositChartView->setMinimumHeight(200);
    split->addWidget(DepositChartView);
    split->addWidget(buildScheduleTable(split));
    split->addWidget(buildTaxTable(split));
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 3);
    split->setStretchFactor(2, 1);
    split->setSizes({300, 330, 160});
    return split;
}

QWidget *TDepositForm::buildScheduleTable(QWidget *parent)
{
    auto *area = new QWidget(parent);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The columns from the start, so the header can be laid out before a result.
    m_table = new orvel::DepositTableModel(orvel::DepositTableModel::Rows, this);
    m_table->setTable(orvel::depositScheduleTable(orvel::DepositReport{}));
    DepositTable = tableView(area, "DepositTable", m_table);
    DepositTable->setAlternatingRowColors(true);
    QHeaderView *header = DepositTable->horizontalHeader();
    header->setMinimumSectionSize(40);
    header->setSectionResizeMode(QHeaderView::Stretch);
    const QFontMetrics fm = DepositTable->fontMetrics();
    for (int c : {orvel::DepFrom, orvel::DepTo, orvel::DepDays}) {
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        header->resizeSection(c, fm.horizontalAdvance(c == orvel::DepDays ? QStringLiteral("00000")
                                                                          : QStringLiteral("00.00.0000"))
                                     + 14);
    }
    layout->addWidget(DepositTable, 1);

    // The totals row keeps under the columns it sums, whatever their widths.
    m_totals = new orvel::DepositTableModel(orvel::DepositTableModel::Totals, this);
    m_totals->setTable({QString(), m_table->table().columns, {}, {}});
    DepositTotals = tableView(area, "DepositTotals", m_totals);
    const int rowHeight = DepositTotals->verticalHeader()->defaultSectionSize();
    DepositTotals->horizontalHeader()->hide();
    DepositTotals->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DepositTotals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DepositTotals->setSelectionMode(QAbstractItemView::NoSelection);
    DepositTotals->setFocusPolicy(Qt::NoFocus);
    DepositTotals->setFixedHeight(rowHeight + 2 * DepositTotals->frameWidth());
    DepositTotals->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Stretched sections change size without a signal when the table does,
    // so the header's own resizing is watched too.
    connect(header, &QHeaderView::sectionResized, this, &TDepositForm::alignTotals);
    header->installEventFilter(this);
    connect(DepositTable->horizontalScrollBar(), &QScrollBar::valueChanged, DepositTotals->horizontalScrollBar(),
            &QScrollBar::setValue);
    layout->addWidget(DepositTotals);
    return area;
}

QWidget *TDepositForm::buildTaxTable(QWidget *parent)
{
    auto *area = new QWidget(parent);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Налог на доход по вкладам (НДФЛ)"), area));
    m_tax = new orvel::DepositTableModel(orvel::DepositTableModel::Rows, this);
    m_tax->setTable(orvel::depositTaxTable(orvel::DepositResult{}, QDate()));
    DepositTaxTable = tableView(area, "DepositTaxTable", m_tax);
    QHeaderView *header = DepositTaxTable->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    // A few rows: the notes wrap, and each row is as tall as its note.
    DepositTaxTable->setWordWrap(true);
    DepositTaxTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(DepositTaxTable, 1);
    return area;
}

// The status line, "Сохранить…" with its menu, "Печать…" and "Закрыть".
QLayout *TDepositForm::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    DepositStatus = named(new QLabel(this), "DepositStatus");
    DepositStatus->setWordWrap(true);
    DepositStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buttons->addWidget(DepositStatus, 1);
    DepositSave = named(new QPushButton(QStringLiteral("Сохранить…"), this), "DepositSave");
    auto *saveMenu = named(new QMenu(DepositSave), "DepositSaveMenu");
    DepositSaveXlsx = saveMenu->addAction(QStringLiteral("Книга Excel (.xlsx)…"));
    DepositSaveXlsx->setObjectName(QStringLiteral("DepositSaveXlsx"));
    DepositSaveCsv = saveMenu->addAction(QStringLiteral("Текст CSV (.csv)…"));
    DepositSaveCsv->setObjectName(QStringLiteral("DepositSaveCsv"));
    DepositSavePdf = saveMenu->addAction(QStringLiteral("Документ PDF (.pdf)…"));
    DepositSavePdf->setObjectName(QStringLiteral("DepositSavePdf"));
    DepositSave->setMenu(saveMenu);
    DepositSave->setToolTip(QStringLiteral("Сохранить расчет в файл (Ctrl+S)"));
    auto *saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, DepositSave, [this] {
        if (DepositSave->isEnabled())
            DepositSave->showMenu();
    });
    DepositPrint = named(new QPushButton(QStringLiteral("Печать…"), this), "DepositPrint");
    DepositPrint->setShortcut(QKeySequence::Print);
    DepositPrint->setToolTip(QStringLiteral("Напечатать расчет (Ctrl+P)"));
    DepositClose = named(new QPushButton(QStringLiteral("Закрыть"), this), "DepositClose");
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    buttons->addWidget(DepositSave);
    buttons->addWidget(DepositPrint);
    buttons->addWidget(DepositClose);
    DepositSave->setEnabled(false);
    DepositPrint->setEnabled(false);

    orvel::onEvent(DepositSaveXlsx, &QAction::triggered, this, [this] { DepositSaveXlsxClick(); });
    orvel::onEvent(DepositSaveCsv, &QAction::triggered, this, [this] { DepositSaveCsvClick(); });
    orvel::onEvent(DepositSavePdf, &QAction::triggered, this, [this] { DepositSavePdfClick(); });
    orvel::onEvent(DepositPrint, &QPushButton::clicked, this, [this] { DepositPrintClick(); });
    connect(DepositClose, &QPushButton::clicked, this, &QWidget::close);
    return buttons;
}

void TDepositForm::watchFields()
{
    const auto changed = [this] { requestRecompute(); };
    connect(DepositOpened, &QDateEdit::dateChanged, this, changed);
    for (QLineEdit *field : {DepositTerm, DepositMonthlyTopUp, DepositMinimumBalance, DepositOtherInterest})
        connect(field, &QLineEdit::textChanged, this, changed);
    for (QComboBox *box : {DepositTermUnit, DepositCapitalization})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
}

void TDepositForm::alignTotals()
{
    const QHeaderView *header = DepositTable->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        DepositTotals->setColumnWidth(c, header->sectionSize(c));
}

bool TDepositForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DepositTable->horizontalHeader() && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &TDepositForm::alignTotals, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void TDepositForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The kept key rate is used at once; a newer one recalculates when it comes.
    if (m_store)
        m_store->refresh(QDate::currentDate());
}

void TDepositForm::setDeposit(double amount, double rate, double days, bool compound)
{
    m_amount = amount;
    m_rate = rate;
    m_hasDeposit = true;
    DepositInputs->setText(orvel::depositHeadline(amount, rate));
    DepositTerm->setText(orvel::showAmount(days));
    DepositTermUnit->setCurrentIndex(0);
    // Simple interest is paid at the end; compound interest is capitalized monthly.
    DepositCapitalization->setCurrentIndex(compound ? 3 : 0);
    m_dirty = true;
    recompute();
}

void TDepositForm::setKeyRateStore(orvel::KeyRateStore *store)
{
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = store;
    if (!store)
        return;
    connect(store, &orvel::KeyRateStore::updated, this, &TDepositForm::requestRecompute);
    connect(store, &orvel::KeyRateStore::finished, this, &TDepositForm::requestRecompute);
    requestRecompute();
}

void TDepositForm::requestRecompute()
{
    m_dirty = true;
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            orvel::runHandler(this, [this] { recompute(); });
        },
        Qt::QueuedConnection);
}

// The rows edited since the last time are read again; the rest keep what
// they were read as.
void TDepositForm::flowsEdited()
{
    m_flowStates.resize(std::size_t(m_flows->count()));
    for (int row : m_flows->rowsChanged()) {
        if (row >= m_flows->count())
            continue;
        m_flowStates[std::size_t(row)] =
            orvel::readFlow(m_flows->fieldAs<QDateEdit>(row, FlowDate)->date(),
                            m_flows->fieldAs<QLineEdit>(row, FlowAmount)->text(),
                            m_flows->fieldAs<QComboBox>(row, FlowKind)->currentIndex() == 1);
    }
    m_dirty = true;
    calculate();
}

orvel::DepositReport TDepositForm::readTerms() const
{
    orvel::DepositReport r;
    orvel::DepositTerms &t = r.terms;
    t.amount = orvel::depositKopecks(m_amount);
    t.rate = m_rate;
    t.opened = DepositOpened->date();
    r.termInMonths = DepositTermUnit->currentIndex() == 1;
    r.term = orvel::readDepositTerm(DepositTerm->text(), r.termInMonths);
    t.closes = orvel::depositCloses(t.opened, r.term, r.termInMonths);
    const auto mode = orvel::depositModes().at(std::size_t(std::max(0, DepositCapitalization->currentIndex())));
    t.capitalization = mode.first;
    t.payout = mode.second;
    t.minimumBalance = orvel::depositKopecks(
        orvel::readDepositField(DepositMinimumBalance->text(), QStringLiteral("Неснижаемый остаток")));
    t.otherInterestPerYear = orvel::depositKopecks(
        orvel::readDepositField(DepositOtherInterest->text(), QStringLiteral("Проценты по другим вкладам")));
    const double topUp = orvel::readDepositField(DepositMonthlyTopUp->text(), QStringLiteral("Ежемесячное пополнение"));
    if (topUp != 0) {
        r.monthlyTopUp = orvel::depositKopecks(topUp);
        t.flows = orvel::monthlyTopUps(t.opened, t.closes, r.monthlyTopUp);
        r.topUpCount = t.flows.size();
    }
    if (m_store) {
        r.keyRateKnownUntil = m_store->current().history.knownUntil;
        r.keyRateStatus = m_store->statusText();
        r.keyRateError = m_store->lastError();
    }
    return r;
}

void TDepositForm::recompute()
{
    // Rows the editor has not reported yet are read when it does, and the
    // calculation is made then.
    if (m_flows->rowsChanged().empty())
        calculate();
}

void TDepositForm::calculate()
{
    if (!m_dirty || !m_hasDeposit)
        return;
    m_dirty = false;
    if (m_store)
        KeyRateStatus->setText(m_store->statusText());
    std::vector<orvel::FlowState> states = m_flowStates;
    orvel::DepositReport report;
    try {
        report = readTerms();
    } catch (const OrvelError &e) {
        DepositCloses->clear();
        showProblem(e.message());
        return;
    }
    DepositCloses->setText(shownDate(report.terms.closes));
    try {
        std::vector<int> rowOf;
        for (std::size_t i = 0; i < states.size(); ++i)
            if (states[i].flow) {
                report.terms.flows.push_back(*states[i].flow);
                rowOf.push_back(int(i));
            }
        const orvel::KeyRateHistory none;
        report.result = orvel::depositLeavingOut(report.terms, report.topUpCount, rowOf, states,
                                                 m_store ? m_store->current().history : none);
        showFlowStates(states);
        showReport(std::move(report));
    } catch (const OrvelError &e) {
        // A calculation the fields do not allow yet: the rows say what
        // they can, the status line says why, the last result stays.
        showFlowStates(states);
        showProblem(e.message());
    }
}

// Rows added or removed in this turn are read when the editor reports them.
void TDepositForm::showFlowStates(const std::vector<orvel::FlowState> &states)
{
    const std::size_t rows = std::min(states.size(), std::size_t(m_flows->count()));
    for (std::size_t i = 0; i < rows; ++i)
        m_flows->setNote(int(i), states[i].note, states[i].error);
}

void TDepositForm::showReport(orvel::DepositReport report)
{
    const QLocale locale;
    const QStringList summary = orvel::depositSummaryLines(report, locale); // may throw: nothing shown changes
    m_report = std::move(report);
    m_current = true;
    orvel::ExportTable schedule = orvel::depositScheduleTable(m_report);
    m_totals->setTable({schedule.title, schedule.columns, {}, schedule.totals}, locale);
    m_table->setTable(std::move(schedule), locale);
    m_tax->setTable(orvel::depositTaxTable(m_report.result, m_report.keyRateKnownUntil), locale);
    DepositSummary->setText(summary.join(QLatin1Char('\n')));
    m_chart->setSchedule(m_report.terms, m_report.result, locale);
    showStatus(QString(), false);
    DepositSave->setEnabled(true);
    DepositPrint->setEnabled(true);
}

void TDepositForm::showProblem(const QString &text)
{
    m_current = false;
    showStatus(text + QStringLiteral(". Расчет не обновлен."), true);
    DepositSave->setEnabled(false);
    DepositPrint->setEnabled(false);
}

void TDepositForm::showStatus(const QString &text, bool error)
{
    DepositStatus->setStyleSheet(notePalette(error));
    DepositStatus->setText(text);
}

orvel::ExportDocument TDepositForm::document(bool paper) const
{
    const QLocale locale;
    const orvel::DepositReport &report = m_report;
    const orvel::ChartPainter chart = [&report, locale](QPainter &p, const QRectF &r) {
        orvel::DepositChart::render(report.terms, report.result, locale, p, r);
    };
    orvel::ExportDocument d = orvel::depositDocument(report, paper, locale, chart);
    d.chartSize = DepositChartView->size();
    return d;
}

void TDepositForm::saveAs(orvel::ExportFormat format, const QString &suffix)
{
    if (!m_current)
        return;
    const QString path = orvel::askExportPath(this, format, QStringLiteral("DepositSaveDialog"),
                                              QStringLiteral("Расчет вклада.") + suffix);
    if (path.isEmpty())
        return;
    showStatus(QString(), false);
    orvel::saveDocument(path, document(format == orvel::ExportFormat::Pdf), format);
    showStatus(QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(path), false);
}

void TDepositForm::DepositSaveXlsxClick() { saveAs(orvel::ExportFormat::Xlsx, QStringLiteral("xlsx")); }
void TDepositForm::DepositSaveCsvClick() { saveAs(orvel::ExportFormat::Csv, QStringLiteral("csv")); }
void TDepositForm::DepositSavePdfClick() { saveAs(orvel::ExportFormat::Pdf, QStringLiteral("pdf")); }

void TDepositForm::DepositPrintClick()
{
    if (m_current)
        orvel::printDocument(this, document(true));
}
