#pragma once
// The unified simplified ("zero") declaration window: an organisation's or
// entrepreneur's identification data and the taxes the declaration covers,
// written into a copy of shablon/upr.xls through the spreadsheet
// application. Controls carry the form names as objectName.
#include <QWidget>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orvel {
class MaskEdit;
class SpreadsheetApp;
} // namespace orvel

class Tnull1 : public QWidget {
    Q_OBJECT
public:
    explicit Tnull1(QWidget *parent = nullptr);
    ~Tnull1() override;

    QLabel *TitleLabel = nullptr;
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
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;

    void Button1Click(); // the declaration run
    void Button2Click();
    void Button3Click(); // save profile
    void Button4Click(); // open profile

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void build();
    void group(const char *prefix, int count, const QString &source);

    // The application object of the last run; kept until the next run or exit.
    std::unique_ptr<orvel::SpreadsheetApp> m_excel;
    QString m_saveDialog1FileName, m_saveDialog2FileName, m_openDialog1FileName;
};
