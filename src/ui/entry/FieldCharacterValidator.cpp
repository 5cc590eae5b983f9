#include "ui/entry/FieldCharacterValidator.h"

#include "ui/entry/FieldKeyRules.h"

QValidator::State FieldCharacterValidator::validate(QString& input, int& pos) const
{
    QString kept;
    kept.reserve(input.size());
    int keptBeforeCaret = 0;
    for (int i = 0; i < input.size(); ++i) {
        if (!FieldKeyRules::isStorable(input.at(i)))
            continue;
        kept.append(input.at(i));
        if (i < pos)
            ++keptBeforeCaret;
    }
    if (kept.size() != input.size()) {
        input = kept;
        pos = keptBeforeCaret;
    }
    return Acceptable;
}

void FieldCharacterValidator::fixup(QString& input) const
{
    int pos = 0;
    validate(input, pos);
}
