#include "ui/TForm2.h"

#include "ui/ErrorBox.h"
#include "ui/LinkLabel.h"
#include "ui/Links.h"
#include "ui/Maker.h"
#include "ui/Widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using orvel::named;

namespace {
QLabel *plainLabel(const QString &text, QWidget *parent, const char *name)
{
    auto *label = named(new QLabel(text, parent), name);
    // Plain text keeps the doubled blanks of the description as they are.
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

// A caption bar with the title only: no system menu, no close, minimise or
// maximise button. "ОК" is the way out.
TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("О Orvel"));

    Label1 = plainLabel(QStringLiteral("Orvel 1.2.4"), this, "Label1");
    // Its own style sheet, so the skin's common font size does not flatten the heading.
    Label1->setStyleSheet(QStringLiteral("font-size: 20pt; font-weight: bold;"));

    Label2 = plainLabel(QStringLiteral("Финансовый калькулятор Orvel предназначен для  конвертации валют,  "
                                       "расчета налога (НДС, НДФЛ и др),  вкладов и кредитов, функции "
                                       "обычного калькулятора. Возможность заполнение деклараций "
                                       "(работает в тестовом режиме). "),
                        this, "Label2");
    Label2->setWordWrap(true);

    Label4 = named(new orvel::LinkLabel(orvel::makerSiteUrl(), this), "Label4");

    Label6 = plainLabel(QStringLiteral("Все вопросы и предложения связанные с программой "), this, "Label6");
    Label6->setWordWrap(true);
    Label7 = plainLabel(QStringLiteral("отправлять на "), this, "Label7");
    Label5 = named(new orvel::LinkLabel(orvel::makerEmail(), this), "Label5");

    Button1 = named(new QPushButton(QStringLiteral("ОК"), this), "Button1");
    Button1->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(Label1);
    layout->addSpacing(6);
    layout->addWidget(Label2);
    layout->addSpacing(6);
    layout->addWidget(Label4);
    layout->addSpacing(6);
    layout->addWidget(Label6);
    auto *mailLine = new QHBoxLayout;
    mailLine->setSpacing(0);
    mailLine->addWidget(Label7);
    mailLine->addWidget(Label5);
    mailLine->addStretch(1);
    layout->addLayout(mailLine);
    layout->addSpacing(8);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);

    // The wrapped texts get a fixed width; the window takes the size its
    // contents need (with the skin's fonts) and cannot be resized.
    Label2->setFixedWidth(380);
    Label6->setFixedWidth(380);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    orvel::onEvent(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(static_cast<orvel::LinkLabel *>(Label4), &orvel::LinkLabel::clicked, this,
            [this] { orvel::runHandler(this, [this] { Label4Click(); }); });
    connect(static_cast<orvel::LinkLabel *>(Label5), &orvel::LinkLabel::clicked, this,
            [this] { orvel::runHandler(this, [this] { Label5Click(); }); });
}

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Centred on the screen the first time; afterwards it stays where the user put it.
    if (QScreen *screen = this->screen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - rect().center());
    }
}

void TForm2::Button1Click() { close(); }

void TForm2::Label4Click() { orvel::openLink(orvel::makerSiteUrl()); }

void TForm2::Label5Click() { orvel::openLink(orvel::makerMailUrl()); }
