#pragma once
// Moves the contents of one memory map between the map's memory and a flat byte
// image whose layout the map's library template describes: documents (.m3e), voice
// files (.w9e), the library blocks of the document stream, voice imports. Checks the
// image's header text, keeps its bank directory, copies voices between the image and
// the voice memory, carries the mute/solo trailer of documents and runs the converter
// registry over files whose header does not match. A template that names the chunked
// container hands every operation to a CLibFileZUTL.
//
// Short-lived: made on the stack for one operation. Caller holds the memory-API lock
// or is on the GUI thread. Files are written through QSaveFile, so a failed save
// leaves the old file and a shorter save leaves no stale tail.
#include "console/model/TemplateList.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class CIniFileJob;
class CLibFileZUTL;
class CPrmCtrl;
class CTovarFileConverter;
class IZutlMap;
class QDataStream;
class QIODevice;
struct LIBVCEDATA_ADRS;

class VANTREL_CONSOLE_EXPORT CLibraryFile
{
public:
    struct DIRECTORY_ITEM
    {
        int16_t bank = 0;
        int16_t count = 0;
        int32_t offset = 0;
    };
    struct DIRCTORY_INFO
    {
        int32_t mem_offset = 0;
        int32_t mem_size = 0;
        int32_t directorySize = 0;
        QList<DIRECTORY_ITEM> items;
    };
    struct COMMON_INFO
    {
        int32_t fileSize = 0;
        QString file_extension;
        QString file_filter_w;
        QString file_filter_r;
    };
    struct VOICEDATA_ITEM
    {
        int16_t first = 0;
        int16_t count = 0;
        int32_t offset = 0;
        int32_t voiceSize = 0;
        int32_t element = 0;
    };
    struct VOICEDATA_INFO
    {
        int32_t mem_offset = 0;
        int32_t mem_size = 0;
        QList<VOICEDATA_ITEM> items;
    };
    struct HEADER_INFO
    {
        int32_t mem_size = 0;
        int32_t mem_offset = 0;
        QString header;
    };

    // The trailer of a document: tag, then 16 pairs of 'M'/'.' and 'S'/'.'.
    static constexpr int kMuteSoloSize = 78;
    static constexpr int kMuteSoloTagSize = 46;
    static const char kMuteSoloTag[];

    // Reads the map's library template. The map is not owned. Every offset and size of
    // the layout is checked against the image it indexes; a bad one leaves the object
    // unread (IsTemplateRead false), and it then loads and saves nothing.
    CLibraryFile(CPrmCtrl* map, const QString& libraryPath);

    // Checks the map's library layout, as the map build does: true when it is sound or
    // the map has none; else false with "path: [section] line N: what" in error.
    static bool CheckTemplate(CPrmCtrl* map, QString* error);
    virtual ~CLibraryFile();
    CLibraryFile(const CLibraryFile&) = delete;
    CLibraryFile& operator=(const CLibraryFile&) = delete;

    // ---- stream and buffer forms
    // The image as one byte block, then (documents) the trailer as a second block.
    virtual bool LibrarySave(QDataStream* stream);
    // One byte block of exactly fileSize bytes into the image (a block of another
    // length is consumed whole and refused), then the trailer block of a document.
    // out (optional) receives the image; no voice is copied. Answers the header check.
    virtual bool LibraryLoad(QDataStream* stream, QByteArray* out);
    // Takes an image of length bytes (at least fileSize), checks the header and
    // copies every bank into the voice memory; nothing changes on a mismatch.
    virtual bool LibraryLoad(const unsigned char* image, qint64 length);
    bool LibraryLoad(const unsigned char* base, qint64 length, qint64 offset);
    bool LibrarySave(unsigned char* buffer, qint64 bufferSize, qint64 offset);

    // ---- files
    bool LibrarySaveAs();
    bool LibrarySave(const QString& path);
    bool WriteFile(QIODevice* device);
    bool WriteFile(const unsigned char* image, const QString& path, qint64 size);
    bool LibraryLoad();
    bool OpenLibraryFile();
    bool OpenLibraryFile(const QString& path);
    bool OpenLibraryFile2();
    bool OpenPluginLibFile(const QString& path);
    void CloseLibraryFile();
    bool ReadFile(QByteArray* buffer, qint64 size);
    // Reads this map's image from an open device, checks it and copies all banks.
    bool ReadFile(QIODevice* device);
    bool ConvertData();
    bool ConvertData(const unsigned char* bytes, qint64 length);

    // ---- header
    bool CheckFileHeader(bool report = false) const;
    bool CheckFileHeader(const unsigned char* image, qint64 length, bool report = false) const;
    void SetFileHeader();
    void SetVoiceHeader();
    static int GetFormatCode(const QString& path);

