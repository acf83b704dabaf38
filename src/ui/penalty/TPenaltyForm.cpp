#include "ui/penalty/TPenaltyForm.h"

#include "calc/Numbers.h"
#include "rates/KeyRateStore.h"
#include "ui/ErrorBox.h"
#include "ui/export/Export.h"
#include "ui/penalty/PenaltyChart.h"
#include "ui/penalty/PenaltyFiles.h"
#include "ui/penalty/PenaltyModel.h"
#include "ui/RowsEditor.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
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
#include <QRegularExpression>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

using orvel::named;

namespace {

QString notePalette(bool error) { return error ? QStringLiteral("color: #b00020;") : QStringLiteral("color: #606060;"); }

// The editors' columns.
constexpr int kDebtAmount = 0, kDebtDue = 1;
constexpr int kPaymentDate = 0, kPaymentAmount = 1;

QDateEdit *dateEdit(QWidget *parent)
{
    auto *edit = new QDateEdit(parent);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    edit->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    return edit;
}

// An amount typed into a debt or a payment, in kopecks.
std::int64_t entryKopecks(const QString &text)
{
    const double roubles = orvel::readAmount(text);
    const OrvelError range(QStringLiteral("сумма должна быть больше 0 и не больше 100 млрд"));
    if (!(roubles > 0 && roubles <= double(orvel::kMaxPenaltyKopecks) / 100))
        throw range;
    const std::int64_t kopecks = orvel::kopecksOf(roubles);
    if (kopecks <= 0)
        throw range; // less than half a kopeck
    return kopecks;
}

} // namespace

TPenaltyForm::TPenaltyForm(orvel::KeyRateStore *store, QWidget *parent) : QWidget(parent, Qt::Window), m_store(store)
{
    setObjectName(QStringLiteral("PenaltyForm"));
    setWindowTitle(QStringLiteral("Пени и проценты"));
    resize(1280, 800);

    auto *main = new QVBoxLayout(this);
    main->addWidget(buildInputs(this));
    auto *split = named(new QSplitter(Qt::Horizontal, this), "PenaltySplitter");
    main->addWidget(split, 1);
    auto *left = new QWidget(split);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(buildDebts(left), 1);
    leftLayout->addWidget(buildPayments(left), 1);
    left->setMinimumWidth(300);
    split->addWidget(left);
    split->addWidget(buildResults(split));
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({310, 970});
    main->addLayout(buildButtons());

    KeyRateStatus->setText(m_store->statusText());
    connect(m_store, &orvel::KeyRateStore::updated, this, [this] { orvel::runHandler(this, [this] { KeyRateChange(); }); });
    connect(m_store, &orvel::KeyRateStore::finished, this, [this] { orvel::runHandler(this, [this] { KeyRateChange(); }); });
    PenaltyKindChange();
    Debts->addRow([this](int row) { Debts->fieldAs<QDateEdit>(row, kDebtDue)->setDate(QDate::currentDate().addMonths(-1)); });
    DebtsChange();
}

