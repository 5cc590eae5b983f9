#include "ui/entry/PickListComboBox.h"

#include "store/Cp1252.h"
#include "ui/entry/FieldCharacterValidator.h"
#include "ui/entry/FieldKeyRules.h"
#include "ui/widgets/ScreenReader.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace {

constexpr int CountryBox = 0;

// The character whose Windows-1252 code is `shift` below that of ch; the completion compares
// codes, so that completion does not depend on the system locale.
QChar shifted(QChar ch, int shift)
{
    if (shift == 0)
        return ch;
    const int code = Cp1252::byteFor(ch.unicode());
    if (code < shift)
        return ch;
    const char byte = char(code - shift);
    return Cp1252::toUnicode(QByteArrayView(&byte, 1)).front();
}

// How a screen reader sees a pick-list box: named by its caption, holding its text as value.
// (Qt's own combo box interface names an editable box by its text on some platforms.)
class PickListAccessible : public QAccessibleWidget
{
public:
    explicit PickListAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        auto* box = static_cast<QComboBox*>(widget());
        if (t == QAccessible::Value)
            return box->currentText();
        if (t == QAccessible::Name && !box->accessibleName().isEmpty())
            return box->accessibleName();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* pickListInterface(const QString&, QObject* object)
{
    auto* box = qobject_cast<PickListComboBox*>(object);
    return box != nullptr ? new PickListAccessible(box) : nullptr;
}

} // namespace

PickListComboBox::PickListComboBox(int box, QLineEdit* field, QWidget* parent)
    : QComboBox(parent), m_box(box), m_field(field)
{
    setObjectName(QStringLiteral("Combo1(%1)").arg(box));
    // An interface made while this was still a plain combo box is dropped for ours.
    ScreenReader::useInterface(this, pickListInterface,
                               [](QAccessibleInterface* face) { return dynamic_cast<PickListAccessible*>(face) != nullptr; });
    setEditable(true);
    // The wheel over a box that the user is not editing scrolls the form instead (below).
    setFocusPolicy(Qt::StrongFocus);
    setInsertPolicy(QComboBox::NoInsert);
    // The box completes from its own list (below), not with Qt's completer.
    setCompleter(nullptr);
    setValidator(new FieldCharacterValidator(this));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(6);
    // The field follows the box's text at once, so a command clicked while the box still has
    // the focus stores what the box shows.
    connect(this, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (m_field->text() != text)
            m_field->setText(text);
    });
    connect(this, &QComboBox::activated, this, &PickListComboBox::CopyComboToField);
}

void PickListComboBox::setTelephoneCodes(QListWidget* codes, QLineEdit* telCode)
{
    m_codes = codes;
    m_telCode = telCode;
}

void PickListComboBox::setCaption(const QString& caption)
{
    setAccessibleName(caption);
    lineEdit()->setAccessibleName(caption);
}

void PickListComboBox::setEntries(const QStringList& entries)
{
    const QSignalBlocker blocker(this);
    const QString shown = currentText();
    clear();
    addItems(entries);
    setCurrentIndex(findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
    setEditText(shown);
}

void PickListComboBox::showValue(const QString& text)
{
    const int entry = text.isEmpty() ? -1 : findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry != currentIndex())
        setCurrentIndex(entry);
    setEditText(text);
    m_field->setText(currentText());
}

void PickListComboBox::CopyComboToField(int entry)
{
    if (m_box == CountryBox && m_codes != nullptr && m_telCode != nullptr && entry >= 0
        && entry < m_codes->count()) {
        m_telCode->setText(m_codes->item(entry)->text());
    }
    m_field->setText(currentText());
}

void PickListComboBox::focusInEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason)
        resetCompletion();
    QComboBox::focusInEvent(event);
}

void PickListComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        leave();
}

int PickListComboBox::entryMatching(const QString& text) const
{
    const int exact = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return exact >= 0 ? exact : findText(text, Qt::MatchFixedString);
}

void PickListComboBox::leave()
{
    const QString text = currentText();
    if (text.isEmpty()) {
        // Emptying the box empties the field, so that a value can be taken away.
        m_field->clear();
        return;
    }
    // A text that is an entry but for its letter case takes the entry as the list spells it.
    const int entry = entryMatching(text);
    if (entry >= 0) {
        if (itemText(entry) != text) {
            setCurrentIndex(entry);
            setEditText(itemText(entry));
        }
        CopyComboToField(entry);
        return;
    }
    // A text that is not in the list is kept as typed; for the Country box, Tel Code stays as
    // the user has it.
    m_field->setText(text);
}

void PickListComboBox::resetCompletion()
{
    m_typedPrefix.clear();
}

void PickListComboBox::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (FieldKeyRules::tookNonTypingKey(event, [this](QKeyEvent* key) { QComboBox::keyPressEvent(key); }))
        return;
    for (const QChar ch : typed) {
        if (!FieldKeyRules::isStorable(ch)) {
            event->accept();
            return;
        }
    }
    if (typed.size() == 1 && complete(typed.front())) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool PickListComboBox::complete(QChar typed)
{
    QLineEdit* edit = lineEdit();
    if (edit->text().isEmpty())
        resetCompletion();
    const bool digit = typed >= u'0' && typed <= u'9';
    if (typed.unicode() < 'A' && !digit)
        return false;
    // Completion goes on only from the part it accepted, with nothing typed after it: any other
    // text in the box stays the user's.
    const int at = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int end = edit->hasSelectedText() ? at + int(edit->selectedText().size()) : at;
    if (at != m_typedPrefix.size() || end != edit->text().size()
        || QStringView(edit->text()).left(at).compare(m_typedPrefix, Qt::CaseInsensitive) != 0)
        return false;
    const int pos = at + 1;
    // Country names complete whatever letter case is typed; the other boxes shift only the
    // first letter, so that their small-letter entries can be reached too.
    const bool anyCase = m_box == CountryBox;
    const int shift = (anyCase || digit || !edit->text().isEmpty()) ? 0 : 32;
    const QString candidate = m_typedPrefix + shifted(typed, shift);
    const Qt::CaseSensitivity sensitivity = anyCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < count(); ++i) {
        const QString entry = itemText(i);
        if (entry.size() < pos || QStringView(entry).left(pos).compare(candidate, sensitivity) != 0)
            continue;
        edit->setText(entry);
        edit->setSelection(pos, int(entry.size()) - pos);
        m_typedPrefix = entry.left(pos);
        return true;
    }
    return false;
}

void PickListComboBox::wheelEvent(QWheelEvent* event)
{
    // Scrolling over the form must not change a value the user is not editing.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}
