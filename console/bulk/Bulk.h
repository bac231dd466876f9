#pragma once
// The bulk-dump engine of one memory map: identity request, the request walks that
// ask the instrument for its multi, user voices, preset voices or edit buffer one
// request at a time, the checking and storing of every bulk message that comes back,
// and the paced sending of prepared bulk dumps.
//
// Threads: the receiving side runs under the memory-API lock of its callers (the
// starters on the command's thread, MidiRecieve on the MIDI pump thread) and has no
// lock of its own. The send queue has its own non-recursive mutex: the builders hold
// it while they build, ContinueSend and FlushSendRequestList take it briefly. Lock
// order: memory-API lock, then the send queue's mutex. Signals are emitted on the
// calling thread, never with the send queue's mutex held.
#include "console/model/MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

class CEditorBlk;
class CLibraryFile;
class CMidiFormat;
class CPrmCtrl;
class CVceMem;

// One header or footer matcher entry (also the storage framing of a bulk-out category).
struct BULKHEADERINFO
{
    uint8_t pos = 0;
    uint8_t cat = 0;
    unsigned char addr[kMaxAdrLen] = {};
    unsigned char low[kMaxAdrLen] = {};
    unsigned char high[kMaxAdrLen] = {};
    int16_t type = 0;  // address category
    bool present = false;
};

// One request item of a request category.
struct BULKADRSINFO
{
    unsigned char addr[kMaxAdrLen] = {};
    unsigned char low[kMaxAdrLen] = {};
    unsigned char high[kMaxAdrLen] = {};
    uint16_t category = 0;
    bool headerMode = false;
};

struct BULKREQCATEGORY
{
    QString name;
    int16_t count = 0;
    std::vector<BULKADRSINFO> items;
};

// An address range of a bulk-out item (data, header, footer or parameter change).
struct BULKRANGE
{
    unsigned char addr[kMaxAdrLen] = {};
    unsigned char low[kMaxAdrLen] = {};
    unsigned char high[kMaxAdrLen] = {};
    uint16_t category = 0;
};

struct BULKOUTITEM
{
    int16_t LibCateNo = -1;
    int16_t blkSize = 0;
    int16_t dataCount = 0;
    bool BulkControlSend = true;
    BULKRANGE header;  // addr[0] == 0xFF: no header
    BULKRANGE footer;
    std::vector<BULKRANGE> data;
    int16_t prmChngCount = 0;
    std::vector<BULKRANGE> prmChng;
};

struct BULKOUT
{
    QString name;
    int16_t count = 0;
    std::vector<uint8_t> items;  // indexes into the bulk-out item list
};

struct EDITBUFSELPRM
{
    int16_t assignRule = -1;
    int16_t category = 0;
    unsigned char addr[kMaxAdrLen] = {};
    uint8_t dataLength = 0;
    std::vector<unsigned char> data;
};

struct EDITBUFSELLIST
{
    int32_t waitTime = 0;
    std::vector<EDITBUFSELPRM> entries;
};

class VANTREL_CONSOLE_EXPORT CBulk : public QObject
{
    Q_OBJECT
public:
    enum State { kMultiSend = 0, kSend = 1, kUserReq = 2, kMultiReq = 3, kPresetReq = 4, kEditBufReq = 5, kIdle = 6 };
    enum RxStatus { kRxNone = 0, kRxInDump = 1, kRxDumpComplete = 2, kRxSimpleStored = 3 };

    struct MidiMessage
    {
        int size = 0;
        QByteArray bytes;
    };

    CBulk();
    ~CBulk() override;
    CBulk(const CBulk&) = delete;
    CBulk& operator=(const CBulk&) = delete;

    // ---- set-up
    void InitSet(CPrmCtrl* map, CEditorBlk* blocks, CVceMem* voices, const CMidiFormat* formats);
    // Reads every list of the engine from the template; false with ErrorText().
    bool MakeList(const QString& path);
    const QString& ErrorText() const { return m_error; }
    const QString& TemplatePath() const { return m_path; }

    // ---- receiving (caller holds the memory-API lock)
    void IdentityReq();
    void MultiReq(int part);
    void BulkReq(int category, int part);
    void PresetBulkReq(int category, int part);
    void TovarEditBuffBulkReq(int part);
    // One complete system-exclusive message (F0 .. F7) of length bytes; nothing is
    // read outside it.
    void MidiRecieve(const unsigned char* msg, int length);
    void ContinueRequest(int part, bool setPart);
    void ClearRxStatusAll();
    void SetBulkReqReady(bool ready);
    void BulkReqStop() { m_stop = true; }
    bool ReadyNextBulkReq() const { return m_nextReady; }
    bool IsBulkRequestReady() const { return m_reqReady; }
    bool IsBulkReceiveError() const { return m_latched; }
    int GetBulkReqCategorySize() const { return int(m_reqList.size()); }
    QString GetBulkReqCategoryName(int category) const;
    int GetBulkReqTotalNum(short category) const;
    int GetPresetVoiceBulkReqCategorySize() const { return int(m_presetReqList.size()); }
    QString GetPresetVoiceBulkReqCategoryName(int category) const;
    int GetPresetVoiceBulkReqTotalNum(short category) const;
    short GetEditBuffCategory() const { return m_editBufCategory; }
    // Forms and sends one bulk request; the address is not changed.
    void SetBulkReqMidi(bool headerMode, short category, const unsigned char* adr, int part);
    void StopRequests();