// The kind, the last day counted and the moratorium, in a row over the rest.
QWidget *TPenaltyForm::buildInputs(QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    PenaltyKind = named(new QComboBox(row), "PenaltyKind");
    for (orvel::PenaltyKind kind : {orvel::PenaltyKind::TaxPerson, orvel::PenaltyKind::TaxOrganisation,
                                    orvel::PenaltyKind::CivilCode395})
        PenaltyKind->addItem(orvel::penaltyKindText(kind), int(kind));
    PenaltyUntil = named(dateEdit(row), "PenaltyUntil");
    PenaltyUntil->setDate(QDate::currentDate());
    PenaltyUntil->setToolTip(QStringLiteral("Последний день, за который начисляются пени"));
    PenaltyMoratorium = named(new QCheckBox(QStringLiteral("Мораторий 2022 года"), row), "PenaltyMoratorium");
    PenaltyMoratorium->setToolTip(QStringLiteral("Постановление Правительства РФ № 497: без процентов с 01.04.2022 "
                                                 "по 01.10.2022 на долги, возникшие до 01.04.2022"));
    auto *kindLabel = new QLabel(QStringLiteral("&Расчет:"), row);
    kindLabel->setBuddy(PenaltyKind);
    auto *untilLabel = new QLabel(QStringLiteral("Рассчитать &по:"), row);
    untilLabel->setBuddy(PenaltyUntil);
    layout->addWidget(kindLabel);
    layout->addWidget(PenaltyKind);
    layout->addSpacing(16);
    layout->addWidget(untilLabel);
    layout->addWidget(PenaltyUntil);
    layout->addSpacing(16);
    layout->addWidget(PenaltyMoratorium);
    layout->addStretch(1);

    orvel::onEvent(PenaltyKind, &QComboBox::currentIndexChanged, this, [this] { PenaltyKindChange(); });
    orvel::onEvent(PenaltyUntil, &QDateEdit::dateChanged, this, [this] { PenaltyInputChange(); });
    orvel::onEvent(PenaltyMoratorium, &QCheckBox::toggled, this, [this] { PenaltyInputChange(); });
    return row;
}

QWidget *TPenaltyForm::buildDebts(QWidget *parent)
{
    auto *box = named(new QGroupBox(QStringLiteral("Долги"), parent), "DebtBox");
    auto *layout = new QVBoxLayout(box);
    Debts = new orvel::RowsEditor(
        QStringLiteral("Debt"),
        {orvel::RowsEditor::amountColumn(),
         {QStringLiteral("Due"), QStringLiteral("Срок уплаты"), [](QWidget *p) { return dateEdit(p); }}},
        QStringLiteral("Добавить долг"), QStringLiteral("Долгов нет. «Добавить долг» — внести сумму и срок уплаты."),
        box);
    Debts->setObjectName(QStringLiteral("DebtEditor"));
    // A new debt due a month after the one before, the first a month ago.
    Debts->setNewRowInit([this](int row) {
        const QDate due = row > 0 ? Debts->fieldAs<QDateEdit>(row - 1, kDebtDue)->date().addMonths(1)
                                  : QDate::currentDate().addMonths(-1);
        Debts->fieldAs<QDateEdit>(row, kDebtDue)->setDate(due);
    });
    layout->addWidget(Debts);
    orvel::onEvent(Debts, &orvel::RowsEditor::changed, this, [this] { DebtsChange(); });
    return box;
}

QWidget *TPenaltyForm::buildPayments(QWidget *parent)
{
    auto *box = named(new QGroupBox(QStringLiteral("Платежи"), parent), "PaymentBox");
    auto *layout = new QVBoxLayout(box);
    Payments = new orvel::RowsEditor(
        QStringLiteral("Payment"),
        {{QStringLiteral("Date"), QStringLiteral("Дата"), [](QWidget *p) { return dateEdit(p); }},
         orvel::RowsEditor::amountColumn()},
        QStringLiteral("Добавить платеж"),
        QStringLiteral("Платежей нет. Платежи гасят долги начиная с самого раннего срока уплаты."), box);
    Payments->setObjectName(QStringLiteral("PaymentEditor"));
    // A new payment a month after the one before, the first on the last day counted.
    Payments->setNewRowInit([this](int row) {
        const QDate date = row > 0 ? Payments->fieldAs<QDateEdit>(row - 1, kPaymentDate)->date().addMonths(1)
                                   : PenaltyUntil->date();
        Payments->fieldAs<QDateEdit>(row, kPaymentDate)->setDate(date);
    });
    layout->addWidget(Payments);
    orvel::onEvent(Payments, &orvel::RowsEditor::changed, this, [this] { PaymentsChange(); });
    return box;
}

