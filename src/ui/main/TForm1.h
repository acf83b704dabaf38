#pragma once
// The main window: five calculator tabs, the "?" menu, the footer link and the
// F1..F5 keys. Controls carry the names of the window form as objectName and
// as member names; handlers keep the form's handler names. Each tab's controls
// and handlers are implemented in the module of its calculator.
#include "rates/KeyRateStore.h"
#include "ui/Skin.h"

#include <QDate>
#include <QMainWindow>

#include <deque>
#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class TRateHistoryForm;

namespace orvel {
class BankRequest;
class HotKeys;
class TcpProbe;
struct DatedRates;
} // namespace orvel

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- frame ----
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr,
            *TabSheet5 = nullptr;
    QAction *N2 = nullptr; // "О программе"
    QAction *N3 = nullptr; // "Выход"
    QLabel *Label5 = nullptr; // footer text
    QLabel *Label6 = nullptr; // footer link
    orvel::SkinManager sSkinManager1;

    // ---- tax tab ----
    QGroupBox *GroupBoxTax = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *PenaltyButton = nullptr; // "Пени и проценты…": the penalties window
    // declaration chooser
    QGroupBox *GroupBoxDeclaration = nullptr;
    QLabel *Label22 = nullptr;
    QComboBox *ComboBox3 = nullptr;
    QPushButton *Button28 = nullptr;

    // ---- deposit tab ----
    QRadioButton *RadioButton3 = nullptr, *RadioButton4 = nullptr, *RadioButton5 = nullptr,
                 *RadioButton6 = nullptr;
    QLabel *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr;
    QLineEdit *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr, *Edit6 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *DepositScheduleButton = nullptr; // "Подробный расчет…": the deposit schedule window

    // ---- loan tab ----
    QLabel *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr,
           *Label16 = nullptr, *Label17 = nullptr;
    QLineEdit *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr;
    QRadioButton *RadioButton7 = nullptr, *RadioButton8 = nullptr;
    QPushButton *Button5 = nullptr;
    QPushButton *ScheduleButton = nullptr; // "График платежей…": the schedule window

    // ---- converter tab ----
    QLabel *Label18 = nullptr, *Label19 = nullptr, *Label20 = nullptr, *Label21 = nullptr,
           *ConvLabel = nullptr;
    QLineEdit *Edit10 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *CurrencyBox = nullptr;
    QPushButton *Button7 = nullptr;
    std::unique_ptr<orvel::TcpProbe> TTCPClient;
    // Where the converter looks for the bank; tests point these at 127.0.0.1.
    QString probeHost = QStringLiteral("cbr.ru");
    QString probePort = QStringLiteral("80");
    QString rateUrl = QStringLiteral("http://www.cbr.ru/scripts/XML_daily.asp?date_req");
    // rates on a chosen date, and a currency's history (its site is rateUrl's)
    QLabel *RateDateLabel = nullptr;
    QDateEdit *RateDateEdit = nullptr;
    QPushButton *RateDateButton = nullptr, *RateHistoryButton = nullptr;
    QLabel *RateDateProgress = nullptr;              // what has arrived while the rates load
    orvel::BankRequest *rateDateRequest = nullptr;   // the load, off the window's thread
    TRateHistoryForm *rateHistoryWindow = nullptr; // made on first use, lives with the main window
    // The bank's key rate service, for the penalties and deposit windows;
    // tests point it at 127.0.0.1.
    QString keyRateUrl = orvel::defaultKeyRateUrl();
    // The key rate those windows work with: made on first use from what is
    // kept, and shared by them.
    orvel::KeyRateStore *keyRateStore();

    // ---- keypad tab ----
    QLineEdit *Edit11 = nullptr;
    QPushButton *Button9 = nullptr, *Button10 = nullptr, *Button11 = nullptr, *Button12 = nullptr,
                *Button13 = nullptr, *Button14 = nullptr, *Button15 = nullptr, *Button16 = nullptr,
                *Button17 = nullptr, *Button18 = nullptr, *Button19 = nullptr, *Button20 = nullptr,
                *Button21 = nullptr, *Button22 = nullptr, *Button23 = nullptr, *Button24 = nullptr,
                *Button25 = nullptr, *Button27 = nullptr;

    // ---- values kept for the VAT declaration window ----
    double lastEnteredAmount = 0;
    double lastTaxResult = 0;

    // ---- handlers ----
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void HotKey(int id); // the hot-key message with identifier id
    void N2Click();
    void N3Click();
    void Label6Click();

    void Button1Click(); // tax
    void Button2Click(); // deposit
    void RadioButton3Click();
    void RadioButton4Click();
    void Button5Click(); // loan

    void TabSheet4Show();
    void TTCPClientConnect();
    void TTCPClientError();
    QDate GetCurrencyList(const QString &location);
    void Button7Click();
    bool Edit10KeyPress(QChar key); // false: the key is discarded
    void RateDateButtonClick();     // "Загрузить", or "Отмена" while the rates load
    void RateDateLoad();            // also Enter in RateDateEdit: replaces a load that runs
    void RateDateCancel();          // also Escape on the tab, and closing the window
    void RateHistoryButtonClick();

    void Button9Click();
    void Button10Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Button14Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();
    void Button18Click();
    void Button19Click(); // sign change ("." and "-/+")
    void Button20Click(); // -
    void Button21Click(); // *
    void Button22Click(); // /
    void Button23Click(); // C
    void Button24Click(); // +
    void Button25Click(); // =

    void ComboBox3Change();
    void Button28Click();

    // The other windows the main window shows; set by the start-up sequence.
    QWidget *aboutWindow = nullptr;
    QWidget *ndsWindow = nullptr;
    QWidget *null1Window = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFrame();
    void buildTaxTab();
    void buildChooser();
    void buildDepositTab();
    void buildLoanTab();
    void buildConverterTab();
    void buildRateDateRow(QGridLayout *grid, int row);
    void rateDateIdle();
    void showDatedRates(orvel::DatedRates &loaded, const QDate &day);
    void buildKeypadTab();
    void deliverHotKey(int id);
    void deliverWaitingHotKeys();
    void keypadDigit(QChar digit);
    void keypadOperation(QChar op);

    std::unique_ptr<orvel::HotKeys> m_hotKeys;
    // Hot keys that came while a handler was running, in the order they came,
    // and the timer that looks again whether it has ended.
    std::deque<int> m_waitingHotKeys;
    QTimer *m_hotKeyRetry = nullptr;
    bool m_shownOnce = false;
    int m_lastPage = 0;
    bool m_chooserChanged = false; // ComboBox3's selection changed since the last pick
    orvel::KeyRateStore *m_keyRateStore = nullptr;
};
