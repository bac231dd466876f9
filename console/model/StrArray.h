#pragma once
// Growable array of texts, indexed from 0; reading past the end gives an empty text.
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <QStringList>

class VANTREL_CONSOLE_EXPORT CStrArray
{
public:
    // Grows the array as needed; a negative index is refused.
    void SetAt(int i, const QString& text);
    QString at(int i) const { return i >= 0 && i < m_items.size() ? m_items.at(i) : QString(); }
    void append(const QString& text) { m_items.append(text); }
    int size() const { return int(m_items.size()); }
    void clear() { m_items.clear(); }

private:
    QStringList m_items;
};
