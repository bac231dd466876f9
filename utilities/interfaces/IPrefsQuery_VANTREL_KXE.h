#pragma once
// The host component's preferences object: numbered properties and the UI state.
// Not counted; the memory-API object holds it without owning it.
#include "vantrel_kxe21_utilities_export.h"
#include <QUuid>
#include <QVariant>
#include <cstdint>

class IMPClientInfo;
class QDataStream;

class VANTREL_UTILITIES_EXPORT IPrefsQuery_VANTREL_KXE
{
public:
    // The stored value, or the property's default when none is stored.
    virtual QVariant getProperty(int id) const = 0;
    // The preferred input (false) or output (true) port.
    virtual QUuid getGUID(bool output) const = 0;
    // Stores the value under the number, replacing an earlier one.
    virtual int32_t setProperty(int id, const QVariant& value) = 0;
    virtual int32_t getClientInfo(IMPClientInfo** info) = 0;
    // The whole property map in the toolkit's stream form.
    virtual int32_t writeToStream(QDataStream& stream) = 0;
    virtual int32_t readFromStream(QDataStream& stream) = 0;
    // The open editor windows, through the user-interface server; 0x80000008 without one.
    virtual int32_t writeUIPrefsToStream(QDataStream& stream) = 0;
    virtual int32_t readUIPrefsFromStream(QDataStream& stream) = 0;
    virtual ~IPrefsQuery_VANTREL_KXE() = default;
    // Whether a value is stored under the number (a default is not), copied to out when
    // given. The base answers from getProperty, right for an object without defaults.
    virtual bool propertyValueAvailable(int id, QVariant* out = nullptr) const
    {
        const QVariant value = getProperty(id);
        if (out)
            *out = value;
        return value.isValid();
    }
};
