#pragma once
// The unified simplified ("zero") declaration window: an organisation's or
// entrepreneur's identification data and the taxes the declaration covers,
// written into a copy of shablon/upr.xls through the spreadsheet
// application. Controls carry the form names as objectName.
#include "declarations/SimplifiedDeclaration.h"
#include "ui/declarations/DeclarationWindow.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

class Tnull1 : public orvel::DeclarationWindow {
    Q_OBJECT
public:
    explicit Tnull1(QWidget *parent = nullptr);

    QLineEdit *Edit1 = nullptr; // tax authority name
    QLineEdit *Edit2 = nullptr; // organisation name
    orvel::MaskEdit *fns = nullptr, *MaskEdit1 = nullptr, *inn = nullptr, *kpp = nullptr, *okato = nullptr,
                    *ok1 = nullptr, *ok2 = nullptr, *ok3 = nullptr, *god = nullptr, *tele = nullptr;
    QRadioButton *RadioButton1 = nullptr; // primary declaration
    QRadioButton *RadioButton2 = nullptr; // corrective declaration
    QGroupBox *GroupBox1 = nullptr;       // the taxes the declaration covers
    QCheckBox *CheckBox1 = nullptr;       // VAT row
    orvel::MaskEdit *MaskEdit3 = nullptr, *MaskEdit2 = nullptr; // its period and quarter
    QCheckBox *CheckBox2 = nullptr;       // profit tax row
    orvel::MaskEdit *MaskEdit5 = nullptr, *MaskEdit4 = nullptr; // its period and quarter

protected:
    QString templateName() const override;
    void fill(orvel::SpreadsheetApp &app, const orvel::DeclarationProgress &progress) override;
    std::vector<ProfileField> profileFields() const override;

private:
    void buildTitleFields(QWidget *title);
    QWidget *buildTitlePage();
    QGroupBox *buildTaxes();

    // The declaration's fields: the texts come from the controls bound to them.
    orvel::SimplifiedDeclarationFields m_fields;
};
