// The converter tab of the main window: the connectivity probe, the rate read
// (bank or cache) and conversion through the rouble.
#include "calc/Numbers.h"
#include "rates/Conversion.h"
#include "rates/RateDocument.h"
#include "rates/RateTable.h"
#include "rates/TcpProbe.h"
#include "ui/ErrorBox.h"
#include "ui/main/TForm1.h"
#include "ui/OverrideCursor.h"
#include "ui/TypedKeyFilter.h"
#include "ui/Widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using orvel::named;
using orvel::OverrideCursor;

namespace {

// Binds the hidden currency list to the rate read: it is emptied and filled
// row by row as the table is rebuilt.
class ComboBoxSink : public orvel::CurrencyListSink {
public:
    explicit ComboBoxSink(QComboBox *box) : m_box(box) {}
    void clear() override { m_box->clear(); }
    void append(const QString &name) override { m_box->addItem(name); }

private:
    QComboBox *m_box;
};

void copyItems(QComboBox *from, QComboBox *to)
{
    QStringList items;
    for (int i = 0; i < from->count(); ++i)
        items << from->itemText(i);
    to->clear();
    to->addItems(items);
    to->setCurrentIndex(-1);
}

} // namespace

void TForm1::buildConverterTab()
{
    auto *grid = new QGridLayout(TabSheet4);
    Label18 = named(new QLabel(QStringLiteral("Сумма:"), TabSheet4), "Label18");
    Edit10 = named(new QLineEdit(QStringLiteral("0"), TabSheet4), "Edit10");
    Label20 = named(new QLabel(QStringLiteral("Из:"), TabSheet4), "Label20");
    ComboBox1 = named(new QComboBox(TabSheet4), "ComboBox1");
    Label21 = named(new QLabel(QStringLiteral("В:"), TabSheet4), "Label21");
    ComboBox2 = named(new QComboBox(TabSheet4), "ComboBox2");
    Button7 = named(new QPushButton(QStringLiteral("Расчет"), TabSheet4), "Button7");
    ConvLabel = named(new QLabel(TabSheet4), "ConvLabel");
    Label19 = named(new QLabel(TabSheet4), "Label19");
    CurrencyBox = named(new QComboBox(TabSheet4), "CurrencyBox");
    CurrencyBox->setVisible(false);
    for (QComboBox *list : {ComboBox1, ComboBox2, CurrencyBox}) {
        list->setEditable(false);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(24);
    }
    for (QLabel *label : {ConvLabel, Label19}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    grid->addWidget(Label18, 0, 0);
    grid->addWidget(Edit10, 0, 1);
    grid->addWidget(Label20, 1, 0);
    grid->addWidget(ComboBox1, 1, 1);
    grid->addWidget(Label21, 2, 0);
    grid->addWidget(ComboBox2, 2, 1);
    grid->addWidget(Button7, 3, 0);
    grid->addWidget(ConvLabel, 4, 0, 1, 2);
    grid->addWidget(Label19, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    buildRateDateRow(grid, 6);
    grid->setRowStretch(7, 1);

    new orvel::TypedKeyFilter([this](QChar c) { return Edit10KeyPress(c); }, Edit10);
    orvel::onEvent(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });

    TTCPClient = std::make_unique<orvel::TcpProbe>();
    TTCPClient->OnConnect = [this] { TTCPClientConnect(); };
    TTCPClient->OnError = [this] { TTCPClientError(); };
}

void TForm1::FormDestroy()
{
    orvel::rateTable().clear();
    if (TTCPClient)
        TTCPClient->Close();
}

void TForm1::TabSheet4Show()
{
    TTCPClient->RemoteHost = probeHost;
    TTCPClient->RemotePort = probePort;
    // The probe and the fetch block the window.
    const OverrideCursor wait(Qt::WaitCursor);
    TTCPClient->SetActive(true);
    TTCPClient->Connect();
}

namespace {
// Reads the rates from `location`, then refills both converter lists from the
// hidden list, whether the read succeeded or failed, so that the lists always
// name the rows of the table that conversion uses.
template <typename Read>
QDate readThenCopyLists(TForm1 *form, Read read)
{
    struct CopyLists {
        TForm1 *f;
        ~CopyLists()
        {
            copyItems(f->CurrencyBox, f->ComboBox1);
            copyItems(f->CurrencyBox, f->ComboBox2);
        }
    } copy{form};
    return read();
}
} // namespace

void TForm1::TTCPClientConnect()
{
    const QDate d = readThenCopyLists(this, [this] { return GetCurrencyList(rateUrl); });
    Label19->setText(QStringLiteral("Курс по данным ЦБ РФ от ") + QLocale().toString(d, QLocale::ShortFormat));
    RateDateEdit->setDate(d);
}

void TForm1::TTCPClientError()
{
    {
        const OverrideCursor normal(Qt::ArrowCursor);
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Сервер не отвечает"),
                        QStringLiteral("Невозможно подключится к серверу. Orvel конвертирует по старым котировкам."),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("ServerWarning"));
        box.exec();
    }
    const QDate d = readThenCopyLists(this, [this] { return GetCurrencyList(orvel::rateCacheFile()); });
    Label19->setText(QStringLiteral("Курс по данным ЦБ РФ от ") + QLocale().toString(d, QLocale::ShortFormat));
    RateDateEdit->setDate(d);
}

QDate TForm1::GetCurrencyList(const QString &location)
{
    const OverrideCursor wait(Qt::WaitCursor);
    ComboBoxSink hiddenList(CurrencyBox);
    return orvel::readRateDocument(location, orvel::rateTable(), hiddenList);
}

void TForm1::Button7Click()
{
    const double amount = orvel::readAmount(Edit10->text());
    const orvel::RateTable &table = orvel::rateTable();
    const int i = ComboBox1->currentIndex();
    const int j = ComboBox2->currentIndex();
    const auto hasRow = [&table](int index) { return index >= 0 && static_cast<std::size_t>(index) < table.size(); };
    if (!hasRow(i) || !hasRow(j))
        throw OrvelError(QStringLiteral("Выберите валюты для конвертации"));
    const TCurrencyData &from = table[static_cast<std::size_t>(i)];
    const TCurrencyData &to = table[static_cast<std::size_t>(j)];
    const double roubles = orvel::CurrToRub(table, from.CharCode, amount);
    const double result = orvel::RubToCurr(table, to.CharCode, roubles);
    ConvLabel->setText(Edit10->text() + QLatin1Char(' ') + from.CharCode + QLatin1Char('=')
                       + orvel::showAmount(result) + QLatin1Char(' ') + to.CharCode);
}

bool TForm1::Edit10KeyPress(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key.unicode() == 8;
}
