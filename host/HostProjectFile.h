#pragma once
// The project file on disk. Only a regular file (or a symbolic link to one) is read
// or written: opening never blocks on a FIFO or a device, and a read stops at its
// bound however large the file says it is. A save is written whole under a temporary
// name of its own beside the project, synced, renamed over it, and the folder synced.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace NS_Host {

struct ProjectFileRead
{
    enum Outcome
    {
        Absent,  // nothing there (a save may make it)
        Read,    // bytes holds the whole file
        Refused, // error says why; the file must not be written over
    };
    Outcome outcome = Absent;
    QByteArray bytes;
    QString error;
};

// Reads the project; more than maxBytes is refused.
ProjectFileRead readProjectFile(const QString& path, qint64 maxBytes);

// Saves the bytes as the project; false with the reason in *error. What is there and
// is not a regular file is refused and left as it is.
bool writeProjectFile(const QString& path, const QByteArray& bytes, QString* error);

// The permission check a save asks before it replaces a project: 0 when the process
// may write the file, else -1 with errno set (access(2) by default; null restores it).
// A project with no write bit at all is never replaced, whatever the check answers.
using WriteAccessCheck = int (*)(const char* name);
void setWriteAccessCheck(WriteAccessCheck check);

// Removes what an interrupted save left beside the project: regular files named as
// the save names its temporary files for this project (the project's name, ".saving-"
// and six letters or digits), nothing else. The names removed.
QStringList removeStaleProjectSaves(const QString& path);

} // namespace NS_Host
