// The tax tab of the main window: group "Налог".
#include "calc/Numbers.h"
#include "calc/Tax.h"
#include "ui/ErrorBox.h"
#include "ui/main/TForm1.h"
#include "ui/penalty/TPenaltyForm.h"
#include "ui/ShowInFront.h"
#include "ui/Widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using orvel::named;

namespace {

// "Пени и проценты…": the penalties window (made on first use, then found
// again), given the last tax result for its first debt and the key rate the
// windows share.
void openPenaltyWindow(TForm1 &form)
{
    auto *window = form.findChild<TPenaltyForm *>(QStringLiteral("PenaltyForm"), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new TPenaltyForm(form.keyRateStore(), &form);
    window->offerTaxAmount(form.lastTaxResult);
    orvel::showInFront(window);
}

} // namespace

void TForm1::buildTaxTab()
{
    auto *pageLayout = new QVBoxLayout(TabSheet1);
    GroupBoxTax = named(new QGroupBox(QStringLiteral("Налог"), TabSheet1), "GroupBox1");
    auto *grid = new QGridLayout(GroupBoxTax);
    Label2 = named(new QLabel(QStringLiteral("Сумма:"), GroupBoxTax), "Label2");
    Edit1 = named(new QLineEdit(QStringLiteral("0"), GroupBoxTax), "Edit1");
    Label3 = named(new QLabel(QStringLiteral("Налоговая ставка"), GroupBoxTax), "Label3");
    Edit2 = named(new QLineEdit(QStringLiteral("0"), GroupBoxTax), "Edit2");
    Label4 = named(new QLabel(QStringLiteral("%"), GroupBoxTax), "Label4");
    RadioButton2 = named(new QRadioButton(QStringLiteral("Начислить"), GroupBoxTax), "RadioButton2");
    RadioButton1 = named(new QRadioButton(QStringLiteral("Выделить"), GroupBoxTax), "RadioButton1");
    RadioButton2->setChecked(true);
    Button1 = named(new QPushButton(QStringLiteral("Расчет"), GroupBoxTax), "Button1");
    PenaltyButton = named(new QPushButton(QStringLiteral("Пени и проценты…"), GroupBoxTax), "PenaltyButton");
    PenaltyButton->setToolTip(QStringLiteral("Пени по налогу и проценты по ст. 395 ГК РФ на ключевую ставку"));
    Label1 = named(new QLabel(GroupBoxTax), "Label1");
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);

    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Label4, 1, 2);
    grid->addWidget(RadioButton2, 2, 0);
    grid->addWidget(RadioButton1, 2, 1);
    grid->addWidget(Button1, 3, 0);
    grid->addWidget(PenaltyButton, 3, 1, Qt::AlignLeft);
    grid->addWidget(Label1, 4, 0, 1, 3);
    // Fields keep a comfortable width; the free space goes to the right.
    grid->setColumnMinimumWidth(1, 240);
    grid->setColumnStretch(9, 1);
    pageLayout->addWidget(GroupBoxTax);

    orvel::onEvent(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    orvel::onEvent(PenaltyButton, &QPushButton::clicked, this, [this] { openPenaltyWindow(*this); });
}

void TForm1::Button1Click()
{
    // The amount is kept for the VAT declaration as soon as it reads, even
    // when the rate then fails.
    const double a = orvel::readAmount(Edit1->text());
    lastEnteredAmount = a;
    const double r = orvel::readAmount(Edit2->text());
    if (RadioButton2->isChecked()) {
        const orvel::AccrueResult res = orvel::accrueTax(a, r);
        lastTaxResult = res.tax;
        Label1->setText(QStringLiteral("Сумма c налогом: ") + orvel::showAmount(res.total)
                        + QStringLiteral(". Налог: ") + orvel::showAmount(res.tax));
    } else {
        const orvel::ExtractResult res = orvel::extractTax(a, r);
        lastTaxResult = res.base;
        Label1->setText(QStringLiteral("Сумма без налога: ") + orvel::showAmount(res.base)
                        + QStringLiteral(". Налог: ") + orvel::showAmount(res.tax));
    }
}
