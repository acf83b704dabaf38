#pragma once
#include <QWidget>

class Tnull1 : public QWidget {
    Q_OBJECT
public:
    explicit Tnull1(QWidget *parent = nullptr);
};
