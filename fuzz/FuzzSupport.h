#pragma once
// What the fuzz targets share: the project's log categories switched off (a reader
// that warns on every bad input would drown the run), the repository's data folder,
// a toolkit application for the targets that need one, the splitting of an input
// into parts, and the writing of seed inputs when VANTREL_FUZZ_SEEDS names a folder.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace FuzzSupport {

inline void quietLogs()
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
}

inline QString repository()
{
    return QString::fromLocal8Bit(VANTREL_FUZZ_SOURCE_DIR);
}

inline QString dataFolder()
{
    return repository() + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL/");
}

inline QString multiTemplate()
{
    return dataFolder() + QStringLiteral("METOVAR-VANTREL.tpm");
}

inline QString voiceTemplate()
{
    return dataFolder() + QStringLiteral("TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm");
}

// A scratch folder for the whole run.
inline QString scratch()
{
    static QTemporaryDir* dir = new QTemporaryDir;
    return dir->path();
}

// One widget application under the offscreen platform, with a settings folder of its
// own so that no run reads or changes the user's settings. Logs are off before it
// exists.
inline void startToolkit()
{
    quietLogs();
    if (QCoreApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const QString config = scratch() + QStringLiteral("/config");
    QDir().mkpath(config);
    setenv("XDG_CONFIG_HOME", config.toLocal8Bit().constData(), 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const QString runtime = scratch() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 1);
    }
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    quietLogs();
}

// The input cut at each occurrence of the separator; always at least one part.
inline QList<QByteArray> split(const uint8_t* data, size_t size, const QByteArray& separator)
{
    const QByteArray all = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> parts;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = all.indexOf(separator, from);
        if (at < 0) {
            parts.append(QByteArray(all.constData() + from, all.size() - from));
            return parts;
        }
        parts.append(QByteArray(all.constData() + from, at - from));
        from = at + separator.size();
    }
}

// Applies (3-byte offset, value) edits to the size bytes of an image; the offset wraps
// at its size.
inline void patch(char* image, qsizetype size, const QByteArray& edits)
{
    if (size <= 0)
        return;
    for (qsizetype i = 0; i + 4 <= edits.size(); i += 4) {
        const auto* e = reinterpret_cast<const uint8_t*>(edits.constData() + i);
        const qsizetype at = qsizetype(uint32_t(e[0]) << 16 | uint32_t(e[1]) << 8 | e[2]) % size;
        image[at] = char(e[3]);
    }
}

inline void patch(QByteArray& image, const QByteArray& edits)
{
    if (!image.isEmpty())
        patch(image.data(), image.size(), edits);
}

// Where the seeds of one target go when the run was asked to write them; empty
// otherwise.
inline QString seedFolder(const char* target)
{
    const char* root = std::getenv("VANTREL_FUZZ_SEEDS");
    if (!root || !*root)
        return QString();
    const QString folder = QString::fromLocal8Bit(root) + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(folder);
    return folder;
}

inline void writeSeed(const QString& folder, const char* name, const QByteArray& bytes)
{
    QFile f(folder + QLatin1Char('/') + QLatin1String(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        fprintf(stderr, "seed %s not written\n", name);
        std::exit(1);
    }
}

} // namespace FuzzSupport
