// Initial data of the target formats, supplied by the caller from the templates.
// Whatever a conversion cannot derive from the old file is taken from here; a
// buffer that is empty or of the wrong size counts as all zeros.
#pragma once

#include <QByteArray>

struct TConvertInitData {
    QByteArray normalVoice;  // one normal voice record, current layout (952 bytes)
    QByteArray drumVoice;    // one drum voice record (4138 bytes)
    QByteArray pluginVoice;  // one plug-in voice record (353 bytes)
    QByteArray multi;        // the multi image (2048 bytes)
};