// The right side: the chart over the status line, the table and the totals.
QWidget *TPenaltyForm::buildResults(QWidget *parent)
{
    auto *split = named(new QSplitter(Qt::Vertical, parent), "PenaltyRightSplitter");
    m_chart = new orvel::PenaltyChart;
    PenaltyChartView = named(new QChartView(m_chart, split), "PenaltyChart");
    PenaltyChartView->setRenderHint(QPainter::Antialiasing);
    PenaltyChartView->setMinimumHeight(220);

    auto *area = new QWidget(split);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    PenaltyStatus = named(new QLabel(area), "PenaltyStatus");
    PenaltyStatus->setWordWrap(true);
    PenaltyStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PenaltyStatus->hide();
    layout->addWidget(PenaltyStatus);
    m_model = new orvel::PenaltyModel(this);
    PenaltyTable = named(new QTableView(area), "PenaltyTable");
    PenaltyTable->setModel(m_model);
    PenaltyTable->verticalHeader()->hide();
    PenaltyTable->setAlternatingRowColors(true);
    PenaltyTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    PenaltyTable->setWordWrap(false);
    const QFontMetrics fm = PenaltyTable->fontMetrics();
    PenaltyTable->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    PenaltyTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Widths from the widest texts a column holds and its title, not from
    // its rows: those may be thousands, and measuring them at each key would
    // cost.
    QHeaderView *header = PenaltyTable->horizontalHeader();
    const QString widest[orvel::PenColCount] = {QStringLiteral("000"),        QStringLiteral("00.00.0000"),
                                                QStringLiteral("00.00.0000"), QStringLiteral("00 000"),
                                                QStringLiteral("000 000 000,00"), QStringLiteral("00,00 %"),
                                                QStringLiteral("1/300"),      QString(),
                                                QStringLiteral("000 000 000,00")};
    for (int c = 0; c < orvel::PenColCount; ++c) {
        const QString title = orvel::penaltyColumnTitle(c, orvel::PenaltyKind::CivilCode395);
        header->resizeSection(c, std::max(fm.horizontalAdvance(widest[c]), header->fontMetrics().horizontalAdvance(title))
                                     + 20);
    }
    header->setSectionResizeMode(orvel::PenColFormula, QHeaderView::Stretch);
    header->setMinimumSectionSize(40);
    layout->addWidget(PenaltyTable, 1);

    auto *totals = new QScrollArea(area);
    totals->setWidgetResizable(true);
    totals->setFrameShape(QFrame::NoFrame);
    PenaltyTotal = named(new QLabel(totals), "PenaltyTotal");
    PenaltyTotal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    PenaltyTotal->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont bold = PenaltyTotal->font();
    bold.setBold(true);
    PenaltyTotal->setFont(bold);
    totals->setWidget(PenaltyTotal);
    totals->setMaximumHeight(5 * PenaltyTotal->fontMetrics().lineSpacing() + 8);
    totals->setMinimumHeight(2 * PenaltyTotal->fontMetrics().lineSpacing() + 8);
    layout->addWidget(totals);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({330, 400});
    return split;
}

