#pragma once
// The VAT declaration window of an individual entrepreneur: identification
// data and the two amounts, written into a copy of shablon/nds.xls through
// the spreadsheet application. Controls carry the form names as objectName.
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class TForm1;

namespace orvel {
class MaskEdit;
class SpreadsheetApp;
} // namespace orvel

class Tnds : public QWidget {
    Q_OBJECT
public:
    // mainWindow supplies the last entered amount and the last tax result.
    explicit Tnds(TForm1 *mainWindow = nullptr, QWidget *parent = nullptr);
    ~Tnds() override;

    QLabel *TitleLabel = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr; // surname, first name, patronymic
    orvel::MaskEdit *tele = nullptr, *inn = nullptr, *korect = nullptr, *period = nullptr, *god = nullptr;
    QComboBox *ComboBox1 = nullptr; // filed where the taxpayer is registered
    orvel::MaskEdit *ok1 = nullptr, *ok2 = nullptr, *ok3 = nullptr, *fns = nullptr, *okato = nullptr,
                    *kbk = nullptr;
    QLineEdit *summa1 = nullptr; // tax base
    QLineEdit *summa = nullptr;  // VAT
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                *BitBtn1 = nullptr;

    void FormShow();
    void Button1Click(); // the declaration run
    void Button2Click();
    void BitBtn1Click();
    void Button3Click(); // save profile
    void Button4Click(); // open profile

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void build();
    // One placeholder group on the active sheet: "'" + character i for prefix + i + "&".
    void group(const char *prefix, int count, const QString &source);
    void letterCell(const QString &name, int k, int row);

    TForm1 *m_form1 = nullptr;
    // The application object of the last run; kept until the next run or exit.
    std::unique_ptr<orvel::SpreadsheetApp> m_excel;
    QString m_saveDialog1FileName, m_saveDialog2FileName, m_openDialog1FileName;
};
