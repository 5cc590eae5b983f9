#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

// The rules of the suggestion box Text4: it holds at most kMaxCharacters characters as sent
// (a line break counts as its CR LF pair), whether typed, pasted or dropped; it takes no
// character that a field could not store; and a lower-case letter typed at the very start of
// the text is inserted as its capital ("a" gives "A"; "{" stays "{").
class SuggestionBoxRules : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxCharacters = 2000;

    explicit SuggestionBoxRules(QPlainTextEdit* text4, QObject* parent = nullptr);

    // The text as it is posted: each line break a CR LF pair.
    static QString postedText(const QPlainTextEdit* text4);

    // The character the first-key rule puts at the start of the text for a typed one.
    static QChar firstKey(QChar typed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void contentsChange(int position, int removed, int added);

    QPlainTextEdit* m_text4;
    bool m_fixing = false;
};
