#pragma once
// The host program run as a script runs it, beside the test program: offscreen, on the
// virtual MIDI bus, with settings, data and preset voices of its own.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace NS_HostTest {

inline QString hostProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel_host");
}

// Offscreen, on the virtual MIDI bus, with settings and data in `home`.
inline QProcessEnvironment hostEnvironment(const QTemporaryDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VANTREL_MIDI_BACKEND"), QStringLiteral("virtual"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    return env;
}

// A first start of its own: no settings, no data, no preset voices, so the editor raises
// its start-up prompt. `extra` is added to the environment.
inline std::unique_ptr<QProcess> startHost(const QTemporaryDir& home, const QStringList& arguments,
                                           const QProcessEnvironment& extra = QProcessEnvironment())
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = hostEnvironment(home);
    env.insert(QStringLiteral("VANTREL_PRESET_CACHE"), home.filePath(QStringLiteral("presets")));
    env.insert(extra);
    process->setProcessEnvironment(env);
    process->start(hostProgram(), arguments);
    return process;
}

// The status of a program that ended by itself; -1 when it is still running (it is
// then killed), -2 when a signal ended it.
inline int statusOf(QProcess& process, int timeoutMs)
{
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(10000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

} // namespace NS_HostTest