// Where the key rate came from, "Сохранить…" with its menu, "Печать…" and "Закрыть".
QHBoxLayout *TPenaltyForm::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    KeyRateStatus = named(new QLabel(this), "KeyRateStatus");
    KeyRateStatus->setStyleSheet(notePalette(false));
    KeyRateStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    KeyRateStatus->setWordWrap(true);
    buttons->addWidget(KeyRateStatus, 1);
    PenaltySave = named(new QPushButton(QStringLiteral("Сохранить…"), this), "PenaltySave");
    auto *saveMenu = named(new QMenu(PenaltySave), "PenaltySaveMenu");
    PenaltySaveXlsx = saveMenu->addAction(QStringLiteral("Книга Excel (.xlsx)…"));
    PenaltySaveXlsx->setObjectName(QStringLiteral("PenaltySaveXlsx"));
    PenaltySaveCsv = saveMenu->addAction(QStringLiteral("Текст CSV (.csv)…"));
    PenaltySaveCsv->setObjectName(QStringLiteral("PenaltySaveCsv"));
    PenaltySavePdf = saveMenu->addAction(QStringLiteral("Документ PDF (.pdf)…"));
    PenaltySavePdf->setObjectName(QStringLiteral("PenaltySavePdf"));
    PenaltySave->setMenu(saveMenu);
    PenaltySave->setToolTip(QStringLiteral("Сохранить расчет в файл (Ctrl+S)"));
    auto *saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, PenaltySave, [this] {
        if (PenaltySave->isEnabled())
            PenaltySave->showMenu();
    });
    PenaltyPrint = named(new QPushButton(QStringLiteral("Печать…"), this), "PenaltyPrint");
    PenaltyPrint->setShortcut(QKeySequence::Print);
    PenaltyPrint->setToolTip(QStringLiteral("Напечатать расчет (Ctrl+P)"));
    PenaltyClose = named(new QPushButton(QStringLiteral("Закрыть"), this), "PenaltyClose");
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    buttons->addWidget(PenaltySave);
    buttons->addWidget(PenaltyPrint);
    buttons->addWidget(PenaltyClose);

    orvel::onEvent(PenaltySaveXlsx, &QAction::triggered, this, [this] { PenaltySaveXlsxClick(); });
    orvel::onEvent(PenaltySaveCsv, &QAction::triggered, this, [this] { PenaltySaveCsvClick(); });
    orvel::onEvent(PenaltySavePdf, &QAction::triggered, this, [this] { PenaltySavePdfClick(); });
    orvel::onEvent(PenaltyPrint, &QPushButton::clicked, this, [this] { PenaltyPrintClick(); });
    connect(PenaltyClose, &QPushButton::clicked, this, &QWidget::close);
    return buttons;
}

void TPenaltyForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The kept data serves at once; a newer answer updates the window.
    orvel::runHandler(this, [this] { m_store->refresh(QDate::currentDate()); });
}

void TPenaltyForm::offerTaxAmount(double amount)
{
    if (!(amount > 0))
        return;
    if (Debts->count() == 0)
        Debts->addRow([this](int row) {
            Debts->fieldAs<QDateEdit>(row, kDebtDue)->setDate(QDate::currentDate().addMonths(-1));
        });
    auto *field = Debts->fieldAs<QLineEdit>(0, kDebtAmount);
    if (!field->text().trimmed().isEmpty() && field->text() != m_offered)
        return; // the user's own amount
    m_offered = orvel::showAmount(amount);
    field->setText(m_offered);
}

void TPenaltyForm::PenaltyKindChange()
{
    PenaltyMoratorium->setVisible(PenaltyKind->currentData().toInt() == int(orvel::PenaltyKind::CivilCode395));
    recompute();
}

void TPenaltyForm::PenaltyInputChange() { recompute(); }

void TPenaltyForm::DebtsChange()
{
    readRows(Debts, m_debts, kDebtAmount, kDebtDue);
    recompute();
}

void TPenaltyForm::PaymentsChange()
{
    readRows(Payments, m_payments, kPaymentAmount, kPaymentDate);
    recompute();
}

void TPenaltyForm::KeyRateChange()
{
    KeyRateStatus->setText(m_store->statusText());
    recompute();
}

// Reads again only the rows added or edited since the last change.
void TPenaltyForm::readRows(orvel::RowsEditor *editor, std::vector<Entry> &entries, int amountColumn, int dateColumn)
{
    entries.resize(std::size_t(editor->count()));
    for (int row : editor->rowsChanged()) {
        if (row >= editor->count())
            continue;
        Entry &e = entries[std::size_t(row)];
        const QString text = editor->fieldAs<QLineEdit>(row, amountColumn)->text();
        e = Entry{};
        e.date = editor->fieldAs<QDateEdit>(row, dateColumn)->date();
        if (text.trimmed().isEmpty()) {
            e.note = {QStringLiteral("Введите сумму"), false};
            continue;
        }
        try {
            e.kopecks = entryKopecks(text);
            e.ok = true;
        } catch (const OrvelError &error) {
            e.note = {error.message(), true};
        }
    }
}

