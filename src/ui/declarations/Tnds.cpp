// The VAT declaration window and its run.
#include "ui/declarations/Tnds.h"

#include "calc/Numbers.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/ErrorBox.h"
#include "ui/Links.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

using orvel::named;

namespace {
const char *const kOfficeLookupUrl = "https://service.nalog.ru/addrno.do";
} // namespace

Tnds::Tnds(std::function<TaxFigures()> lastTaxFigures, QWidget *parent)
    : DeclarationWindow("nds", QStringLiteral("Заполнение декларации НДС"), orvel::SpareAsker::VatWindow, parent),
      m_lastTaxFigures(std::move(lastTaxFigures))
{
    auto *layout = new QVBoxLayout(this);
    buildTitle(layout);

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    auto *page = named(new QWidget(PageControl1), "TabSheet1");
    PageControl1->addTab(page, QStringLiteral("Индивидуальный предприниматель"));
    auto *pageLayout = new QVBoxLayout(page);
    layout->addWidget(PageControl1);
    pageLayout->addWidget(buildTitlePage(page));
    pageLayout->addWidget(buildTaxBox(page));
    pageLayout->addStretch(1);

    buildFooter(layout);
    orvel::onEvent(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void Tnds::buildTitleFields(QWidget *title)
{
    inn = masked("000000000000;1;_", title, "inn", &m_fields.inn);
    korect = masked("000;1;_", title, "korect", &m_fields.correction);
    korect->setText(QStringLiteral("000"));
    period = masked("00;1;_", title, "period", &m_fields.period);
    god = masked("0000;1;_", title, "god", &m_fields.year);
    fns = masked("0000;1;_", title, "fns", &m_fields.taxOffice);
    BitBtn1 = named(new QPushButton(style()->standardIcon(QStyle::SP_MessageBoxQuestion), QStringLiteral("Узнать"), title),
                    "BitBtn1");
    ComboBox1 = named(new QComboBox(title), "ComboBox1");
    ComboBox1->addItems({QStringLiteral("Да"), QStringLiteral("Нет")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setMinimumContentsLength(4);
    Edit1 = bound(named(new QLineEdit(QStringLiteral("ПЕТРОВ"), title), "Edit1"), &m_fields.surname);
    Edit2 = bound(named(new QLineEdit(QStringLiteral("ИВАН"), title), "Edit2"), &m_fields.firstName);
    Edit3 = bound(named(new QLineEdit(QStringLiteral("ИВАНОВИЧ"), title), "Edit3"), &m_fields.patronymic);
    ok1 = masked("00;1;_", title, "ok1", &m_fields.okved1);
    ok2 = masked("00;1;_", title, "ok2", &m_fields.okved2);
    ok3 = masked("00;1;_", title, "ok3", &m_fields.okved3);
    tele = masked("8\\(999\\)000-0000;1;_", title, "tele", &m_fields.phone);
}

QGroupBox *Tnds::buildTitlePage(QWidget *page)
{
    // Title page: who declares, for which period, to which tax office.
    auto *title = named(new QGroupBox(QStringLiteral("Титульный лист"), page), "GroupBox1");
    auto *g = new QGridLayout(title);
    buildTitleFields(title);

    int row = 0;
    g->addWidget(label(QStringLiteral("ИНН"), title), row, 0);
    g->addWidget(inn, row, 1, Qt::AlignLeft);
    ++row;
    {
        auto *l = new QHBoxLayout;
        l->addWidget(korect);
        l->addSpacing(12);
        l->addWidget(label(QStringLiteral("Период"), title));
        l->addWidget(period);
        l->addSpacing(12);
        l->addWidget(label(QStringLiteral("Год"), title));
        l->addWidget(god);
        l->addStretch(1);
        g->addWidget(label(QStringLiteral("№ корректировки"), title), row, 0);
        g->addLayout(l, row, 1);
    }
    ++row;
    g->addLayout(line({fns, BitBtn1}), row, 1);
    g->addWidget(label(QStringLiteral("Код ФНС"), title), row, 0);
    ++row;
    g->addLayout(line({label(QStringLiteral("Декларация подается по месту постановки на учет налогоплательщика"), title),
                       ComboBox1}),
                 row, 0, 1, 2);
    ++row;
    const QList<QPair<QString, QLineEdit *>> names{
        {QStringLiteral("Фамилия:"), Edit1}, {QStringLiteral("Имя:"), Edit2}, {QStringLiteral("Отчество:"), Edit3}};
    for (const auto &name : names) {
        g->addWidget(label(name.first, title), row, 0);
        g->addWidget(name.second, row, 1);
        ++row;
    }
    g->addLayout(line({ok1, label(QStringLiteral("."), title), ok2, label(QStringLiteral("."), title), ok3}), row, 1);
    g->addWidget(label(QStringLiteral("ОКВЭД"), title), row, 0);
    ++row;
    g->addWidget(label(QStringLiteral("Контактный тел:"), title), row, 0);
    g->addWidget(tele, row, 1, Qt::AlignLeft);
    g->setColumnStretch(1, 1);
    g->setColumnMinimumWidth(0, 130);
    g->setColumnMinimumWidth(1, 300);
    return title;
}

QGroupBox *Tnds::buildTaxBox(QWidget *page)
{
    // The tax due: where it is paid and how much.
    auto *tax = named(new QGroupBox(QStringLiteral("Сумма налога"), page), "GroupBox2");
    auto *t = new QGridLayout(tax);
    okato = masked("00000000000;1;_", tax, "okato", &m_fields.okato);
    kbk = masked("00000000000000000000;1;_", tax, "kbk", &m_fields.kbk);
    summa1 = bound(named(new QLineEdit(QStringLiteral("0"), tax), "summa1"), &m_fields.taxBase);
    summa = bound(named(new QLineEdit(QStringLiteral("0"), tax), "summa"), &m_fields.vat);
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
    return tax;
}

void Tnds::showEvent(QShowEvent *event)
{
    DeclarationWindow::showEvent(event);
    if (!event->spontaneous())
        orvel::runHandler(this, [this] { FormShow(); });
}

void Tnds::FormShow()
{
    const TaxFigures figures = m_lastTaxFigures ? m_lastTaxFigures() : TaxFigures{};
    summa->setText(orvel::showAmount(figures.tax));
    summa1->setText(orvel::showAmount(figures.amount));
}

QString Tnds::templateName() const { return QString::fromLatin1(orvel::kVatDeclarationTemplate); }

void Tnds::fill(orvel::SpreadsheetApp &app, const orvel::DeclarationProgress &progress)
{
    m_fields.filedWhereRegistered = ComboBox1->currentIndex() == 0;
    orvel::fillVatDeclaration(app, m_fields, progress);
}

void Tnds::BitBtn1Click() { orvel::openLink(QString::fromLatin1(kOfficeLookupUrl)); }

std::vector<Tnds::ProfileField> Tnds::profileFields() const
{
    return {{"Familia", Edit1},  {"Imya", Edit2},  {"Otchestvo", Edit3},       {"INN", inn},
            {"KBK", kbk},        {"№korrektirovki", korect}, {"God", god},     {"FNS", fns},
            {"Ok1", ok1},        {"Ok2", ok2},     {"Ok3", ok3},               {"Period", period},
            {"Telephone", tele}, {"OKATO", okato}};
}