    // ---- directory
    void SetVoiceDirectory();
    void SetVoiceDirectory(int bankIndex, int number, const unsigned char* bytes);
    bool GetDirBankData(int bank, DIRECTORY_ITEM& item, qint64& address) const;
    int GetDirectorySize(int bank) const;
    QString GetDirectryName(int bank, int number) const;
    int GetConvertDirectorySize(int bank) const;
    // Voices of the item at bankIndex, from the first on, that the opened file itself
    // holds: after a conversion as many as the converter wrote from the source, else
    // every voice of the item (0 outside the list).
    int GetHeldVoiceCount(int bankIndex) const;

    // ---- voices
    // The voice's bytes in the image and the element of its item; null outside.
    unsigned char* GetVoiceAddress(int bankIndex, int number, int* element);
    bool CopyVoiceDataToLibrary(int sourceBankIndex, int sourceNumber, int bank, int number, bool checkName);
    bool CopyBankToLibrary(int bankIndex);
    bool CopyAllBankToLibrary();
    bool CopyLibraryToVoiceData(int bankIndex, int number, int itemIndex, int itemNumber);
    void SetVoiceData();
    bool CopyVoiceDataToBuff(int bankIndex, int number, unsigned char* buffer, qint64 size);
    void CheckVoiceName(int bank, int number);
    LIBVCEDATA_ADRS GetVceDataFileBlk(int element, int index) const;

    // ---- accessors (answered by the container object when there is one)
    QString GetFileName() const;
    QString GetLibFilePathName() const;
    void SetLibFilePathName(const QString& path);
    QString GetFileTitle() const;
    int32_t GetFileSize() const;
    bool IsVoiceData() const;
    bool IsConvertModule() const;
    CTovarFileConverter* GetConvertModule() const;
    bool IsLibraryLoad() const;
    bool IsZUTLFormat() const { return m_zutl != nullptr; }
    bool IsMuteSoloApplied() const { return m_muteSoloApplied; }
    bool IsTemplateRead() const { return m_templateRead; }
    const TemplateFault& templateFault() const { return m_fault; }
    CPrmCtrl* AttachPrmCtrl(CPrmCtrl* map);
    CPrmCtrl* PrmCtrl() const { return m_map; }
    void DeleteData();
    const QByteArray& image() const { return m_image; }
    const COMMON_INFO& commonInfo() const { return m_common; }
    const VOICEDATA_INFO& voiceDataInfo() const { return m_voiceData; }
    const DIRCTORY_INFO& directoryInfo() const { return m_directory; }
    const HEADER_INFO& fileHeaderInfo() const { return m_header; }
    const QList<QString>& extraExtensions() const { return m_exExtensions; }

    // ---- mute/solo trailer
    QByteArray GetMuteSoloStatus() const;
    static QByteArray ExtractMuteSoloStatus(const unsigned char* bytes, qint64 length);
    void SetMuteSoloStatus(const QByteArray& text);
    void ClearMuteSoloStatus();

private:
    bool ReadTemplate();
    bool Fault(CIniFileJob& ini, const char* section, const char* key, const QString& what);
    CPrmCtrl* LinkedMap() const;
    void NewTempBuff();
    // Drops the image; storage of its own is kept for the next one.
    void DelTempBuff();
    // A fresh image from the map; false when something the layout names could not be
    // written (a save then writes nothing).
    bool Fill();
    bool PutHeader(const HEADER_INFO& h);
    bool WriteDirectory();
    bool WriteVoiceData();
    qint64 VoicePos(int bankIndex, int number) const;
    // GetVoiceAddress for reading: an image held in place stays where it is.
    const unsigned char* VoiceBytes(int bankIndex, int number, int* element) const;
    bool ReadOwnImage(QIODevice* device);
    struct LayoutCache;
    // The blocks of one voice of an element with their positions, looked up once per
    // file object; null when a block is missing or lies outside the voice.
    const struct VoiceLayout* Layout(int element, int voiceSize) const;
    // Where each block of that layout lies in a stored voice of a bank, found once per
    // file object: the same for every voice of the bank.
    const struct StoredPlan& Plan(const VoiceLayout& layout, int bank) const;

    QByteArray m_image;
    QByteArray m_spare; // storage of an earlier image, empty
    QString m_libraryPath;
    QString m_templatePath;
    QString m_fileName;
    CPrmCtrl* m_map = nullptr;
    std::unique_ptr<IZutlMap> m_zutlMap;
    std::unique_ptr<CLibFileZUTL> m_zutl;
    DIRCTORY_INFO m_directory;
    COMMON_INFO m_common;
    QList<QString> m_exExtensions;
    VOICEDATA_INFO m_voiceData;
    HEADER_INFO m_header;
    QList<QString> m_exHeaders;
    HEADER_INFO m_voiceHeader;
    QString m_fileTitle;
    bool m_templateRead = false;
    bool m_noLayout = false;
    TemplateFault m_fault;
    bool m_converted = false;
    CTovarFileConverter* m_converter = nullptr;
    std::vector<int> m_convertWritten; // the converter's voices per item, empty when it did not say
    bool m_linkedPartLoaded = false;
    bool m_muteSoloApplied = false;
    std::unique_ptr<LayoutCache> m_layouts;
};
