#pragma once

#include <QValidator>

// Keeps "|" and the characters that Windows-1252 cannot hold out of a box, whichever way they
// arrive (pasted, dropped or set), by removing them from the text.
class FieldCharacterValidator : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};