    // Template settings kept for the map and the companion.
    int GetBulkReqTimeOut() const { return m_timeOut; }
    int GetReqWaitTime() const { return m_reqWaitTime; }
    int GetPresetBulkReqTimeOut() const { return m_presetTimeOut; }
    int GetPresetReqWaitTime() const { return m_presetReqWaitTime; }
    bool IsPresetMode() const { return m_presetMode; }
    const QString& GetPresetFile() const { return m_presetFile; }
    int GetExplanationNo() const { return m_explanationNo; }

    // The voice now in the edit buffer, recorded by the memory model.
    void SetEditBufVoice(short category, short voice)
    {
        m_editBufVoiceCat = category;
        m_editBufVoice = voice;
    }
    short GetEditBufVoiceCategory() const { return m_editBufVoiceCat; }
    short GetEditBufVoice() const { return m_editBufVoice; }

    int GetState() const { return m_state; }
    int GetRxStatus() const { return m_rxStatus; }
    short GetCurrentHeaderCategory() const { return m_hdrCat; }
    short GetCurrentHeaderIndex() const { return m_hdrIndex; }
    int GetRequestsSent() const { return m_reqSent; }
    int GetRequestsTotal() const { return m_reqTotal; }
    // The part number of the last walk that set it (one value for the program).
    static int RequestPart();
    // Milliseconds between progress reports (500; tests may shorten it).
    void SetProgressInterval(int ms) { m_progressInterval = ms; }

    // Header/footer matchers, read-only.
    int GetHeaderCount() const { return int(m_headers.size()); }
    int GetFooterCount() const { return int(m_footers.size()); }

    // ---- sending
    bool BulkOutCategory(int category, int unused = 0);
    bool BulkOutLibVce(short category, short voice);
    bool BulkOutMulti();
    bool BulkOutEditBufVce(short item, int unused, int secondImage, short list);
    bool BulkOutLibFileVce(CLibraryFile* library, short category, short voice);
    void BulkOutMultipleBulkHeader();
    void BulkOutMultipleBulkFooter();
    void SendEditBuffSelPrmChng(short list, int unused, short part);
    void SetBulkOutMidiHeaderFooter(const unsigned char* adr);
    // GUI thread, from the pacing timer. True when a message was sent.
    bool ContinueSend();
    void FlushSendRequestList();

    int GetBulkOutCategorySize() const { return int(m_outList.size()); }
    QString GetBulkOutCategoryName(int category) const;
    int GetBulkOutItemNum(short category) const;
    // Item i of a category; null beyond the lists.
    const BULKOUTITEM* GetBulkOutItemInfo(short category, short i) const;
    const BULKOUTITEM* GetBulkOutEditBuffItemInfo(short item) const;
    bool GetBulkOutCategoryInfo(short category, BULKOUT& out) const;
    int GetBulkOutEditBuffItemCount() const { return int(m_outCurrentItems.size()); }
    int GetBulkOutNum(short category, short i) const;
    int GetBulkOutHdrNum(short category, short i) const;
    int GetBulkOutTotalNum(short category) const;
    bool IsBulkHeader(short category, short i) const;
    bool IsBulkStrageHeader(int category) const;
    bool IsBulkStrageFooter(int category) const;
    BULKHEADERINFO GetBulkStrageHeaderInfo(int category) const;
    BULKHEADERINFO GetBulkStrageFooterInfo(int category) const;
    int GetEditBuffSelListCount() const { return int(m_selLists.size()); }
    int GetEditBuffSelListMode() const { return m_selMode; }
    bool IsMultipleBulkMode() const { return m_multipleMode; }

    // Send queue inspection (any thread; takes the queue's mutex).
    int GetSendQueueSize() const;
    int GetSendNextIndex() const;
    QByteArray GetSendMessage(int index) const;
    std::vector<int> GetSectionEnds() const;

