#pragma once

#include "ui/widgets/ShellOpen.h"

#include <QTimer>
#include <QWidget>

class ClickableImage;
class QFrame;
class QLabel;

// The window shown while the program starts: artwork, the product's address and the version.
// It holds itself on screen for 3500 ms; a click on the picture opens the product's page.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHoldMilliseconds = 3500;

    SplashWindow(const QString& productUrl, ShellOpen open, QWidget* parent = nullptr);

    // True until the hold time has passed since the window was shown.
    bool isHolding() const { return m_timer1->isActive(); }

    // Shows the window and lets events run until the hold time is over.
    void showAndWait();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onImage1Click();

    QString m_productUrl;
    ShellOpen m_open;
    ClickableImage* m_image1 = nullptr;
    QLabel* m_image2 = nullptr;
    QFrame* m_shape1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QTimer* m_timer1 = nullptr;
    bool m_loaded = false;
};
