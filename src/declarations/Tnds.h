#pragma once
#include <QWidget>

class Tnds : public QWidget {
    Q_OBJECT
public:
    explicit Tnds(QWidget *parent = nullptr);
};
