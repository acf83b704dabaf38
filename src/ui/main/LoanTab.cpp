// The loan tab of the main window.
#include "calc/Loan.h"
#include "calc/Numbers.h"
#include "calc/Schedule.h"
#include "office/Spreadsheet.h"
#include "ui/ErrorBox.h"
#include "ui/main/ScheduleExport.h"
#include "ui/main/TForm1.h"
#include "ui/schedule/TScheduleForm.h"
#include "ui/ShowInFront.h"
#include "ui/Widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using orvel::named;

namespace {

// "График платежей…": the fields read as "Расчет" reads them, the term as
// months, given to the schedule window (made on first use, then found again).
void openScheduleWindow(TForm1 &form)
{
    const double amount = orvel::readAmount(form.Edit7->text());
    const double rate = orvel::readAmount(form.Edit8->text());
    const double term = orvel::readAmount(form.Edit9->text());
    const int months = orvel::loanMonths(term);
    const orvel::Repayment kind = form.RadioButton7->isChecked() ? orvel::Repayment::Annuity
                                                                 : orvel::Repayment::Differentiated;
    auto *window = form.findChild<TScheduleForm *>(QStringLiteral("ScheduleForm"), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new TScheduleForm(&form);
    window->setLoan(amount, rate, months, kind);
    orvel::showInFront(window);
}

} // namespace

void TForm1::buildLoanTab()
{
    QWidget *page = TabSheet3;
    auto *grid = new QGridLayout(page);
    Label12 = named(new QLabel(QStringLiteral("Сумма кредита: "), page), "Label12");
    Edit7 = named(new QLineEdit(QStringLiteral("0"), page), "Edit7");
    Label13 = named(new QLabel(QStringLiteral("Процентная ставка:"), page), "Label13");
    Edit8 = named(new QLineEdit(QStringLiteral("0"), page), "Edit8");
    Label14 = named(new QLabel(QStringLiteral("Срок кредита (мес):"), page), "Label14");
    Edit9 = named(new QLineEdit(QStringLiteral("0"), page), "Edit9");
    // The two options share the page and nothing else on it is an option, so
    // they exclude each other without a group of their own.
    RadioButton7 = named(new QRadioButton(QStringLiteral("Аннуитетные платежи"), page), "RadioButton7");
    RadioButton8 = named(new QRadioButton(QStringLiteral("Дифференцированные платежи"), page), "RadioButton8");
    RadioButton7->setChecked(true);
    Button5 = named(new QPushButton(QStringLiteral("Расчет"), page), "Button5");
    ScheduleButton = named(new QPushButton(QStringLiteral("График платежей…"), page), "ScheduleButton");
    Label15 = named(new QLabel(page), "Label15");
    Label16 = named(new QLabel(page), "Label16");
    Label17 = named(new QLabel(page), "Label17");
    QFont bold = Label15->font();
    bold.setBold(true);
    for (QLabel *l : {Label15, Label16, Label17}) {
        l->setFont(bold);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    grid->addWidget(Label12, 0, 0);
    grid->addWidget(Edit7, 0, 1);
    grid->addWidget(Label13, 1, 0);
    grid->addWidget(Edit8, 1, 1);
    grid->addWidget(Label14, 2, 0);
    grid->addWidget(Edit9, 2, 1);
    grid->addWidget(RadioButton7, 3, 0);
    grid->addWidget(RadioButton8, 3, 1);
    grid->addWidget(Button5, 4, 0);
    grid->addWidget(ScheduleButton, 4, 1, Qt::AlignLeft);
    grid->addWidget(Label15, 5, 0, 1, 2);
    grid->addWidget(Label16, 6, 0, 1, 2);
    grid->addWidget(Label17, 7, 0, 1, 2);
    // Fields keep a comfortable width; the free space goes to the right.
    grid->setColumnMinimumWidth(1, 240);
    grid->setColumnStretch(9, 1);
    grid->setRowStretch(8, 1);

    orvel::onEvent(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    orvel::onEvent(ScheduleButton, &QPushButton::clicked, this, [this] { openScheduleWindow(*this); });
    // While differentiated payments are chosen, a schedule export may come
    // soon: an office gets ready meanwhile.
    QObject::connect(RadioButton8, &QRadioButton::toggled, this, [](bool chosen) {
        orvel::spareOfficeWanted(orvel::SpareAsker::DifferentiatedSchedule, chosen);
    });
    QObject::connect(RadioButton8, &QObject::destroyed, [] {
        orvel::spareOfficeWanted(orvel::SpareAsker::DifferentiatedSchedule, false);
    });
}

void TForm1::Button5Click()
{
    // The fields are read before the repayment kind is looked at, for both kinds.
    const QString amountText = Edit7->text(), rateText = Edit8->text(), termText = Edit9->text();
    const double amount = orvel::readAmount(amountText);
    const double rate = orvel::readAmount(rateText);
    const double term = orvel::readAmount(termText);
    if (RadioButton7->isChecked()) {
        const orvel::AnnuityResult res = orvel::annuity(amount, rate, term);
        Label15->setText(QStringLiteral("Ежемесячный платеж: ") + orvel::showAmount(res.payment)
                         + QStringLiteral(".p"));
        Label16->setText(QStringLiteral("Полная стоимость кредита: ") + orvel::showAmount(res.total)
                         + QStringLiteral(".p"));
        Label17->setText(QStringLiteral("Переплата за пользование кредитом: ")
                         + orvel::showAmount(res.overpayment) + QStringLiteral(".p"));
    }
    // The schedule's sheet shows the fields as typed; its formulas compute the rows.
    if (RadioButton8->isChecked())
        orvel::exportSchedule(*this, {amountText, rateText, termText, amount, term});
}