// The terms from the fields and the rows read; the notes of the rows left out.
orvel::PenaltyReport TPenaltyForm::gather(Notes &notes) const
{
    orvel::PenaltyReport report;
    const auto kind = orvel::PenaltyKind(PenaltyKind->currentData().toInt());
    report.terms = {kind, {}, {}, PenaltyUntil->date(),
                    kind == orvel::PenaltyKind::CivilCode395 && PenaltyMoratorium->isChecked()};
    report.keyRate = m_store->current().history;
    report.keyRateSource = m_store->statusText();
    notes.debts.assign(m_debts.size(), Note{});
    notes.payments.assign(m_payments.size(), Note{});
    for (std::size_t i = 0; i < m_debts.size(); ++i) {
        if (!m_debts[i].ok) {
            notes.debts[i] = m_debts[i].note;
            continue;
        }
        report.terms.debts.push_back({m_debts[i].kopecks, m_debts[i].date});
        report.debtNumbers.push_back(int(i) + 1);
    }
    for (std::size_t i = 0; i < m_payments.size(); ++i) {
        if (!m_payments[i].ok) {
            notes.payments[i] = m_payments[i].note;
            continue;
        }
        report.terms.payments.push_back({m_payments[i].date, m_payments[i].kopecks});
        report.paymentNumbers.push_back(int(i) + 1);
    }
    return report;
}

