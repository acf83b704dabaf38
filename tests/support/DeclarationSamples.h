#pragma once
// Sample identification data, as a person would type it into the VAT
// declaration window, shared by the window tests, the end-to-end test with a
// real office and the benchmark.
#include "MaskEdit.h"
#include "Tnds.h"

#include <QComboBox>
#include <QLineEdit>

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

} // namespace orveltest
