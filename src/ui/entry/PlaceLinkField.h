#pragma once

#include "ui/widgets/ShellOpen.h"

#include <QColor>
#include <QCursor>
#include <QObject>
#include <QUrl>

#include <optional>

class QLineEdit;
class QWidget;

// The Place box Text1(0) as a link: while its text looks like a web address the mouse over it
// underlines it in blue, and a left click opens the address in the browser. Moving over the
// form's own background (between the controls) takes the look away again.
class PlaceLinkField : public QObject
{
    Q_OBJECT

public:
    static QColor linkColour() { return QColor(0, 0, 255); }

    PlaceLinkField(QLineEdit* place, QWidget* frame, ShellOpen open, QObject* parent = nullptr);

    bool isLink() const;

    // Whether a text looks like a web address: a "." followed by at least 3 characters.
    static bool isAddressLike(const QString& text);

    // The web address a Place text opens: http or https only, "www.x" as "http://www.x";
    // nothing for files, programs and other kinds of address.
    static std::optional<QUrl> webAddressFor(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAsLink();
    void showAsText();
    bool isFrameBackground(const QPoint& pos) const;

    QLineEdit* m_place;
    QWidget* m_frame;
    ShellOpen m_open;
    QCursor m_textCursor;
};
