#pragma once
// What the host's in-process tests share: running the toolkit a step, and a settings
// store of the test's own.
#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace NS_HostTest {

// One step of the toolkit, deferred deletions included (nothing else runs them
// outside a running loop).
inline void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The editor's settings store of this test only, in a folder of its own: every run
// starts as a first start, and tests of other processes that change their own settings
// at the same time do not move it.
class OwnSettings
{
public:
    OwnSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    ~OwnSettings()
    {
        const QString standard = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, standard);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, standard);
    }
    OwnSettings(const OwnSettings&) = delete;
    OwnSettings& operator=(const OwnSettings&) = delete;

private:
    QTemporaryDir m_dir;
};

} // namespace NS_HostTest
