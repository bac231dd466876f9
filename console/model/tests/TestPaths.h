#pragma once
// Where the tests find their fixtures and the shipped data folder.
#include <QString>
#include <cstdlib>

inline QString sourceDir()
{
    if (const char* s = std::getenv("VANTREL_SOURCE_DIR"))
        return QString::fromLocal8Bit(s);
    // Without the variable: the repository that holds this file.
    QString here = QString::fromLocal8Bit(__FILE__);
    const int at = here.lastIndexOf(QStringLiteral("/console/model/tests/"));
    return at > 0 ? here.left(at) : QStringLiteral(".");
}

inline QString fixturePath(const char* name)
{
    return sourceDir() + QStringLiteral("/console/model/tests/fixtures/") + QLatin1String(name);
}

// The shipped multi and voice templates: from the bundle when it was built, else
// from the source tree.
inline QString shippedMultiTemplate()
{
    return sourceDir() + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm");
}

inline QString shippedVoiceTemplate()
{
    return sourceDir() + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm");
}

inline QString bundleDir()
{
    const char* s = std::getenv("VANTREL_BUNDLE_DIR");
    return s ? QString::fromLocal8Bit(s) : QString();
}
