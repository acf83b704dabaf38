#pragma once
// A label drawn as a web link (blue, underlined, hand cursor) that reports clicks.
#include <QLabel>

namespace orvel {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace orvel
