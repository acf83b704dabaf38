// The deposit tab of the main window.
#include "calc/Deposit.h"
#include "calc/Numbers.h"
#include "ui/ErrorBox.h"
#include "ui/deposit/TDepositForm.h"
#include "ui/main/TForm1.h"
#include "ui/ShowInFront.h"
#include "ui/Widgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using orvel::named;

namespace {

// "Подробный расчет…": the amount, the rate and the term read as "Расчет"
// reads them, and the interest mode, given to the deposit window (made on
// first use, then found again) with the key rate the windows share.
void openDepositWindow(TForm1 &form)
{
    const double amount = orvel::readAmount(form.Edit3->text());
    const double rate = orvel::readAmount(form.Edit4->text());
    const double days = orvel::readAmount(form.Edit5->text());
    const bool compound = form.RadioButton4->isChecked();
    auto *window = form.findChild<TDepositForm *>(QStringLiteral("DepositForm"), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TDepositForm(&form);
        window->setKeyRateStore(form.keyRateStore());
    }
    window->setDeposit(amount, rate, days, compound);
    orvel::showInFront(window);
}

} // namespace

void TForm1::buildDepositTab()
{
    QWidget *page = TabSheet2;
    auto *grid = new QGridLayout(page);
    RadioButton3 = named(new QRadioButton(QStringLiteral("Простые проценты"), page), "RadioButton3");
    RadioButton4 = named(new QRadioButton(QStringLiteral("Сложные проценты"), page), "RadioButton4");
    Label7 = named(new QLabel(QStringLiteral("Сумма вклада :"), page), "Label7");
    Edit3 = named(new QLineEdit(QStringLiteral("0"), page), "Edit3");
    Label8 = named(new QLabel(QStringLiteral("Процентная ставка :"), page), "Label8");
    Edit4 = named(new QLineEdit(QStringLiteral("0"), page), "Edit4");
    Label9 = named(new QLabel(QStringLiteral("Срок вклада в днях :"), page), "Label9");
    Edit5 = named(new QLineEdit(QStringLiteral("0"), page), "Edit5");
    Label10 = named(new QLabel(QStringLiteral("Число периодов :"), page), "Label10");
    Edit6 = named(new QLineEdit(QStringLiteral("1"), page), "Edit6");
    RadioButton5 = named(new QRadioButton(QStringLiteral("Обычный год"), page), "RadioButton5");
    RadioButton6 = named(new QRadioButton(QStringLiteral("Високосный год"), page), "RadioButton6");
    Button2 = named(new QPushButton(QStringLiteral("Расчет"), page), "Button2");
    DepositScheduleButton = named(new QPushButton(QStringLiteral("Подробный расчет…"), page), "DepositScheduleButton");
    Label11 = named(new QLabel(page), "Label11");
    QFont bold = Label11->font();
    bold.setBold(true);
    Label11->setFont(bold);
    Label11->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Both pairs of options share the page, so each pair gets its own group:
    // the interest mode and the year length are chosen independently.
    auto *modeGroup = new QButtonGroup(page);
    modeGroup->addButton(RadioButton3);
    modeGroup->addButton(RadioButton4);
    auto *yearGroup = new QButtonGroup(page);
    yearGroup->addButton(RadioButton5);
    yearGroup->addButton(RadioButton6);
    RadioButton3->setChecked(true);
    RadioButton5->setChecked(true);

    grid->addWidget(RadioButton3, 0, 0);
    grid->addWidget(RadioButton4, 0, 1);
    grid->addWidget(Label7, 1, 0);
    grid->addWidget(Edit3, 1, 1);
    grid->addWidget(Label8, 2, 0);
    grid->addWidget(Edit4, 2, 1);
    grid->addWidget(Label9, 3, 0);
    grid->addWidget(Edit5, 3, 1);
    grid->addWidget(Label10, 4, 0);
    grid->addWidget(Edit6, 4, 1);
    grid->addWidget(RadioButton5, 5, 0);
    grid->addWidget(RadioButton6, 5, 1);
    grid->addWidget(Button2, 6, 0);
    grid->addWidget(DepositScheduleButton, 6, 1, Qt::AlignLeft);
    grid->addWidget(Label11, 7, 0, 1, 2);
    // Fields keep a comfortable width; the free space goes to the right.
    grid->setColumnMinimumWidth(1, 240);
    grid->setColumnStretch(9, 1);
    grid->setRowStretch(8, 1);

    orvel::onEvent(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    orvel::onEvent(DepositScheduleButton, &QPushButton::clicked, this, [this] { openDepositWindow(*this); });
    // The click handlers of the interest options run when their option becomes
    // selected, by the user or by the program.
    connect(RadioButton3, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            orvel::runHandler(this, [this] { RadioButton3Click(); });
    });
    connect(RadioButton4, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            orvel::runHandler(this, [this] { RadioButton4Click(); });
    });
}

void TForm1::Button2Click()
{
    // All four fields are read, in this order, whichever mode is selected.
    const double amount = orvel::readAmount(Edit3->text());
    const double rate = orvel::readAmount(Edit4->text());
    const double days = orvel::readAmount(Edit5->text());
    const double periods = orvel::readAmount(Edit6->text());
    const double year = orvel::yearLength(RadioButton6->isChecked());
    const orvel::DepositInterest res = RadioButton3->isChecked()
                                         ? orvel::simpleInterest(amount, rate, days, year)
                                         : orvel::compoundInterest(amount, rate, days, periods, year);
    Label11->setText(QStringLiteral("Вклад+проценты: ") + orvel::showAmount(res.balance)
                     + QStringLiteral(". Проценты: ") + orvel::showAmount(res.interest));
}

// The number of periods matters only for compound interest.
void TForm1::RadioButton3Click()
{
    Edit6->hide();
    Label10->hide();
}

void TForm1::RadioButton4Click()
{
    Edit6->show();
    Label10->show();
}
