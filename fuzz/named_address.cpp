// Named addresses from templates and views: parsing and binding must never read past
// the text, and a resolved record must come from the symbol table.
#include "console/memapi/AddressParser.h"
#include <QLoggingCategory>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), int(size));
    NS_AddressParser::Record* records = nullptr;
    const int32_t count = NS_AddressParser::parse(&text, &records);
    if (count > 0) {
        for (int channel : {0, 3, 15, 72, 80, 200}) {
            NS_AddressParser::Record current;
            NS_AddressParser::chooseRecord(records, count, channel, current);
        }
    }
    delete[] records;
    int16_t element = 0, parameter = 0;
    const QByteArray latin = text.toLatin1();
    NS_AddressParser::translateSymbolicName(latin.constData(), element, parameter);
    return 0;
}
