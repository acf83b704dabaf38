#pragma once
// The VAT declaration window of an individual entrepreneur: identification
// data and the two amounts, written into a copy of shablon/nds.xls through
// the spreadsheet application. Controls carry the form names as objectName.
#include "declarations/VatDeclaration.h"
#include "ui/declarations/DeclarationWindow.h"

#include <functional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

class Tnds : public orvel::DeclarationWindow {
    Q_OBJECT
public:
    // The last figures of the tax calculation: the amount entered and the
    // result (the tax, or the amount without it).
    struct TaxFigures {
        double amount = 0;
        double tax = 0;
    };
    // lastTaxFigures gives them whenever the window turns visible; without
    // it the window shows 0.
    explicit Tnds(std::function<TaxFigures()> lastTaxFigures = {}, QWidget *parent = nullptr);

    QTabWidget *PageControl1 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr; // surname, first name, patronymic
    orvel::MaskEdit *tele = nullptr, *inn = nullptr, *korect = nullptr, *period = nullptr, *god = nullptr;
    QComboBox *ComboBox1 = nullptr; // filed where the taxpayer is registered
    orvel::MaskEdit *ok1 = nullptr, *ok2 = nullptr, *ok3 = nullptr, *fns = nullptr, *okato = nullptr,
                    *kbk = nullptr;
    QLineEdit *summa1 = nullptr; // tax base
    QLineEdit *summa = nullptr;  // VAT
    QPushButton *BitBtn1 = nullptr;

    void FormShow();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;
    QString templateName() const override;
    void fill(orvel::SpreadsheetApp &app, const orvel::DeclarationProgress &progress) override;
    std::vector<ProfileField> profileFields() const override;

private:
    void buildTitleFields(QWidget *title);
    QGroupBox *buildTitlePage(QWidget *page);
    QGroupBox *buildTaxBox(QWidget *page);

    std::function<TaxFigures()> m_lastTaxFigures;
    // The declaration's fields: the texts come from the controls bound to them.
    orvel::VatDeclarationFields m_fields;
};
