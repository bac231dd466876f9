// Loads arbitrary bytes as library files over the shipped memory maps: as a
// document (.m3e) and as voice files (.w9e and the older extensions, which run the
// converters), and through the stream form. The first byte chooses the form and
// whether the rest overlays a valid image after its headers, so that the header
// checks pass and the voice and directory contents are exercised.
#include "console/libfile/LibraryFile.h"
#include "console/model/PrmCtrl.h"

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

QString dataFolder()
{
    return QString::fromLocal8Bit(VANTREL_FUZZ_SOURCE_DIR) + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL/");
}

struct Maps
{
    CPrmCtrl multi;
    CPrmCtrl voice;
    QByteArray document;
    QByteArray voices;
    bool ok = false;
    Maps()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
        ok = multi.CreatePrmCtrl(0, dataFolder() + QStringLiteral("METOVAR-VANTREL.tpm"))
            && voice.CreatePrmCtrl(1, dataFolder() + QStringLiteral("TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm"));
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
        const QString doc = scratch(QStringLiteral("m3e"));
        const QString w9e = scratch(QStringLiteral("w9e"));
        ok = ok && CLibraryFile(&multi, doc).LibrarySaveAs() && CLibraryFile(&voice, w9e).LibrarySaveAs();
        document = read(doc);
        voices = read(w9e);
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QString scratch(const QString& ext)
    {
        return QDir::tempPath() + QStringLiteral("/library_file_fuzz_%1.%2").arg(getpid()).arg(ext);
    }
};

Maps& maps()
{
    static Maps* m = new Maps;
    return *m;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// The input over a valid image, after its first 128 bytes (the headers).
QByteArray overlay(const QByteArray& image, const uint8_t* data, size_t size, size_t at)
{
    QByteArray out = image;
    const qsizetype n = qMin<qsizetype>(qsizetype(size), out.size() - qsizetype(at));
    if (n > 0)
        out.replace(qsizetype(at), n, QByteArray(reinterpret_cast<const char*>(data), n));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Maps& m = maps();
    if (!m.ok || size < 1)
        return 0;
    const uint8_t mode = data[0];
    const uint8_t* rest = data + 1;
    const size_t n = size - 1;
    static const char* const exts[] = {"m3e", "w9e", "w7e", "w6e", "w2e", "m2e"};
    const bool over = mode & 0x08;
    switch (mode & 0x07) {
    case 0: {
        const QString path = Maps::scratch(QStringLiteral("m3e"));
        if (over && (mode & 0xF0) == 0xF0) {
            // A whole document with the input over the multi part and trailer: a load
            // that copies every bank, so only one input in sixteen of this form.
            write(path, overlay(m.document, rest, n, size_t(m.voices.size()) + 128));
            CLibraryFile(&m.multi, path).LibraryLoad();
        } else if (over) {
            // The multi image alone, its header intact.
            const QByteArray image = overlay(m.document.mid(m.voices.size(), 2048), rest, n, 128);
            CLibraryFile(&m.multi, QString()).LibraryLoad(reinterpret_cast<const unsigned char*>(image.constData()),
                                                          image.size());
        } else {
            write(path, QByteArray(reinterpret_cast<const char*>(rest), qsizetype(n)));
            CLibraryFile(&m.multi, path).LibraryLoad();
            CLibraryFile(&m.multi, QString()).OpenLibraryFile(path);
        }
        break;
    }
    case 1: case 2: case 3: case 4: case 5: {
        const QString path = Maps::scratch(QLatin1String(exts[mode & 0x07]));
        const QByteArray bytes = over && (mode & 0x07) == 1 ? overlay(m.voices, rest, n, 128)
                                                            : QByteArray(reinterpret_cast<const char*>(rest), qsizetype(n));
        write(path, bytes);
        CLibraryFile import(&m.voice, path);
        if (import.OpenLibraryFile2()) {
            // A few voices, as an import copies them one by one.
            for (int bank = -1; bank < 8; ++bank) {
                import.GetDirectryName(bank, mode >> 4);
                const int voice = n > size_t(bank + 2) ? rest[bank + 2] : 0;
                import.CopyVoiceDataToLibrary(bank, voice, bank < 0 ? 0 : bank, voice & 0x1F, true);
                unsigned char buffer[4200];
                import.CopyVoiceDataToBuff(bank, voice, buffer, sizeof buffer);
            }
        }
        break;
    }
    default: {
        // The stream form: the input as the stream, or inside a block of the right size.
        QByteArray stream;
        if (over) {
            QDataStream out(&stream, QIODevice::WriteOnly);
            const QByteArray image = overlay(m.document.mid(m.voices.size(), 2048), rest, n, 128);
            out.writeBytes(image.constData(), uint(image.size()));
            out.writeRawData(reinterpret_cast<const char*>(rest), int(qMin<size_t>(n, 200)));
        } else {
            stream = QByteArray(reinterpret_cast<const char*>(rest), qsizetype(n));
        }
        QDataStream in(stream);
        QByteArray image;
        if (CLibraryFile(&m.multi, QString()).LibraryLoad(&in, &image))
            CLibraryFile(&m.multi, QString()).LibraryLoad(reinterpret_cast<const unsigned char*>(image.constData()),
                                                          image.size());
        CLibraryFile(&m.voice, QString()).LibraryLoad(&in, nullptr);
        break;
    }
    }
    return 0;
}
