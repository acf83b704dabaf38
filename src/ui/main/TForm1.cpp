#include "ui/main/TForm1.h"

#include "calc/Paths.h"
#include "rates/RateArchive.h"
#include "rates/RateDocument.h"
#include "rates/TcpProbe.h"
#include "ui/ErrorBox.h"
#include "ui/HotKeys.h"
#include "ui/LinkLabel.h"
#include "ui/Links.h"
#include "ui/Maker.h"
#include "ui/ShowInFront.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    buildFrame();
    buildTaxTab();
    buildChooser();
    buildDepositTab();
    buildLoanTab();
    buildConverterTab();
    buildKeypadTab();
    orvel::runHandler(this, [this] { FormCreate(); });
    // Sized after the creation handler, so the size fits the skin's fonts and
    // paddings. The window can grow for long result lines; it has no maximise
    // button.
    adjustSize();
    setMinimumSize(sizeHint());
}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::buildFrame()
{
    setWindowTitle(QStringLiteral("Kestrin Orvel"));
    // Close and minimise, no maximise.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);

    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    QMenu *n1 = menuBar()->addMenu(QStringLiteral("?"));
    n1->setObjectName(QStringLiteral("N1"));
    N2 = n1->addAction(QStringLiteral("О программе"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = n1->addAction(QStringLiteral("Выход"));
    N3->setObjectName(QStringLiteral("N3"));
    orvel::onEvent(N2, &QAction::triggered, this, [this] { N2Click(); });
    orvel::onEvent(N3, &QAction::triggered, this, [this] { N3Click(); });

    // Looks again whether the handler that holds up the hot keys has ended.
    m_hotKeyRetry = new QTimer(this);
    m_hotKeyRetry->setSingleShot(true);
    m_hotKeyRetry->setInterval(20);
    connect(m_hotKeyRetry, &QTimer::timeout, this, [this] { deliverWaitingHotKeys(); });

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // The window is as wide as the five captions, never scrolled or elided.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    const char *const captions[] = {"Налоги / Декларации (F1)", "Вклады (F2)", "Кредит (F3)",
                                    "Конвертер валют (F4)", "Калькулятор (F5)"};
    QWidget **pages[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5};
    for (int i = 0; i < 5; ++i) {
        *pages[i] = new QWidget(PageControl1);
        (*pages[i])->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        PageControl1->addTab(*pages[i], QString::fromUtf8(captions[i]));
    }
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_lastPage;
        m_lastPage = index;
        if (index == 3 && previous != 3)
            orvel::runHandler(this, [this] { TabSheet4Show(); });
    });
    layout->addWidget(PageControl1);

    auto *footer = new QHBoxLayout;
    Label5 = new QLabel(QStringLiteral("Студия Kestrin"), central);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label6 = new orvel::LinkLabel(orvel::makerSiteUrl(), central);
    Label6->setObjectName(QStringLiteral("Label6"));
    connect(static_cast<orvel::LinkLabel *>(Label6), &orvel::LinkLabel::clicked, this,
            [this] { orvel::runHandler(this, [this] { Label6Click(); }); });
    footer->addWidget(Label5);
    footer->addWidget(Label6);
    footer->addStretch(1);
    layout->addLayout(footer);
    setCentralWidget(central);
}

void TForm1::FormCreate()
{
    sSkinManager1.skinDirectory = orvel::programFolder() + QLatin1Char('/');
    sSkinManager1.setActive(true);
    if (orvel::isRateFile(orvel::rateCacheFile()))
        GetCurrencyList(orvel::rateCacheFile());
    m_hotKeys = std::make_unique<orvel::HotKeys>(this, [this](int id) { deliverHotKey(id); });
    for (int id = 1; id <= 5; ++id)
        m_hotKeys->registerKey(id, id);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (QScreen *screen = this->screen()) {
            const QRect r = screen->availableGeometry();
            move(r.center() - rect().center());
        }
    }
    orvel::runHandler(this, [this] { FormShow(); });
}

void TForm1::FormShow()
{
    // The periods field of the deposit tab is visible exactly while compound
    // interest is selected.
    if (Edit6 && Label10 && RadioButton4) {
        Edit6->setVisible(RadioButton4->isChecked());
        Label10->setVisible(RadioButton4->isChecked());
    }
}

void TForm1::deliverHotKey(int id)
{
    m_waitingHotKeys.push_back(id);
    deliverWaitingHotKeys();
}

void TForm1::deliverWaitingHotKeys()
{
    // A hot key never interrupts a running handler: while one is running (for
    // instance with its message box open), the keys wait in one queue until
    // it has ended, and then act in the order they came. A key that comes
    // meanwhile joins the queue behind them. The handler of a key may run a
    // box of its own; the keys behind it wait for that one too.
    while (!m_waitingHotKeys.empty()) {
        if (orvel::runningHandlers() > 0) {
            if (!m_hotKeyRetry->isActive())
                m_hotKeyRetry->start();
            return;
        }
        const int id = m_waitingHotKeys.front();
        m_waitingHotKeys.pop_front();
        orvel::runHandler(this, [this, id] { HotKey(id); });
    }
}

void TForm1::HotKey(int id)
{
    if (id < 1 || id > 5)
        return;
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowNoState);
    PageControl1->setCurrentIndex(id - 1);
}

void TForm1::N2Click()
{
    if (!aboutWindow)
        return;
    orvel::showInFront(aboutWindow);
}

void TForm1::N3Click() { close(); }

void TForm1::closeEvent(QCloseEvent *event)
{
    event->accept();
    // Closing the main window ends the run, whatever other window is open.
    QCoreApplication::quit();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Label6Click() { orvel::openLink(orvel::makerSiteUrl()); }

orvel::KeyRateStore *TForm1::keyRateStore()
{
    if (!m_keyRateStore)
        m_keyRateStore = new orvel::KeyRateStore(keyRateUrl, orvel::rateArchiveFolder(), orvel::shippedKeyRateFile(), this);
    return m_keyRateStore;
}
