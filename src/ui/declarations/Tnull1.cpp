// The simplified declaration window and its run.
#include "ui/declarations/Tnull1.h"

#include "office/Spreadsheet.h"
#include "ui/declarations/DeclarationRun.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/ErrorBox.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

using orvel::MaskEdit;
using orvel::named;

namespace {
const char *const kTemplate = "upr.xls";
const char *const kRange = "A1:EI69";

// Character i (from 1) of a field's text, as a one-character text.
QString charAt(const QString &text, int i) { return i <= text.size() ? QString(text[i - 1]) : QString(); }
} // namespace

Tnull1::Tnull1(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("null1"));
    setWindowTitle(QStringLiteral("Заполнение единой (упрощенной) налоговой декларации"));
    build();
}

Tnull1::~Tnull1() { orvel::spareOfficeWanted(orvel::SpareAsker::SimplifiedWindow, false); }

// Spontaneous shows and hides come from the window system (a restore or a
// minimising), not from the window turning visible or hidden.
void Tnull1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A run may come soon: an office gets ready meanwhile.
    if (!event->spontaneous())
        orvel::spareOfficeWanted(orvel::SpareAsker::SimplifiedWindow, true);
}

void Tnull1::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        orvel::spareOfficeWanted(orvel::SpareAsker::SimplifiedWindow, false);
}

void Tnull1::build()
{
    int labelNo = 0;
    auto label = [&labelNo](const QString &text, QWidget *parent) {
        auto *l = new QLabel(text, parent);
        l->setObjectName(QStringLiteral("Label%1").arg(++labelNo));
        return l;
    };
    auto masked = [](const char *mask, QWidget *parent, const char *name) {
        return named(new MaskEdit(QString::fromLatin1(mask), parent), name);
    };
    auto line = [](std::initializer_list<QWidget *> widgets) {
        auto *l = new QHBoxLayout;
        for (QWidget *w : widgets)
            l->addWidget(w);
        l->addStretch(1);
        return l;
    };

    auto *layout = new QVBoxLayout(this);
    TitleLabel = named(new QLabel(windowTitle(), this), "TitleLabel");
    QFont titleFont = TitleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    TitleLabel->setFont(titleFont);
    layout->addWidget(TitleLabel);

    // Title page of the declaration, in the order of the paper form.
    auto *title = new QWidget(this);
    auto *g = new QGridLayout(title);
    g->setContentsMargins(0, 0, 0, 0);
    inn = masked("000000000000;1;_", title, "inn");
    kpp = masked("000000000;1;_", title, "kpp");
    RadioButton1 = named(new QRadioButton(QStringLiteral("Первичная"), title), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("Корректирующая "), title), "RadioButton2");
    MaskEdit1 = masked("0;1;_", title, "MaskEdit1");
    god = masked("0000;1;_", title, "god");
    Edit1 = named(new QLineEdit(QStringLiteral("Межрайонная инспекция Федеральной налоговой службы № 1 по "
                                               "Московской области"),
                                title),
                  "Edit1");
    Edit1->setCursorPosition(0);
    fns = masked("0000;1;_", title, "fns");
    Edit2 = named(new QLineEdit(QStringLiteral("ООО \"Пупкин лтд\""), title), "Edit2");
    okato = masked("00000000000;1;_", title, "okato");
    ok1 = masked("00;1;_", title, "ok1");
    ok2 = masked("00;1;_", title, "ok2");
    ok3 = masked("00;1;_", title, "ok3");
    tele = masked("8\\(999\\)000-0000;1;_", title, "tele");

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
    layout->addWidget(title);

    GroupBox1 = named(new QGroupBox(QStringLiteral("Налоги, по которым представляется декларация"), this), "GroupBox1");
    auto *t = new QGridLayout(GroupBox1);
    CheckBox1 = named(new QCheckBox(QStringLiteral("НДС"), GroupBox1), "CheckBox1");
    MaskEdit3 = masked("0;1;_", GroupBox1, "MaskEdit3");
    MaskEdit2 = masked("00;1;_", GroupBox1, "MaskEdit2");
    CheckBox2 = named(new QCheckBox(QStringLiteral("Налог на прибыль организации"), GroupBox1), "CheckBox2");
    MaskEdit5 = masked("0;1;_", GroupBox1, "MaskEdit5");
    MaskEdit4 = masked("00;1;_", GroupBox1, "MaskEdit4");
    t->addWidget(CheckBox1, 0, 0);
    t->addWidget(label(QStringLiteral("Отчетный период:"), GroupBox1), 0, 1);
    t->addWidget(MaskEdit3, 0, 2);
    t->addWidget(label(QStringLiteral("№ квартала:"), GroupBox1), 0, 3);
    t->addWidget(MaskEdit2, 0, 4);
    t->addWidget(CheckBox2, 1, 0);
    t->addWidget(label(QStringLiteral("Отчетный период:"), GroupBox1), 1, 1);
    t->addWidget(MaskEdit5, 1, 2);
    t->addWidget(label(QStringLiteral("№ квартала:"), GroupBox1), 1, 3);
    t->addWidget(MaskEdit4, 1, 4);
    t->setColumnStretch(0, 1);
    layout->addWidget(GroupBox1);

    auto *contact = new QHBoxLayout;
    contact->addWidget(label(QStringLiteral("Контактный тел:"), this));
    contact->addWidget(tele);
    contact->addStretch(1);
    layout->addLayout(contact);
    layout->addStretch(1);

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
}

