#pragma once

#include <QLabel>

// A picture that reports a left click, as the splash's main picture needs.
class ClickableImage : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
