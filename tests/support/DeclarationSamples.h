#pragma once
// Sample identification data, as a person would type it into the VAT
// declaration window, shared by the window tests, the end-to-end test with a
// real office and the benchmark.
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace orveltest {

// Every field of the VAT window filled, "Да" chosen for the place code.
inline void fillVatWindow(Tnds *f)
{
    f->Edit1->setText(QStringLiteral("СИДОРОВ"));
    f->Edit2->setText(QStringLiteral("ПЁТР"));
    f->Edit3->setText(QStringLiteral("АЛЕКСАНДРОВИЧ"));
    f->tele->setText(QStringLiteral("8(495)123-4567"));
    f->inn->setText(QStringLiteral("771234567890"));
    f->korect->setText(QStringLiteral("001"));
    f->period->setText(QStringLiteral("21"));
    f->god->setText(QStringLiteral("2010"));
    f->ComboBox1->setCurrentIndex(0);
    f->ok1->setText(QStringLiteral("52"));
    f->ok2->setText(QStringLiteral("11"));
    f->ok3->setText(QStringLiteral("04"));
    f->fns->setText(QStringLiteral("7701"));
    f->okato->setText(QStringLiteral("45286555000"));
    f->kbk->setText(QStringLiteral("18210301000011000110"));
}

// Every field of the VAT window left empty, nothing chosen.
inline void emptyVatWindow(Tnds *f)
{
    for (QLineEdit *e : f->findChildren<QLineEdit *>())
        e->setText(QString());
    f->ComboBox1->setCurrentIndex(-1);
}

// Every field of the simplified window filled, a corrective declaration
// for both taxes.
inline void fillSimplifiedWindow(Tnull1 *f)
{
    f->Edit1->setText(QStringLiteral("Межрайонная инспекция Федеральной налоговой службы № 5 по Москве"));
    f->Edit2->setText(QStringLiteral("ООО \"Ромашка\""));
    f->inn->setText(QStringLiteral("7701234567"));
    f->kpp->setText(QStringLiteral("770101001"));
    f->RadioButton2->setChecked(true);
    f->MaskEdit1->setText(QStringLiteral("2"));
    f->god->setText(QStringLiteral("2010"));
    f->fns->setText(QStringLiteral("7705"));
    f->okato->setText(QStringLiteral("45286555000"));
    f->ok1->setText(QStringLiteral("52"));
    f->ok2->setText(QStringLiteral("11"));
    f->ok3->setText(QStringLiteral("04"));
    f->tele->setText(QStringLiteral("8(495)123-4567"));
    f->CheckBox1->setChecked(true);
    f->MaskEdit3->setText(QStringLiteral("3"));
    f->MaskEdit2->setText(QStringLiteral("03"));
    f->CheckBox2->setChecked(true);
    f->MaskEdit5->setText(QStringLiteral("3"));
    f->MaskEdit4->setText(QStringLiteral("09"));
}

// Every field of the simplified window left empty, nothing chosen.
inline void emptySimplifiedWindow(Tnull1 *f)
{
    for (QLineEdit *e : f->findChildren<QLineEdit *>())
        e->setText(QString());
    for (QRadioButton *b : {f->RadioButton1, f->RadioButton2}) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    f->CheckBox1->setChecked(false);
    f->CheckBox2->setChecked(false);
}

} // namespace orveltest