void Tnull1::group(const char *prefix, int count, const QString &source)
{
    // The characters go in bare: the template's cells keep them as text.
    orvel::replacePlaceholderGroup(*m_excel, QString::fromLatin1(kRange), QString::fromUtf8(prefix), count, source,
                                   QString());
}

void Tnull1::Button1Click()
{
    const QString path = orvel::askTargetWorkbook(this, m_saveDialog1FileName);
    if (path.isEmpty())
        return;
    orvel::copyDeclarationTemplate(orvel::declarationTemplatePath(QString::fromLatin1(kTemplate)), path);
    ProgressBar1->setValue(5);

    // Everything goes to the sheet that is active when the workbook opens.
    m_excel = orvel::createSpreadsheetApp(QString::fromLatin1(orvel::kExcelProgId));
    m_excel->workbooksOpen(path);
    ProgressBar1->setValue(8);

    group("АО", 11, okato->text());
    ProgressBar1->setValue(10);
    group("ГД", 4, god->text());
    group("КП", 9, kpp->text());
    group("КД", 4, fns->text());
    ProgressBar1->setValue(15);
    group("И", 12, inn->text());
    group("Ш", 2, ok1->text());
    ProgressBar1->setValue(20);
    group("Щ", 2, ok2->text());
    group("Ч", 2, ok3->text());
    ProgressBar1->setValue(25);

    m_excel->setRangeText(QStringLiteral("W17"), Edit1->text());
    m_excel->setRangeText(QStringLiteral("C20"), Edit2->text());
    ProgressBar1->setValue(30);

    if (RadioButton1->isChecked())
        m_excel->setRangeInt(QStringLiteral("O14"), 1);
    if (RadioButton2->isChecked()) {
        m_excel->setRangeInt(QStringLiteral("O14"), 3);
        ProgressBar1->setValue(35);
        m_excel->setRangeText(QStringLiteral("V14"), MaskEdit1->text());
    }
    ProgressBar1->setValue(40);
    m_excel->setRangeText(QStringLiteral("AZ43"), tele->text());

    if (CheckBox1->isChecked()) {
        m_excel->setRangeText(QStringLiteral("F34"), QStringLiteral("Налог на добавленную стоимость"));
        ProgressBar1->setValue(45);
        m_excel->setRangeText(QStringLiteral("CE34"), QStringLiteral("21"));
        m_excel->setRangeText(QStringLiteral("DA34"), MaskEdit3->text());
        ProgressBar1->setValue(50);
        m_excel->setRangeText(QStringLiteral("DP34"), charAt(MaskEdit2->text(), 1));
        m_excel->setRangeText(QStringLiteral("DU34"), charAt(MaskEdit2->text(), 2));
        ProgressBar1->setValue(60);
    }
    if (CheckBox2->isChecked()) {
        m_excel->setRangeText(QStringLiteral("F36"), QStringLiteral("Налог на прибыль организаций"));
        ProgressBar1->setValue(70);
        m_excel->setRangeText(QStringLiteral("CE36"), QStringLiteral("25"));
        ProgressBar1->setValue(80);
        m_excel->setRangeText(QStringLiteral("DA36"), MaskEdit5->text());
        m_excel->setRangeText(QStringLiteral("DP36"), charAt(MaskEdit4->text(), 1));
        ProgressBar1->setValue(90);
        m_excel->setRangeText(QStringLiteral("DU36"), charAt(MaskEdit4->text(), 2));
    }

    m_excel->activeWorkbookClose(true);
    m_excel->quit();
    ProgressBar1->setValue(100);
    if (QFileInfo::exists(path))
        orvel::showDeclarationDone(this);
    m_saveDialog1FileName.clear();
    ProgressBar1->setValue(0);
}

void Tnull1::Button2Click() { close(); }

namespace {
std::vector<orvel::ProfileField> profileFields(const Tnull1 &w)
{
    return {{"KPP", w.kpp},         {"FNSName", w.Edit1}, {"Firma", w.Edit2}, {"INN", w.inn},
            {"№korrektirovki", w.MaskEdit1}, {"God", w.god}, {"FNS", w.fns},  {"Ok1", w.ok1},
            {"Ok2", w.ok2},         {"Ok3", w.ok3},       {"Telephone", w.tele}, {"OKATO", w.okato}};
}
} // namespace

void Tnull1::Button3Click()
{
    const QString path = orvel::askProfileToSave(this, m_saveDialog2FileName);
    if (!path.isEmpty())
        orvel::saveDeclarationProfile(path, profileFields(*this));
}

void Tnull1::Button4Click()
{
    const QString path = orvel::askProfileToOpen(this, m_openDialog1FileName);
    if (!path.isEmpty())
        orvel::loadDeclarationProfile(path, profileFields(*this));
}
