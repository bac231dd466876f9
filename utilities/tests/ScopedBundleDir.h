#pragma once
// Points VANTREL_BUNDLE_DIR at a folder for one test and restores it afterwards.
#include <QByteArray>
#include <QString>
#include <cstdlib>

class ScopedBundleDir
{
public:
    explicit ScopedBundleDir(const QString& dir)
    {
        const char* old = std::getenv("VANTREL_BUNDLE_DIR");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        if (dir.isNull())
            unsetenv("VANTREL_BUNDLE_DIR");
        else
            setenv("VANTREL_BUNDLE_DIR", dir.toLocal8Bit().constData(), 1);
    }
    ~ScopedBundleDir()
    {
        if (m_had)
            setenv("VANTREL_BUNDLE_DIR", m_old.constData(), 1);
        else
            unsetenv("VANTREL_BUNDLE_DIR");
    }
    ScopedBundleDir(const ScopedBundleDir&) = delete;
    ScopedBundleDir& operator=(const ScopedBundleDir&) = delete;

private:
    bool m_had = false;
    QByteArray m_old;
};
