#pragma once

#include <QString>

class QWidget;

// The question Share asks before it publishes anything: the text, with the buttons Share (the
// box's OK button, the default) and Cancel (also Escape). True when the user chose Share.
bool AskToShare(QWidget* owner, const QString& text);
