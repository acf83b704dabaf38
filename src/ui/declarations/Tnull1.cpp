// The simplified declaration window and its run.
#include "ui/declarations/Tnull1.h"

#include "ui/declarations/MaskEdit.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

using orvel::named;

Tnull1::Tnull1(QWidget *parent)
    : DeclarationWindow("null1", QStringLiteral("Заполнение единой (упрощенной) налоговой декларации"),
                        orvel::SpareAsker::SimplifiedWindow, parent)
{
    auto *layout = new QVBoxLayout(this);
    buildTitle(layout);
    layout->addWidget(buildTitlePage());
    layout->addWidget(buildTaxes());

    auto *contact = new QHBoxLayout;
    contact->addWidget(label(QStringLiteral("Контактный тел:"), this));
    contact->addWidget(tele);
    contact->addStretch(1);
    layout->addLayout(contact);
    layout->addStretch(1);

    buildFooter(layout);
}

void Tnull1::buildTitleFields(QWidget *title)
{
    inn = masked("000000000000;1;_", title, "inn", &m_fields.inn);
    kpp = masked("000000000;1;_", title, "kpp", &m_fields.kpp);
    RadioButton1 = named(new QRadioButton(QStringLiteral("Первичная"), title), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("Корректирующая "), title), "RadioButton2");
    MaskEdit1 = masked("0;1;_", title, "MaskEdit1", &m_fields.correctionNumber);
    god = masked("0000;1;_", title, "god", &m_fields.year);
    Edit1 = bound(named(new QLineEdit(QStringLiteral("Межрайонная инспекция Федеральной налоговой службы № 1 "
                                                     "по Московской области"),
                                      title),
                        "Edit1"),
                  &m_fields.taxOfficeName);
    Edit1->setCursorPosition(0);
    fns = masked("0000;1;_", title, "fns", &m_fields.taxOfficeCode);
    Edit2 = bound(named(new QLineEdit(QStringLiteral("ООО \"Пупкин лтд\""), title), "Edit2"), &m_fields.organisation);
    okato = masked("00000000000;1;_", title, "okato", &m_fields.okato);
    ok1 = masked("00;1;_", title, "ok1", &m_fields.okved1);
    ok2 = masked("00;1;_", title, "ok2", &m_fields.okved2);
    ok3 = masked("00;1;_", title, "ok3", &m_fields.okved3);
    tele = masked("8\\(999\\)000-0000;1;_", title, "tele", &m_fields.phone);
}

QWidget *Tnull1::buildTitlePage()
{
    // Title page of the declaration, in the order of the paper form.
    auto *title = new QWidget(this);
    auto *g = new QGridLayout(title);
    g->setContentsMargins(0, 0, 0, 0);
    buildTitleFields(title);

    int row = 0;
    g->addWidget(label(QStringLiteral("ИНН:"), title), row, 0);
    g->addLayout(line({inn, label(QStringLiteral("КПП:"), title), kpp}), row, 1);
    ++row;
    g->addLayout(line({RadioButton1, RadioButton2, label(QStringLiteral("Номер корректировки:"), title), MaskEdit1}),
                 row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("Год:"), title), row, 0);
    g->addLayout(line({god}), row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("Наименование налогового органа:"), title), row, 0);
    g->addWidget(Edit1, row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("Код ФНС:"), title), row, 0);
    g->addLayout(line({fns}), row, 1);
    ++row;
    QLabel *firmLabel = label(QStringLiteral("Полное наименование организации / ИП"), title);
    firmLabel->setWordWrap(true);
    g->addWidget(firmLabel, row, 0);
    g->addWidget(Edit2, row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("ОКАТО:"), title), row, 0);
    g->addLayout(line({okato}), row, 1);
    ++row;
    g->addWidget(label(QStringLiteral("ОКВЭД"), title), row, 0);
    g->addLayout(line({ok1, label(QStringLiteral("."), title), ok2, label(QStringLiteral("."), title), ok3}), row, 1);
    g->setColumnStretch(1, 1);
    g->setColumnMinimumWidth(1, 480);
    return title;
}

QGroupBox *Tnull1::buildTaxes()
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("Налоги, по которым представляется декларация"), this), "GroupBox1");
    auto *t = new QGridLayout(GroupBox1);
    CheckBox1 = named(new QCheckBox(QStringLiteral("НДС"), GroupBox1), "CheckBox1");
    MaskEdit3 = masked("0;1;_", GroupBox1, "MaskEdit3", &m_fields.vatPeriod);
    MaskEdit2 = masked("00;1;_", GroupBox1, "MaskEdit2", &m_fields.vatQuarter);
    CheckBox2 = named(new QCheckBox(QStringLiteral("Налог на прибыль организации"), GroupBox1), "CheckBox2");
    MaskEdit5 = masked("0;1;_", GroupBox1, "MaskEdit5", &m_fields.profitPeriod);
    MaskEdit4 = masked("00;1;_", GroupBox1, "MaskEdit4", &m_fields.profitQuarter);
    // One row per tax: the box, then its period and quarter.
    const QList<std::array<QWidget *, 3>> rows{{CheckBox1, MaskEdit3, MaskEdit2}, {CheckBox2, MaskEdit5, MaskEdit4}};
    for (int r = 0; r < rows.size(); ++r) {
        t->addWidget(rows[r][0], r, 0);
        t->addWidget(label(QStringLiteral("Отчетный период:"), GroupBox1), r, 1);
        t->addWidget(rows[r][1], r, 2);
        t->addWidget(label(QStringLiteral("№ квартала:"), GroupBox1), r, 3);
        t->addWidget(rows[r][2], r, 4);
    }
    t->setColumnStretch(0, 1);
    return GroupBox1;
}

QString Tnull1::templateName() const { return QString::fromLatin1(orvel::kSimplifiedDeclarationTemplate); }

void Tnull1::fill(orvel::SpreadsheetApp &app, const orvel::DeclarationProgress &progress)
{
    m_fields.primary = RadioButton1->isChecked();
    m_fields.corrective = RadioButton2->isChecked();
    m_fields.vatRow = CheckBox1->isChecked();
    m_fields.profitRow = CheckBox2->isChecked();
    orvel::fillSimplifiedDeclaration(app, m_fields, progress);
}

std::vector<Tnull1::ProfileField> Tnull1::profileFields() const
{
    return {{"KPP", kpp},         {"FNSName", Edit1}, {"Firma", Edit2}, {"INN", inn},
            {"№korrektirovki", MaskEdit1}, {"God", god}, {"FNS", fns},  {"Ok1", ok1},
            {"Ok2", ok2},         {"Ok3", ok3},       {"Telephone", tele}, {"OKATO", okato}};
}
