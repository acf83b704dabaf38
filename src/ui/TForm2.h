#pragma once
// The about window: product name and version, what the calculator does, and
// the maker's web site and e-mail address as links. Created hidden at start
// and kept until exit; closing it only hides it.
#include <QWidget>

class QLabel;
class QPushButton;

class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr; // product and version, as a heading
    QLabel *Label2 = nullptr; // description
    QLabel *Label4 = nullptr; // web-site link
    QLabel *Label6 = nullptr; // "Все вопросы и предложения ..."
    QLabel *Label7 = nullptr; // "отправлять на "
    QLabel *Label5 = nullptr; // e-mail link
    QPushButton *Button1 = nullptr; // "ОК"

    void Button1Click();
    void Label4Click();
    void Label5Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_shownOnce = false;
};
