#include "StrArray.h"

void CStrArray::SetAt(int i, const QString& text)
{
    if (i < 0)
        return;
    while (m_items.size() <= i)
        m_items.append(QString());
    m_items[i] = text;
}
