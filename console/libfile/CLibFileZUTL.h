// The chunked library container "ZUTL": a frame taken from a data file of the
// data folder (header, chunk table, chunk headers) whose entry, data and root
// chunks are filled from the map's voice memory. Every offset read from an
// image is checked against the image before use, and a load checks the whole
// image before it changes any voice.
#pragma once

#include "console/model/TemplateList.h"
#include "vantrel_kxe21_console_export.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

class IZutlMap;
class CTovarFileConverter;
class QDataStream;
class QIODevice;

class VANTREL_CONSOLE_EXPORT CLibFileZUTL
{
public:
    struct ZUTL_COMMON_INFO
    {
        QString DataFile;
        QString DuplicateFile;
        int32_t FileHeaderSize = 0;
        int32_t ChunkInformationSize = 0;
    };
    struct ZUTL_CHUNK
    {
        QString entryId; // names
        QString dataId;  // voice data; for the root chunk its own id
    };
    struct ZUTL_DATA
    {
        int32_t chunkIndex = 0; // into the chunk list, and the element of one voice
        int32_t firstEntry = 0;
    };
    struct COMMON_INFO
    {
        int32_t fileSize = 0;
        QString file_extension;
        QString file_filter_w;
        QString file_filter_r;
    };

    // Reads the map's library template and the data file. The map is not owned
    // and must outlive the object. GUI thread (the busy cursor) or any thread
    // without a toolkit application.
    CLibFileZUTL(IZutlMap* map, const QString& libraryPath);
    virtual ~CLibFileZUTL();

    CLibFileZUTL(const CLibFileZUTL&) = delete;
    CLibFileZUTL& operator=(const CLibFileZUTL&) = delete;

    // Image as one byte block (32-bit length, then the bytes) of a stream.
    virtual bool LibrarySave(QDataStream* stream);
    // Reads one block of exactly the image's size; out (optional) gets a copy.
    // Answers the header check; changes no voice.
    virtual bool LibraryLoad(QDataStream* stream, QByteArray* out);
    // Takes an image of length bytes (at least the image size), checks the header
    // and copies every bank into the voice memory.
    virtual bool LibraryLoad(const unsigned char* image, qint64 length);
    bool LibraryLoad(const unsigned char* base, qint64 length, qint64 offset);

    // Files.
    bool LibrarySaveAs();
    bool LibrarySave(const QString& path);
    bool LibrarySave(unsigned char* buffer, qint64 bufferSize, qint64 offset);
    bool WriteZUTLFile(QIODevice* device);
    bool ReadZUTLFile(QIODevice* device);
    bool WriteFile(const QByteArray& image, const QString& path);
    bool SaveDuplicateFile();
    bool LibraryLoad();
    bool OpenLibraryFile();
    bool OpenLibraryFile(const QString& path);
    bool OpenLibraryFile2();
    bool OpenPluginLibFile(const QString& path);
    void CloseLibraryFile();

    bool CheckFileHeader() const;
    bool CheckFileHeader(const unsigned char* image, qint64 length) const;

    // Voices between the image and the voice memory.
    bool CopyAllBankToLibrary();
    bool CopyVoiceDataToLibrary(int sourceBank, int sourceVoice, int bank, int voice);
    bool CopyVoiceDataToBuff(int bank, int voice, unsigned char* buffer, qint64 size) const;
    // The voice's data in the image and the bank's chunk index; null when the
    // data chunk is absent or the voice lies outside the image.
    const unsigned char* GetVoiceAddress(int bank, int voice, int* element) const;

    int GetDirectorySize(int bank) const;
    QString GetDirectryName(int bank, int voice) const;
    int GetConvertDirectorySize(int bank) const;
    QByteArray GetVceDataFileBlk(int element, int index) const;
    static uint32_t CnvByteData(const unsigned char* bytes);

    void DeleteData();

    bool IsTemplateRead() const { return m_templateRead; }
    // Where the template or its frame failed; empty `what` when it was read.
    const TemplateFault& templateFault() const { return m_fault; }
    int32_t GetFileSize() const { return m_common.fileSize; }
    bool IsVoiceData() const { return !m_image.isEmpty(); }
    const QByteArray& image() const { return m_image; }
    bool IsConvertModule() const { return m_converted; }
    CTovarFileConverter* GetConvertModule() const { return m_converter; }
    bool IsLibraryLoad() const { return m_linkedPartLoaded; }
    bool IsZUTLFormat() const { return true; }
    QString GetFileTitle() const { return m_fileTitle; }
    QString GetFileName() const { return m_fileName; }
    QString GetLibFilePathName() const { return m_libraryPath; }
    void SetLibFilePathName(const QString& path) { m_libraryPath = path; }
    const COMMON_INFO& commonInfo() const { return m_common; }
    const ZUTL_COMMON_INFO& zutlInfo() const { return m_zutl; }

private:
    bool readTemplate();
    bool fail(const char* section, const QString& key, const QString& what);
    bool checkFrame();
    bool tokens(const QString& section, const QString& key, QStringList* out) const;

    // Fill sequence; false when a present chunk cannot hold what it must.
    bool fill();
    void SetDataFile();
    bool SetRootChunk();
    bool SetEntryChunk();
    bool SetDataChunk();

    // Image geometry; -1 when absent or outside the image.
    qint64 chunkOffset(const QByteArray& image, const QString& id) const;
    qint64 entryPos(const QByteArray& image, qint64 chunk, int bank, int voice) const;
    qint64 voiceDataPos(const QByteArray& image, int bank, int voice) const;
    int voiceDataSize(int element) const;
    const ZUTL_CHUNK* bankChunk(int bank) const;
    bool validateBanks(const QByteArray& image) const;
    bool copyVoice(const QByteArray& image, int sourceBank, int sourceVoice, int bank, int voice);

    bool ReadFile(QByteArray* buffer, qint64 size);
    bool ConvertData();
    void setPath(const QString& path);

    QByteArray m_image;
    QString m_libraryPath;
    QString m_templatePath;
    QString m_fileName;
    IZutlMap* m_map = nullptr;
    ZUTL_COMMON_INFO m_zutl;
    ZUTL_CHUNK m_root;
    int32_t m_rootBytePos = 0;
    QList<ZUTL_CHUNK> m_chunks;
    QList<ZUTL_DATA> m_data;
    QByteArray m_frameHeader;
    QByteArray m_dataFile;
    COMMON_INFO m_common;
    QString m_fileTitle;
    bool m_templateRead = false;
    TemplateFault m_fault;
    bool m_converted = false;
    CTovarFileConverter* m_converter = nullptr;
    bool m_linkedPartLoaded = false;
};
