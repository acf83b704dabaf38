// The VAT declaration window and its run.
#include "ui/declarations/Tnds.h"

#include "calc/Numbers.h"
#include "office/Spreadsheet.h"
#include "ui/declarations/DeclarationRun.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/ErrorBox.h"
#include "ui/Links.h"
#include "ui/main/TForm1.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QHideEvent>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

using orvel::MaskEdit;
using orvel::named;

namespace {
const char *const kTemplate = "nds.xls";
const char *const kRange = "A1:DN79";
const char *const kOfficeLookupUrl = "https://service.nalog.ru/addrno.do";
} // namespace

Tnds::Tnds(TForm1 *mainWindow, QWidget *parent) : QWidget(parent, Qt::Window), m_form1(mainWindow)
{
    setObjectName(QStringLiteral("nds"));
    setWindowTitle(QStringLiteral("Заполнение декларации НДС"));
    build();
}

Tnds::~Tnds() { orvel::spareOfficeWanted(orvel::SpareAsker::VatWindow, false); }

void Tnds::build()
{
    int labelNo = 0;
    auto label = [this, &labelNo](const QString &text, QWidget *parent) {
        auto *l = new QLabel(text, parent);
        l->setObjectName(QStringLiteral("Label%1").arg(++labelNo));
        return l;
    };
    auto masked = [](const char *mask, QWidget *parent, const char *name) {
        return named(new MaskEdit(QString::fromLatin1(mask), parent), name);
    };

    auto *layout = new QVBoxLayout(this);
    TitleLabel = named(new QLabel(windowTitle(), this), "TitleLabel");
    QFont titleFont = TitleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    TitleLabel->setFont(titleFont);
    layout->addWidget(TitleLabel);

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    auto *page = named(new QWidget(PageControl1), "TabSheet1");
    PageControl1->addTab(page, QStringLiteral("Индивидуальный предприниматель"));
    auto *pageLayout = new QVBoxLayout(page);
    layout->addWidget(PageControl1);

    // Title page: who declares, for which period, to which tax office.
    auto *title = named(new QGroupBox(QStringLiteral("Титульный лист"), page), "GroupBox1");
    auto *g = new QGridLayout(title);
    inn = masked("000000000000;1;_", title, "inn");
    korect = masked("000;1;_", title, "korect");
    korect->setText(QStringLiteral("000"));
    period = masked("00;1;_", title, "period");
    god = masked("0000;1;_", title, "god");
    fns = masked("0000;1;_", title, "fns");
    BitBtn1 = named(new QPushButton(style()->standardIcon(QStyle::SP_MessageBoxQuestion), QStringLiteral("Узнать"), title),
                    "BitBtn1");
    ComboBox1 = named(new QComboBox(title), "ComboBox1");
    ComboBox1->addItems({QStringLiteral("Да"), QStringLiteral("Нет")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setMinimumContentsLength(4);
    Edit1 = named(new QLineEdit(QStringLiteral("ПЕТРОВ"), title), "Edit1");
    Edit2 = named(new QLineEdit(QStringLiteral("ИВАН"), title), "Edit2");
    Edit3 = named(new QLineEdit(QStringLiteral("ИВАНОВИЧ"), title), "Edit3");
    ok1 = masked("00;1;_", title, "ok1");
    ok2 = masked("00;1;_", title, "ok2");
    ok3 = masked("00;1;_", title, "ok3");
    tele = masked("8\\(999\\)000-0000;1;_", title, "tele");

    int row = 0;
    g->addWidget(label(QStringLiteral("ИНН"), title), row, 0);
    g->addWidget(inn, row, 1, Qt::AlignLeft);
    ++row;
    {
        auto *line = new QHBoxLayout;
        line->addWidget(korect);
        line->addSpacing(12);
        line->addWidget(label(QStringLiteral("Период"), title));
        line->addWidget(period);
        line->addSpacing(12);
        line->addWidget(label(QStringLiteral("Год"), title));
        line->addWidget(god);
        line->addStretch(1);
        g->addWidget(label(QStringLiteral("№ корректировки"), title), row, 0);
        g->addLayout(line, row, 1);
    }
    ++row;
    {
        auto *line = new QHBoxLayout;
        line->addWidget(fns);
        line->addWidget(BitBtn1);
        line->addStretch(1);
        g->addWidget(label(QStringLiteral("Код ФНС"), title), row, 0);
        g->addLayout(line, row, 1);
    }
    ++row;
    {
        auto *line = new QHBoxLayout;
        line->addWidget(label(QStringLiteral("Декларация подается по месту постановки на учет налогоплательщика"), title));
        line->addWidget(ComboBox1);
        line->addStretch(1);
        g->addLayout(line, row, 0, 1, 2);
    }
    ++row;
    g->addWidget(label(QStringLiteral("Фамилия:"), title), row, 0);
    g->addWidget(Edit1, row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("Имя:"), title), row, 0);
    g->addWidget(Edit2, row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("Отчество:"), title), row, 0);
    g->addWidget(Edit3, row, 1);
    ++row;
    {
        auto *line = new QHBoxLayout;
        line->addWidget(ok1);
        line->addWidget(label(QStringLiteral("."), title));
        line->addWidget(ok2);
        line->addWidget(label(QStringLiteral("."), title));
        line->addWidget(ok3);
        line->addStretch(1);
        g->addWidget(label(QStringLiteral("ОКВЭД"), title), row, 0);
        g->addLayout(line, row, 1);
    }
    ++row;
    g->addWidget(label(QStringLiteral("Контактный тел:"), title), row, 0);
    g->addWidget(tele, row, 1, Qt::AlignLeft);
    g->setColumnStretch(1, 1);
    g->setColumnMinimumWidth(0, 130);
    g->setColumnMinimumWidth(1, 300);
    pageLayout->addWidget(title);

    // The tax due: where it is paid and how much.
    auto *tax = named(new QGroupBox(QStringLiteral("Сумма налога"), page), "GroupBox2");
    auto *t = new QGridLayout(tax);
    okato = masked("00000000000;1;_", tax, "okato");
    kbk = masked("00000000000000000000;1;_", tax, "kbk");
    summa1 = named(new QLineEdit(QStringLiteral("0"), tax), "summa1");
    summa = named(new QLineEdit(QStringLiteral("0"), tax), "summa");
    t->addWidget(label(QStringLiteral("ОКАТО:"), tax), 0, 0);
    t->addWidget(okato, 0, 1, Qt::AlignLeft);
    t->addWidget(label(QStringLiteral("КБК:"), tax), 1, 0);
    t->addWidget(kbk, 1, 1, Qt::AlignLeft);
    t->addWidget(label(QStringLiteral("Налоговая база: "), tax), 2, 0);
    t->addWidget(summa1, 2, 1);
    t->addWidget(label(QStringLiteral("НДС:"), tax), 3, 0);
    t->addWidget(summa, 3, 1);
    t->setColumnStretch(1, 1);
    t->setColumnMinimumWidth(0, 130);
    pageLayout->addWidget(tax);
    pageLayout->addStretch(1);

    const orvel::DeclarationFooter footer = orvel::buildDeclarationFooter(this, layout);
    ProgressBar1 = footer.progress;
    Button1 = footer.generate;
    Button3 = footer.saveProfile;
    Button4 = footer.openProfile;
    Button2 = footer.close;

    orvel::onEvent(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    orvel::onEvent(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    orvel::onEvent(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    orvel::onEvent(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    orvel::onEvent(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void Tnds::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Spontaneous shows come from the window system (a restore), not from
    // the window turning visible.
    if (!event->spontaneous()) {
        // A run may come soon: an office gets ready meanwhile.
        orvel::spareOfficeWanted(orvel::SpareAsker::VatWindow, true);
        orvel::runHandler(this, [this] { FormShow(); });
    }
}

void Tnds::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        orvel::spareOfficeWanted(orvel::SpareAsker::VatWindow, false);
}

void Tnds::FormShow()
{
    const double tax = m_form1 ? m_form1->lastTaxResult : 0.0;
    const double amount = m_form1 ? m_form1->lastEnteredAmount : 0.0;
    summa->setText(orvel::showAmount(tax));
    summa1->setText(orvel::showAmount(amount));
}

void Tnds::group(const char *prefix, int count, const QString &source)
{
    // Range("A1:DN79").Replace per position; a failed replacement only leaves
    // its placeholder. The apostrophe makes the cell keep the character as text.
    orvel::replacePlaceholderGroup(*m_excel, QString::fromLatin1(kRange), QString::fromUtf8(prefix), count, source,
                                   QStringLiteral("'"));
}

void Tnds::letterCell(const QString &name, int k, int row)
{
    // Letter k goes to every third column from A; names go in as typed.
    if (name.size() >= k)
        m_excel->setRangeText(orvel::columnName(3 * k - 2) + QString::number(row), QString(name[k - 1]));
}

void Tnds::Button1Click()
{
    const QString path = orvel::askTargetWorkbook(this, m_saveDialog1FileName);
    if (path.isEmpty())
        return;
    orvel::copyDeclarationTemplate(orvel::declarationTemplatePath(QString::fromLatin1(kTemplate)), path);
    ProgressBar1->setValue(5);

    m_excel = orvel::createSpreadsheetApp(QString::fromLatin1(orvel::kExcelProgId));
    m_excel->workbooksOpen(path);
    m_excel->activateSheet(QStringLiteral("стр.2"));
    const QString blanks(15, QLatin1Char(' '));
    group("АО", 11, okato->text());
    group("КБК", 20, kbk->text());
    ProgressBar1->setValue(10);
    group("СМ", 12, summa->text() + blanks);

    m_excel->activateSheet(QStringLiteral("стр.4"));
    ProgressBar1->setValue(15);
    group("СМ", 12, summa->text() + blanks);
    group("СУ", 12, summa1->text() + blanks);
    ProgressBar1->setValue(20);

    m_excel->activateSheet(QStringLiteral("стр.1"));
    group("ОКВ", 2, ok1->text());
    group("П", 2, ok2->text());
    group("ОКВЕ", 2, ok3->text());
    ProgressBar1->setValue(30);
    group("ф", 4, fns->text());
    group("И", 12, inn->text());
    group("Г", 4, god->text());
    group("ТЕЛ", 14, tele->text());
    group("К", 3, korect->text());
    group("Н", 2, period->text());
    ProgressBar1->setValue(40);

    const QString surname = Edit1->text();
    for (int k = 1; k <= 20; ++k)
        letterCell(surname, k, 16);
    ProgressBar1->setValue(50);
    const QString firstName = Edit2->text();
    for (int k = 1; k <= 20; ++k)
        letterCell(firstName, k, 18);
    ProgressBar1->setValue(60);
    const QString patronymic = Edit3->text();
    for (int k = 1; k <= 20; ++k) {
        letterCell(patronymic, k, 20);
        if (k == 9)
            ProgressBar1->setValue(70);
        else if (k == 16)
            ProgressBar1->setValue(80);
        else if (k == 20)
            ProgressBar1->setValue(90);
    }

    if (ComboBox1->currentIndex() == 0) {
        m_excel->setRangeText(QStringLiteral("DF14"), QStringLiteral("'4"));
        m_excel->setRangeText(QStringLiteral("DI14"), QStringLiteral("'0"));
        m_excel->setRangeText(QStringLiteral("DL14"), QStringLiteral("'0"));
    }

    m_excel->activeWorkbookClose(true);
    m_excel->quit();
    ProgressBar1->setValue(100);
    if (QFileInfo::exists(path))
        orvel::showDeclarationDone(this);
    m_saveDialog1FileName.clear();
    ProgressBar1->setValue(0);
}

void Tnds::Button2Click() { close(); }

void Tnds::BitBtn1Click() { orvel::openLink(QString::fromLatin1(kOfficeLookupUrl)); }

namespace {
std::vector<orvel::ProfileField> profileFields(const Tnds &w)
{
    return {{"Familia", w.Edit1},  {"Imya", w.Edit2},  {"Otchestvo", w.Edit3},       {"INN", w.inn},
            {"KBK", w.kbk},        {"№korrektirovki", w.korect}, {"God", w.god},   {"FNS", w.fns},
            {"Ok1", w.ok1},        {"Ok2", w.ok2},     {"Ok3", w.ok3},               {"Period", w.period},
            {"Telephone", w.tele}, {"OKATO", w.okato}};
}
} // namespace

void Tnds::Button3Click()
{
    const QString path = orvel::askProfileToSave(this, m_saveDialog2FileName);
    if (!path.isEmpty())
        orvel::saveDeclarationProfile(path, profileFields(*this));
}

void Tnds::Button4Click()
{
    const QString path = orvel::askProfileToOpen(this, m_openDialog1FileName);
    if (!path.isEmpty())
        orvel::loadDeclarationProfile(path, profileFields(*this));
}