    // ---- list clean-up
    void DeleteHeaderList() { m_headers.clear(); }
    void DeleteHooterList() { m_footers.clear(); }
    void DeleteBulkReqList() { m_reqList.clear(); }
    void DeletePresetBulkReqList() { m_presetReqList.clear(); }
    void DeleteBulkOutList() { m_outList.clear(); }
    void DeleteBulkOutItemList() { m_outItems.clear(); }
    void DeleteBulkOutCurrentVoiceItemList() { m_outCurrentItems.clear(); }
    void DeleteEditBuffSelPrmChngList() { m_selLists.clear(); }
    void DeleteBulkStrageList()
    {
        m_storageHeaders.clear();
        m_storageFooters.clear();
    }

signals:
    void bulkRcvProgressChanged(int percent);
    void bulkRcvErrorOccurred(int code);
    void bulkRecieved();
    void bulkSendProgressChanged(int percent, int section);
    // The port refused a message of the send under way; the send has ended.
    void bulkSendFailed();
    void identityReplyRecieved();

private:
    struct Layout;
    bool Fail(const QString& section, const QString& what);
    bool ReadMatchers(const QString& path, const char* section, std::vector<BULKHEADERINFO>& out);
    bool ReadRequestList(const QString& path, const char* section, std::vector<BULKREQCATEGORY>& out,
                         int& timeOut, int& waitTime);
    bool ReadBulkOutLists(const QString& path);
    bool ReadSelectLists(const QString& path);
    bool ReadMultipleBulkControl(const QString& path);
    bool ReadPresetLists(const QString& path);

    int AdrLen(int category) const;
    void StartWalk(const std::vector<BULKREQCATEGORY>& list, int category, int state, int part);
    void EndOfWalk();
    bool IsIdentityReply(const unsigned char* msg, int length) const;
    bool TestBasicFormat(const unsigned char* msg, int length) const;
    void RxBulk(const unsigned char* msg, int length);
    bool MatchList(const std::vector<BULKHEADERINFO>& list, const unsigned char* adr, int len, short& cat,
                   short& index) const;
    int FooterBlockCount(int category) const;
    bool StoreBlock(short category, const unsigned char* adr, const unsigned char* data, int size);
    bool StoreVoiceBlock(short category, short voice, const unsigned char* adr, const unsigned char* data,
                         int size);

    // Send side; the queue's mutex is held by the caller.
    void QueueMessage(const QByteArray& msg);
    void QueueFraming(const unsigned char* adr);
    void QueueStorageFraming(const BULKHEADERINFO& info);
    void QueueBlock(short category, const unsigned char* adr, const unsigned char* data, int size);
    template <typename Fn>
    bool WalkRange(const BULKRANGE& range, Fn&& each) const;
    bool QueueVoiceItem(const BULKOUTITEM& item, short category, short voice);
    void QueueSelect(short list, short part);
    void StartSending();
    void ResendMuteSolo();

    CPrmCtrl* m_map = nullptr;
    CEditorBlk* m_blocks = nullptr;
    CVceMem* m_voices = nullptr;
    const CMidiFormat* m_formats = nullptr;
    QString m_path;
    QString m_error;

    // request flags
    bool m_stop = false;
    bool m_reqReady = false;
    bool m_nextReady = false;
    bool m_headerMode = false;
    // template settings
    int m_timeOut = 0;
    int m_reqWaitTime = 0;
    int m_presetTimeOut = 0;
    int m_presetReqWaitTime = 0;
    bool m_presetMode = false;
    QString m_presetFile;
    int m_explanationNo = 0;
    // current dump
    short m_hdrCat = -1;
    short m_hdrIndex = -1;
    int m_rxStatus = kRxNone;
    // current request; category 0 until the first request so that a message that
    // arrives first is checked against a defined layout
    short m_reqCategory = 0;
    int m_adrLen = 0;
    unsigned char m_lastAdr[128] = {};
    int m_blockCounter = 0;
    // errors
    bool m_latched = false;
    bool m_duplicate = false;
    bool m_checksumError = false;
    bool m_byteCountError = false;
    bool m_blockNumberError = false;
    short m_doneCat = -1;
    short m_doneIndex = -1;
    // Read by ContinueSend on the GUI thread while a builder may set it elsewhere.
    std::atomic<int> m_state{kIdle};
    // the walk
    const std::vector<BULKADRSINFO>* m_walkItems = nullptr;
    int m_itemCount = 0;
    int m_itemIndex = 0;
    int m_position = 0;
    int m_value = -1;
    unsigned char m_work[kMaxAdrLen] = {};
    int m_reqSent = 0;
    int m_reqTotal = 0;
    short m_editBufCategory = -1;
    short m_editBufVoiceCat = -1;
    short m_editBufVoice = -1;
    QElapsedTimer m_progressTimer;
    int m_progressInterval = 500;

    // lists
    std::vector<BULKHEADERINFO> m_headers;
    std::vector<BULKHEADERINFO> m_footers;
    std::vector<BULKREQCATEGORY> m_reqList;
    std::vector<BULKREQCATEGORY> m_presetReqList;
    std::vector<BULKOUT> m_outList;
    std::vector<BULKOUTITEM> m_outItems;
    std::vector<BULKOUTITEM> m_outCurrentItems;
    int m_selMode = 0;
    std::vector<EDITBUFSELLIST> m_selLists;
    int m_multipleWaitTime = 0;
    std::vector<BULKHEADERINFO> m_storageHeaders;
    std::vector<BULKHEADERINFO> m_storageFooters;

    // send queue, under m_queueMutex
    mutable QMutex m_queueMutex;
    std::vector<MidiMessage> m_queue;
    int m_nextIndex = 0;
    bool m_multipleMode = false;
    std::vector<int> m_sectionEnds;
};