// An error of the calculation that names a debt or a payment ("Платеж 2:
// дата позже даты расчета 01.12.2026", numbered in the terms): that row is
// left out and its note says why. False for an error of the whole
// calculation.
bool TPenaltyForm::leaveOut(orvel::PenaltyReport &report, const QString &message, Notes &notes) const
{
    static const QRegularExpression named(QStringLiteral("^(Долг|Платеж) (\\d+): (.+)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = named.match(message);
    if (!m.hasMatch())
        return false;
    const bool debt = m.captured(1) == QStringLiteral("Долг");
    std::vector<int> &numbers = debt ? report.debtNumbers : report.paymentNumbers;
    const std::size_t at = m.captured(2).toULongLong() - 1;
    if (at >= numbers.size())
        return false;
    (debt ? notes.debts : notes.payments)[std::size_t(numbers[at] - 1)] = {QStringLiteral("не учтен: ") + m.captured(3),
                                                                            true};
    numbers.erase(numbers.begin() + qsizetype(at));
    if (debt)
        report.terms.debts.erase(report.terms.debts.begin() + qsizetype(at));
    else
        report.terms.payments.erase(report.terms.payments.begin() + qsizetype(at));
    return true;
}

// The message of an error of the whole calculation; a day the key rate is
// not known for also says why the bank gave no newer data.
QString TPenaltyForm::wholeError(const orvel::PenaltyReport &report, const QString &message) const
{
    const std::optional<OrvelError> gap = orvel::keyRateGap(report.keyRate, report.terms.until);
    if (!gap || gap->message() != message)
        return message;
    if (m_store->busy())
        return message + QStringLiteral(": ждем ответа ЦБ РФ…");
    if (!m_store->lastError().isEmpty())
        return message + QStringLiteral(": ") + m_store->lastError();
    return message;
}

void TPenaltyForm::recompute()
{
    if (!Debts || !Payments || !KeyRateStatus)
        return; // still being built
    Notes notes;
    orvel::PenaltyReport report = gather(notes);
    QString failure;
    for (;;) {
        try {
            report.result = orvel::penalties(report.terms, report.keyRate);
            break;
        } catch (const OrvelError &e) {
            // A row being typed does not stop the others: it is left out,
            // and the calculation runs again without it.
            if (!leaveOut(report, e.message(), notes)) {
                failure = wholeError(report, e.message());
                break;
            }
        }
    }
    if (failure.isEmpty()) {
        const QLocale locale;
        for (std::size_t i = 0; i < report.debtNumbers.size(); ++i)
            notes.debts[std::size_t(report.debtNumbers[i] - 1)] = {orvel::penaltyDebtNote(report, i, locale), false};
        showResult(report);
    } else {
        showFailure(failure);
    }
    showNotes(notes);
}

void TPenaltyForm::showNotes(const Notes &notes)
{
    for (std::size_t i = 0; i < notes.debts.size() && int(i) < Debts->count(); ++i)
        Debts->setNote(int(i), notes.debts[i].text, notes.debts[i].error);
    for (std::size_t i = 0; i < notes.payments.size() && int(i) < Payments->count(); ++i)
        Payments->setNote(int(i), notes.payments[i].text, notes.payments[i].error);
}

void TPenaltyForm::showResult(const orvel::PenaltyReport &report)
{
    const QLocale locale;
    m_report = report;
    m_hasResult = true;
    m_model->setReport(m_report, locale);
    m_chart->setReport(m_report, locale);
    QStringList lines = orvel::penaltyTotalLines(m_report, locale);
    if (m_report.terms.debts.size() > 1)
        for (std::size_t i = 0; i < m_report.terms.debts.size(); ++i)
            lines << QStringLiteral("Долг %1 — %2").arg(m_report.debtNumbers[i]).arg(orvel::penaltyDebtNote(m_report, i, locale));
    PenaltyTotal->setText(lines.join(QLatin1Char('\n')));
    setStatus(QString(), false);
    PenaltySave->setEnabled(true);
    PenaltyPrint->setEnabled(true);
}

void TPenaltyForm::showFailure(const QString &message)
{
    m_report = orvel::PenaltyReport{};
    m_hasResult = false;
    m_model->clear();
    m_chart->clear();
    PenaltyTotal->clear();
    setStatus(message, true);
    PenaltySave->setEnabled(false);
    PenaltyPrint->setEnabled(false);
}

void TPenaltyForm::setStatus(const QString &text, bool error)
{
    PenaltyStatus->setText(text);
    PenaltyStatus->setStyleSheet(notePalette(error));
    PenaltyStatus->setVisible(!text.isEmpty());
}

orvel::ExportDocument TPenaltyForm::document() const
{
    const QLocale locale;
    const orvel::PenaltyReport &report = m_report;
    orvel::ExportDocument d = orvel::penaltyDocument(report, locale, [&report, locale](QPainter &p, const QRectF &r) {
        orvel::PenaltyChart::render(report, locale, p, r);
    });
    d.chartSize = PenaltyChartView->size();
    return d;
}

void TPenaltyForm::saveAs(orvel::ExportFormat format, const QString &suffix)
{
    if (!m_hasResult)
        return;
    const QString path = orvel::askExportPath(this, format, QStringLiteral("PenaltySaveDialog"),
                                              orvel::penaltyWord(m_report.terms.kind) + QLatin1Char('.') + suffix);
    if (path.isEmpty())
        return;
    orvel::saveDocument(path, document(), format);
    setStatus(QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(path), false);
}

void TPenaltyForm::PenaltySaveXlsxClick() { saveAs(orvel::ExportFormat::Xlsx, QStringLiteral("xlsx")); }
void TPenaltyForm::PenaltySaveCsvClick() { saveAs(orvel::ExportFormat::Csv, QStringLiteral("csv")); }
void TPenaltyForm::PenaltySavePdfClick() { saveAs(orvel::ExportFormat::Pdf, QStringLiteral("pdf")); }

void TPenaltyForm::PenaltyPrintClick()
{
    if (m_hasResult)
        orvel::printDocument(this, document());
}
