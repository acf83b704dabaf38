// The converter tab's rates on a chosen date, and the way to a currency's
// history: "Курс на дату:" with its field and "Загрузить", and "Динамика…".
#include "calc/OrvelError.h"
#include "rates/RateArchive.h"
#include "rates/RateTable.h"
#include "ui/EnterKey.h"
#include "ui/ErrorBox.h"
#include "ui/history/TRateHistoryForm.h"
#include "ui/main/TForm1.h"
#include "ui/OverrideCursor.h"
#include "ui/ShowInFront.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

using orvel::named;

namespace {

// The row a converter list has chosen, when the table has one for it.
const TCurrencyData *chosenRow(const QComboBox *box, const orvel::RateTable &table)
{
    const int i = box->currentIndex();
    return i >= 0 && static_cast<std::size_t>(i) < table.size() ? &table[static_cast<std::size_t>(i)] : nullptr;
}

// Fills a converter list with `names` and chooses the first row whose code
// is `code` (none when the code is empty or no row carries it).
void refill(QComboBox *box, const QStringList &names, const orvel::RateTable &table, const QString &code)
{
    box->clear();
    box->addItems(names);
    int chosen = -1;
    if (!code.isEmpty())
        for (std::size_t i = 0; i < table.size() && i < static_cast<std::size_t>(names.size()); ++i)
            if (table[i].CharCode == code) {
                chosen = static_cast<int>(i);
                break;
            }
    box->setCurrentIndex(chosen);
}

} // namespace

void TForm1::buildRateDateRow(QGridLayout *grid, int row)
{
    const QDate today = QDate::currentDate();
    RateDateLabel = named(new QLabel(QStringLiteral("Курс на дату:"), TabSheet4), "RateDateLabel");
    RateDateEdit = named(new QDateEdit(today, TabSheet4), "RateDateEdit");
    RateDateEdit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    RateDateEdit->setCalendarPopup(true);
    // The bank publishes the next day's rates in the afternoon.
    RateDateEdit->setDateRange(orvel::firstRateDate(), today.addDays(1));
    RateDateLabel->setBuddy(RateDateEdit);
    RateDateButton = named(new QPushButton(QStringLiteral("Загрузить"), TabSheet4), "RateDateButton");
    RateHistoryButton = named(new QPushButton(QStringLiteral("Динамика…"), TabSheet4), "RateHistoryButton");

    auto *line = new QHBoxLayout;
    line->addWidget(RateDateEdit);
    line->addWidget(RateDateButton);
    line->addStretch(1);
    line->addWidget(RateHistoryButton);
    grid->addWidget(RateDateLabel, row, 0);
    grid->addLayout(line, row, 1);

    orvel::onEvent(RateDateButton, &QPushButton::clicked, this, [this] { RateDateButtonClick(); });
    orvel::onEnter(RateDateEdit, this, [this] { RateDateButtonClick(); });
    orvel::onEvent(RateHistoryButton, &QPushButton::clicked, this, [this] { RateHistoryButtonClick(); });
}

void TForm1::RateDateButtonClick()
{
    // "Tomorrow" moves on while the program runs.
    const QDate today = QDate::currentDate();
    RateDateEdit->setMaximumDate(today.addDays(1));
    const QDate day = RateDateEdit->date();

    // Read whole before anything changes: a failure leaves the table, the
    // lists, the date line and the field as they were.
    orvel::DatedRates loaded;
    {
        const orvel::OverrideCursor wait(Qt::WaitCursor);
        loaded = orvel::loadRatesOnDate(orvel::RateSource{orvel::bankSite(rateUrl), orvel::rateArchiveFolder(), today},
                                        day);
    }

    orvel::RateTable &table = orvel::rateTable();
    const TCurrencyData *from = chosenRow(ComboBox1, table);
    const TCurrencyData *to = chosenRow(ComboBox2, table);
    const QString fromCode = from ? from->CharCode : QString();
    const QString toCode = to ? to->CharCode : QString();

    table = std::move(loaded.rates.table);
    CurrencyBox->clear();
    CurrencyBox->addItems(loaded.rates.names);
    refill(ComboBox1, loaded.rates.names, table, fromCode);
    refill(ComboBox2, loaded.rates.names, table, toCode);

    const QLocale locale;
    QString line = QStringLiteral("Курс по данным ЦБ РФ от ") + locale.toString(loaded.rates.date, QLocale::ShortFormat);
    if (loaded.rates.date != day)
        line += QStringLiteral(" (запрошено на ") + locale.toString(day, QLocale::ShortFormat) + QLatin1Char(')');
    if (loaded.offline)
        line += QStringLiteral(" (из кэша)");
    Label19->setText(line);
    // The field shows the date of the rates in use.
    RateDateEdit->setDate(loaded.rates.date);

    // The rates are in use; only keeping them for later failed.
    if (!loaded.cacheError.isEmpty())
        throw OrvelError(loaded.cacheError);
}

void TForm1::RateHistoryButtonClick()
{
    // The currency converted from, else the one converted to; the rouble has
    // no history of its own, so a list on the rouble counts as none.
    const orvel::RateTable &table = orvel::rateTable();
    const TCurrencyData *row = chosenRow(ComboBox1, table);
    if (!row || row->ID.isEmpty())
        row = chosenRow(ComboBox2, table);
    if (!row || row->ID.isEmpty())
        throw OrvelError(QStringLiteral("Выберите валюту"));
    const QString id = row->ID;

    if (!rateHistoryWindow)
        rateHistoryWindow = new TRateHistoryForm(this);
    rateHistoryWindow->bankSite = orvel::bankSite(rateUrl);
    rateHistoryWindow->setCurrencies(table);
    orvel::showInFront(rateHistoryWindow);
    rateHistoryWindow->showCurrency(id);
}
