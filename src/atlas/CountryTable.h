#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// One country of the atlas: its ISO 3166-1 codes (numeric 0 when it has none, as Kosovo),
// its continent, the name shown and the other names people type for it.
struct Country
{
    QString code;
    int numeric = 0;
    QString continent;
    QString name;
    QStringList otherNames;
};

// The countries of the atlas, read from countries.tsv (UTF-8, one country a line: alpha-2
// code, numeric code, continent, name, other names separated by ";"; "#" starts a comment).
class CountryTable
{
public:
    // Reads the file; false with *error set when it cannot be read or a line is malformed.
    bool load(const QString& path, QString* error);
    bool parse(const QByteArray& text, QString* error);

    int size() const { return int(m_countries.size()); }
    const Country& at(int index) const { return m_countries[size_t(index)]; }
    // The index of an alpha-2 code (any case) or of a numeric code; -1 when there is none.
    int indexOfCode(const QString& code) const { return m_byCode.value(code.toUpper(), -1); }
    int indexOfNumeric(int numeric) const { return numeric > 0 ? m_byNumeric.value(numeric, -1) : -1; }

private:
    std::vector<Country> m_countries;
    QHash<QString, int> m_byCode;
    QHash<int, int> m_byNumeric;
};
