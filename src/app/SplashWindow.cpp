#include "app/SplashWindow.h"

#include "app/ClickableImage.h"
#include "app/SplashArtwork.h"
#include "settings/ProgramValues.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

SplashWindow::SplashWindow(const QString& productUrl, ShellOpen open, QWidget* parent)
    : QWidget(parent, Qt::Window), m_productUrl(productUrl), m_open(std::move(open))
{
    setObjectName(QStringLiteral("splash"));
    setWindowTitle(QStringLiteral("Starting - Roamlog@"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_shape1 = new QFrame(this);
    m_shape1->setObjectName(QStringLiteral("Shape1"));
    m_shape1->setFrameShape(QFrame::Box);
    m_shape1->setLineWidth(2);
    m_shape1->setStyleSheet(QStringLiteral("#Shape1 { background: #fdf8ea; border: 2px solid #1d5f9c; }"));

    const qreal ratio = devicePixelRatioF();
    m_image1 = new ClickableImage(m_shape1);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(SplashArtwork::globeAndRoute(QSize(160, 160), ratio));
    m_image1->setCursor(Qt::PointingHandCursor);
    m_image1->setToolTip(productUrl);
    m_image1->setAccessibleName(QStringLiteral("Open the product's web page"));
    connect(m_image1, &ClickableImage::clicked, this, &SplashWindow::onImage1Click);

    m_image2 = new QLabel(m_shape1);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setPixmap(SplashArtwork::luggageTag(QSize(72, 40), ratio));

    auto* title = new QLabel(QStringLiteral("Roamlog@"), m_shape1);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: #123e6b;"));
    auto* tagline = new QLabel(QStringLiteral("Your travel log"), m_shape1);

    m_label1 = new QLabel(m_shape1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2 = new QLabel(m_shape1);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* text = new QVBoxLayout;
    text->addWidget(m_image2, 0, Qt::AlignLeft);
    text->addWidget(title);
    text->addWidget(tagline);
    text->addStretch(1);
    text->addWidget(m_label1);
    text->addWidget(m_label2);

    auto* inner = new QHBoxLayout(m_shape1);
    inner->setContentsMargins(18, 18, 18, 18);
    inner->setSpacing(18);
    inner->addWidget(m_image1);
    inner->addLayout(text, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_shape1);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kHoldMilliseconds);
    // The tick stops the timer, which ends the wait.
    m_timer1->setSingleShot(true);
}

void SplashWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    m_label2->setText(m_productUrl);
    m_label1->setText(QStringLiteral("v%1.%2").arg(ProgramValues::kVersionMajor).arg(ProgramValues::kVersionMinor));
    m_timer1->start();
}

void SplashWindow::showAndWait()
{
    show();
    while (isHolding())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

void SplashWindow::onImage1Click()
{
    if (m_open)
        m_open(QUrl(m_productUrl));
}
