#pragma once

#include <QPlainTextEdit>
#include <QString>

// The Comments box Text1(12): one line of text, shown wrapped over as many lines as the box is
// high. The stored value never holds a line break, so Return moves on to the next control and
// pasted or dropped line breaks become blanks; typed keys follow the Comments key rules, and
// characters that the file cannot store are dropped however they arrive.
class CommentsBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    static constexpr int Field = 12;
    static constexpr int VisibleLines = 3;

    explicit CommentsBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    // A text fit for the box: line breaks as blanks, without what the file cannot store.
    static QString oneStorableLine(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int heightForLines(int lines) const;
    void typeCharacter(QKeyEvent* event, QChar typed);
};
