#include "HostProjectFile.h"
#include "platform/PlatformDurableFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace NS_Host {

namespace {

const char kSaveInfix[] = ".saving-";
constexpr int kSaveSuffixLength = 6;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

ProjectFileRead refused(const QString& why)
{
    ProjectFileRead r;
    r.outcome = ProjectFileRead::Refused;
    r.error = why;
    return r;
}

int openRetrying(const char* name, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(name, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

QString saveSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < kSaveSuffixLength; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return suffix;
}

bool isProjectSaveName(const QString& projectName, const QString& name)
{
    const QString prefix = projectName + QLatin1String(kSaveInfix);
    if (projectName.isEmpty() || name.size() != prefix.size() + kSaveSuffixLength || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    }
    return true;
}

int writeAccess(const char* name)
{
    return ::access(name, W_OK);
}

WriteAccessCheck s_writeAccess = &writeAccess;

} // namespace

void setWriteAccessCheck(WriteAccessCheck check)
{
    s_writeAccess = check ? check : &writeAccess;
}

ProjectFileRead readProjectFile(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat node{};
    if (::stat(name.constData(), &node) != 0) {
        // Nothing there, or a file where a folder of the path should be: no project
        // yet (the save says so if it cannot make one).
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return refused(systemError(errno));
    }
    // A FIFO would hold the open, a device give bytes without end, and a save would
    // put a file in its place.
    if (!S_ISREG(node.st_mode))
        return refused(QStringLiteral("it is not a regular file"));
    // Without blocking: what became a FIFO since the check does not hold the open.
    const int fd = openRetrying(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(systemError(errno));
    ProjectFileRead r;
    r.outcome = ProjectFileRead::Read;
    if (::fstat(fd, &node) != 0 || !S_ISREG(node.st_mode)) {
        ::close(fd);
        return refused(QStringLiteral("it is not a regular file"));
    }
    // Bounded on the bytes read: a file may hold more than it says (or grow).
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return refused(systemError(error));
        }
        if (n == 0)
            break;
        if (r.bytes.size() + n > maxBytes) {
            ::close(fd);
            return refused(QStringLiteral("it holds more than %1 bytes").arg(maxBytes));
        }
        r.bytes.append(buffer, qsizetype(n));
    }
    ::close(fd);
    return r;
}

bool writeProjectFile(const QString& path, const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString target = NS_Platform::PlatformDurableFile::finalPath(path);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat node{};
    const bool exists = ::stat(targetName.constData(), &node) == 0;
    if (exists && !S_ISREG(node.st_mode))
        return fail(QStringLiteral("it is not a regular file"));
    // A project made read-only is not replaced behind the user's back, also not by
    // root, whom the permission check lets write anything.
    if (exists && (node.st_mode & 0222) == 0)
        return fail(systemError(EACCES));
    if (exists && s_writeAccess(targetName.constData()) != 0)
        return fail(systemError(errno));
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot make the folder %1").arg(folder));

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(target + QLatin1String(kSaveInfix) + saveSuffix());
        fd = openRetrying(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(systemError(errno));
    // The project keeps its permissions.
    if (exists)
        ::fchmod(fd, node.st_mode & 07777);
    const bool written = writeAll(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int closeError = written ? errno : writeError;
        ::unlink(temporary.constData());
        return fail(systemError(closeError));
    }
    if (::rename(temporary.constData(), targetName.constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.constData());
        return fail(systemError(renameError));
    }
    if (!NS_Platform::PlatformDurableFile::syncFolderOf(target))
        return fail(QStringLiteral("its folder could not be synced: %1").arg(systemError(errno)));
    return true;
}

QStringList removeStaleProjectSaves(const QString& path)
{
    const QFileInfo target(NS_Platform::PlatformDurableFile::finalPath(path));
    const QDir folder = target.absoluteDir();
    QStringList removed;
    const QStringList names =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (!isProjectSaveName(target.fileName(), name))
            continue;
        // A link or anything but a plain file of that name is not one the save made.
        struct stat node{};
        const QByteArray entry = QFile::encodeName(folder.absoluteFilePath(name));
        if (::lstat(entry.constData(), &node) != 0 || !S_ISREG(node.st_mode))
            continue;
        if (::unlink(entry.constData()) == 0)
            removed << name;
    }
    return removed;
}

} // namespace NS_Host
