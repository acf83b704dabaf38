// The converter tab's rates on a chosen date, and the way to a currency's
// history: "Курс на дату:" with its field and "Загрузить", and "Динамика…".
// The rates load off the window's thread: meanwhile the button reads
// "Отмена" and the label beside it shows what has arrived.
#include "calc/OrvelError.h"
#include "rates/RateArchive.h"
#include "rates/RateTable.h"
#include "ui/EnterKey.h"
#include "ui/ErrorBox.h"
#include "ui/history/TRateHistoryForm.h"
#include "ui/main/TForm1.h"
#include "ui/ShowInFront.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>

#include <functional>

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

// "850 Б", "12,4 КБ".
QString amountOfData(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 Б").arg(bytes);
    return QLocale().toString(static_cast<double>(bytes) / 1024, 'f', 1) + QStringLiteral(" КБ");
}

// Escape on the converter tab, or closing the main window, stops the load
// of the rates on a date. Escape goes on as before when no load runs.
class RateDateStopper : public QObject {
public:
    RateDateStopper(QWidget *tab, TForm1 *window, std::function<void()> stop)
        : QObject(tab), m_window(window), m_request(window->rateDateRequest), m_stop(std::move(stop))
    {
        tab->installEventFilter(this);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_request || !m_request->isRunning())
            return false;
        if (event->type() == QEvent::Close && watched == m_window) {
            m_stop();
            return false;
        }
        if (event->type() == QEvent::KeyPress && watched != m_window
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            orvel::runHandler(m_window, m_stop);
            return true;
        }
        return false;
    }

private:
    TForm1 *m_window;
    QPointer<orvel::BankRequest> m_request; // goes before the window's last events
    std::function<void()> m_stop;
};

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
    RateDateProgress = named(new QLabel(TabSheet4), "RateDateProgress");
    RateDateProgress->hide();
    RateHistoryButton = named(new QPushButton(QStringLiteral("Динамика…"), TabSheet4), "RateHistoryButton");
    rateDateRequest = new orvel::BankRequest(this);

    auto *line = new QHBoxLayout;
    line->addWidget(RateDateEdit);
    line->addWidget(RateDateButton);
    line->addWidget(RateDateProgress);
    line->addStretch(1);
    line->addWidget(RateHistoryButton);
    grid->addWidget(RateDateLabel, row, 0);
    grid->addLayout(line, row, 1);

    orvel::onEvent(RateDateButton, &QPushButton::clicked, this, [this] { RateDateButtonClick(); });
    orvel::onEnter(RateDateEdit, this, [this] { RateDateLoad(); });
    orvel::onEvent(RateHistoryButton, &QPushButton::clicked, this, [this] { RateHistoryButtonClick(); });
    new RateDateStopper(TabSheet4, this, [this] { RateDateCancel(); });
    QObject::connect(rateDateRequest, &orvel::BankRequest::progress, RateDateProgress, [this](qint64 received) {
        RateDateProgress->setText(QStringLiteral("Загрузка… ") + amountOfData(received));
    });
}

void TForm1::RateDateButtonClick()
{
    if (rateDateRequest->isRunning())
        RateDateCancel();
    else
        RateDateLoad();
}

void TForm1::RateDateLoad()
{
    // "Tomorrow" moves on while the program runs.
    const QDate today = QDate::currentDate();
    RateDateEdit->setMaximumDate(today.addDays(1));
    const QDate day = RateDateEdit->date();

    // The window stays in use while the bank answers; the load that runs
    // gives way to this one.
    RateDateButton->setText(QStringLiteral("Отмена"));
    RateDateProgress->setText(QStringLiteral("Загрузка…"));
    RateDateProgress->show();
    orvel::requestRatesOnDate(*rateDateRequest,
                              orvel::RateSource{orvel::bankSite(rateUrl), orvel::rateArchiveFolder(), today}, day,
                              [this, day](orvel::RequestResult<orvel::DatedRates> result) {
                                  rateDateIdle();
                                  // A failed load leaves the table, the lists, the
                                  // date line and the field as they were.
                                  orvel::runHandler(this, [&] {
                                      orvel::DatedRates loaded = result.take();
                                      showDatedRates(loaded, day);
                                  });
                              });
}

void TForm1::RateDateCancel()
{
    // Nothing of the load reaches the tab or the cache.
    rateDateRequest->cancel();
    rateDateIdle();
}

void TForm1::rateDateIdle()
{
    RateDateButton->setText(QStringLiteral("Загрузить"));
    RateDateProgress->hide();
    RateDateProgress->clear();
}

void TForm1::showDatedRates(orvel::DatedRates &loaded, const QDate &day)
{
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
