#include "PlatformDurableFile.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace NS_Platform {

QString PlatformDurableFile::finalPath(const QString& path)
{
    QFileInfo file(path);
    // A loop of links ends nowhere: then the path itself, as QSaveFile does.
    for (int hops = 0; file.isSymLink(); ++hops) {
        if (hops == 40)
            return path;
        file.setFile(file.symLinkTarget());
    }
    return file.filePath();
}

bool PlatformDurableFile::syncFolderOf(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(finalPath(path)).absolutePath());
    int fd;
    do
        fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool PlatformDurableFile::commit(QSaveFile& file)
{
    return file.commit() && syncFolderOf(file.fileName());
}

} // namespace NS_Platform
