// The declaration chooser on the tax tab: group "Декларация".
#include "ui/ErrorBox.h"
#include "ui/main/TForm1.h"
#include "ui/ShowInFront.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

using orvel::named;

void TForm1::buildChooser()
{
    // Below the group "Налог" of the same tab.
    auto *pageLayout = qobject_cast<QVBoxLayout *>(TabSheet1->layout());
    GroupBoxDeclaration = named(new QGroupBox(QStringLiteral("Декларация"), TabSheet1), "GroupBox2");
    auto *grid = new QGridLayout(GroupBoxDeclaration);
    Label22 = named(new QLabel(QStringLiteral("Налог:"), GroupBoxDeclaration), "Label22");
    ComboBox3 = named(new QComboBox(GroupBoxDeclaration), "ComboBox3");
    ComboBox3->addItems({QStringLiteral("НДС (18%)"), QStringLiteral("\"Нулевая\" декларация")});
    ComboBox3->setCurrentIndex(-1);
    Button28 = named(new QPushButton(QStringLiteral("Заполнить декларацию"), GroupBoxDeclaration), "Button28");
    grid->addWidget(Label22, 0, 0);
    grid->addWidget(ComboBox3, 0, 1);
    grid->addWidget(Button28, 1, 0, 1, 2, Qt::AlignLeft);
    // Fields keep a comfortable width; the free space goes to the right.
    grid->setColumnMinimumWidth(1, 240);
    grid->setColumnStretch(9, 1);
    if (pageLayout) {
        pageLayout->addWidget(GroupBoxDeclaration);
        pageLayout->addStretch(1);
    }

    // Only a choice the user makes counts, not the program setting the list,
    // and only one that changes the selection: picking the item already
    // chosen keeps a rate typed since. A pick that changes the selection
    // reports the change first, then the pick.
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, [this] { m_chooserChanged = true; });
    connect(ComboBox3, &QComboBox::activated, this, [this] {
        if (std::exchange(m_chooserChanged, false))
            orvel::runHandler(this, [this] { ComboBox3Change(); });
    });
    orvel::onEvent(Button28, &QPushButton::clicked, this, [this] { Button28Click(); });
}

void TForm1::ComboBox3Change()
{
    if (ComboBox3->currentIndex() == 0)
        Edit2->setText(QStringLiteral("18"));
}

void TForm1::Button28Click()
{
    // A fresh calculation first: the VAT window shows its amounts. A failure
    // ends here with its error box, and no window opens.
    Button1Click();
    QWidget *window = nullptr;
    if (ComboBox3->currentIndex() == 0)
        window = ndsWindow;
    else if (ComboBox3->currentIndex() == 1)
        window = null1Window;
    if (!window)
        return;
    // Modeless; a window already visible only comes to the front.
    orvel::showInFront(window);
}
