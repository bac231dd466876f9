#include "Bulk.h"
#include "MidiCtrl.h"
#include "MidiFormat.h"
#include "console/libfile/LibraryFile.h"
#include "console/model/BlkAdrs.h"
#include "console/model/EditorBlk.h"
#include "console/model/IniFileJob.h"
#include "console/model/Mem.h"
#include "console/model/PrmCtrl.h"
#include "console/model/TemplateList.h"
#include "console/model/VceMem.h"

#include <QLoggingCategory>
#include <QMutexLocker>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {
Q_LOGGING_CATEGORY(lcSysex, "tovar.sysex")

const char kDelims[] = "\t,";
// Address bytes of the three edit-buffer dumps, in the order a header is matched.
const unsigned char kEditBufHeaders[3][3] = {{0x0E, 0x0F, 0x00}, {0x0E, 0x2F, 0x00}, {0x0E, 0x1F, 0x00}};
// The order in which the edit-buffer requests go out.
const unsigned char kEditBufRequests[3][3] = {{0x0E, 0x0F, 0x00}, {0x0E, 0x1F, 0x00}, {0x0E, 0x2F, 0x00}};
constexpr int kMultiBlockCount = 23;
enum Purpose { kPrmChng = 0, kBulkOut = 3 };

// One request part for the whole program, as the walks use it.
std::atomic<int> g_requestPart{0};

// Reads one hex byte string token of exactly len bytes.
bool nextHex(CIniFileJob& ini, unsigned char* out, int len)
{
    char hex[CIniFileJob::kTokenSize] = {};
    ini.Get2ndStrToken(hex, int(sizeof hex));
    if (!ini.LastTokenFound() || int(strnlen(hex, sizeof hex)) != 2 * len)
        return false;
    CMem::SetByte(hex, out, len);
    return true;
}

bool readValue(CIniFileJob& ini, const char* key, char* out, int index = -1)
{
    return ini.GetItem(key, out, index, CIniFileJob::kItemSize) != 0;
}

int rangeProduct(const unsigned char* low, const unsigned char* high, int len)
{
    int n = 1;
    for (int i = 0; i < len; ++i)
        n *= high[i] >= low[i] ? high[i] - low[i] + 1 : 1;
    return n;
}
} // namespace

CBulk::CBulk()
{
    m_progressTimer.start();
}

CBulk::~CBulk()
{
    FlushSendRequestList();
}

void CBulk::InitSet(CPrmCtrl* map, CEditorBlk* blocks, CVceMem* voices, const CMidiFormat* formats)
{
    m_map = map;
    m_blocks = blocks;
    m_voices = voices;
    m_formats = formats;
}

bool CBulk::Fail(const QString& section, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, 0, what);
    return false;
}

int CBulk::AdrLen(int category) const
{
    const int len = m_formats ? m_formats->GetAdrLen(category) : 0;
    return len > 0 && len <= kMaxAdrLen ? len : 0;
}

int CBulk::RequestPart()
{
    return g_requestPart.load();
}

// ---------------------------------------------------------------- template lists

bool CBulk::MakeList(const QString& path)
{
    m_path = path;
    m_error.clear();
    DeleteHeaderList();
    DeleteHooterList();
    DeleteBulkReqList();
    DeletePresetBulkReqList();
    DeleteBulkOutList();
    DeleteBulkOutItemList();
    DeleteBulkOutCurrentVoiceItemList();
    DeleteEditBuffSelPrmChngList();
    DeleteBulkStrageList();
    if (!CIniFileJob(path).Opened())
        return Fail(QString(), QStringLiteral("template cannot be opened"));
    return ReadMatchers(path, "header", m_headers) && ReadMatchers(path, "hooter", m_footers)
        && ReadRequestList(path, "bulk_req_list", m_reqList, m_timeOut, m_reqWaitTime) && ReadBulkOutLists(path)
        && ReadSelectLists(path) && ReadMultipleBulkControl(path) && ReadPresetLists(path);
}

bool CBulk::ReadMatchers(const QString& path, const char* section, std::vector<BULKHEADERINFO>& out)
{
    CIniFileJob ini(path);
    const QString sec = QString::fromLatin1(section);
    int size = 0;
    if (!ini.GetSection(section))
        return Fail(sec, QStringLiteral("missing section"));
    if (!ini.GetItem("size", size) || size < 0 || size > 4096)
        return Fail(sec, QStringLiteral("missing or bad size"));
    for (int i = 0; i < size; ++i) {
        char buf[CIniFileJob::kItemSize];
        if (!readValue(ini, QByteArray::number(i).constData(), buf))
            return Fail(sec, QStringLiteral("missing key %1").arg(i));
        BULKHEADERINFO h;
        h.type = int16_t(ini.Get1stNumToken(buf, kDelims));
        const int len = AdrLen(h.type);
        if (len == 0 || !nextHex(ini, h.addr, len) || !nextHex(ini, h.low, len) || !nextHex(ini, h.high, len))
            return Fail(sec, QStringLiteral("key %1: bad address").arg(i));
        const int pos = ini.Get2ndNumToken();
        const int cat = ini.Get2ndNumToken();
        if (!ini.LastTokenFound() || pos < 0 || pos >= len || cat < 0 || cat > 255)
            return Fail(sec, QStringLiteral("key %1: bad position or category").arg(i));
        h.pos = uint8_t(pos);
        h.cat = uint8_t(cat);
        h.present = true;
        out.push_back(h);
    }
    return true;
}

bool CBulk::ReadRequestList(const QString& path, const char* section, std::vector<BULKREQCATEGORY>& out,
                            int& timeOut, int& waitTime)
{
    CIniFileJob ini(path);
    const QString sec = QString::fromLatin1(section);
    if (!ini.GetSection(section))
        return Fail(sec, QStringLiteral("missing section"));
    if (!ini.GetItem("time_out", timeOut) || !ini.GetItem("ReqWaitTime", waitTime))
        return Fail(sec, QStringLiteral("missing time_out or ReqWaitTime"));
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, section, 255, names, fault))
        return Fail(fault.section, fault.what);
    for (const QByteArray& name : names) {
        const QString cs = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData()))
            return Fail(cs, QStringLiteral("missing request category"));
        char buf[CIniFileJob::kItemSize];
        BULKREQCATEGORY c;
        if (!readValue(ini, "name", buf))
            return Fail(cs, QStringLiteral("missing name"));
        ini.Get1stStrToken(buf, kDelims, c.name);
        int size = 0;
        if (!ini.GetItem("size", size) || size < 0 || size > 32767)
            return Fail(cs, QStringLiteral("missing or bad size"));
        c.count = int16_t(size);
        for (int i = 0; i < size; ++i) {
            if (!readValue(ini, QByteArray::number(i).constData(), buf))
                return Fail(cs, QStringLiteral("missing key %1").arg(i));
            BULKADRSINFO item;
            item.category = uint16_t(ini.Get1stNumToken(buf, kDelims) & 0xFF);
            const int len = AdrLen(item.category);
            if (len == 0 || !nextHex(ini, item.addr, len) || !nextHex(ini, item.low, len)
                || !nextHex(ini, item.high, len))
                return Fail(cs, QStringLiteral("key %1: bad address").arg(i));
            item.headerMode = ini.Get2ndNumToken() != 0;
            if (!ini.LastTokenFound())
                return Fail(cs, QStringLiteral("key %1: missing header mode").arg(i));
            c.items.push_back(item);
        }
        out.push_back(std::move(c));
    }
    return true;
}

namespace {
// "category,addr,low,high" of a bulk-out range; false when it is not complete.
bool readRange(CIniFileJob& ini, const char* value, BULKRANGE& r, const CMidiFormat* formats)
{
    r.category = uint16_t(ini.Get1stNumToken(value, kDelims));
    if (!ini.LastTokenFound())
        return false;
    const int len = formats ? formats->GetAdrLen(r.category) : 0;
    if (len <= 0 || len > kMaxAdrLen)
        return false;
    return nextHex(ini, r.addr, len) && nextHex(ini, r.low, len) && nextHex(ini, r.high, len);
}
} // namespace

bool CBulk::ReadBulkOutLists(const QString& path)
{
    CIniFileJob ini(path);
    char buf[CIniFileJob::kItemSize];
    int size = 0;
    // Categories: a name, a count and that many item numbers.
    if (!ini.GetSection("bulk_out_list"))
        return Fail(QStringLiteral("bulk_out_list"), QStringLiteral("missing section"));
    if (!ini.GetItem("size", size) || size < 0 || size > 255)
        return Fail(QStringLiteral("bulk_out_list"), QStringLiteral("missing or bad size"));
    for (int i = 0; i < size; ++i) {
        if (!readValue(ini, QByteArray::number(i).constData(), buf))
            return Fail(QStringLiteral("bulk_out_list"), QStringLiteral("missing key %1").arg(i));
        BULKOUT c;
        ini.Get1stStrToken(buf, kDelims, c.name);
        const int count = ini.Get2ndNumToken();
        if (!ini.LastTokenFound() || count < 0 || count > 255)
            return Fail(QStringLiteral("bulk_out_list"), QStringLiteral("key %1: bad count").arg(i));
        c.count = int16_t(count);
        for (int k = 0; k < count; ++k) {
            const int n = ini.Get2ndNumToken();
            if (!ini.LastTokenFound() || n < 0 || n > 255)
                return Fail(QStringLiteral("bulk_out_list"), QStringLiteral("key %1: missing item %2").arg(i).arg(k));
            c.items.push_back(uint8_t(n));
        }
        m_outList.push_back(std::move(c));
    }

    auto readItems = [&](const char* listSection, bool current, std::vector<BULKOUTITEM>& out) {
        std::vector<QByteArray> names;
        TemplateFault fault;
        if (!ReadTemplateList(ini, listSection, 255, names, fault))
            return Fail(fault.section, fault.what);
        for (const QByteArray& name : names) {
            const QString sec = QString::fromLatin1(name);
            if (!ini.GetSection(name.constData()))
                return Fail(sec, QStringLiteral("missing bulk-out item"));
            BULKOUTITEM item;
            if (!readValue(ini, "header", buf) || !readRange(ini, buf, item.header, m_formats))
                return Fail(sec, QStringLiteral("missing or bad header"));
            if (!readValue(ini, "hooter", buf) || !readRange(ini, buf, item.footer, m_formats))
                return Fail(sec, QStringLiteral("missing or bad hooter"));
            int v = 0;
            if (!ini.GetItem("blkSize", v))
                return Fail(sec, QStringLiteral("missing blkSize"));
            item.blkSize = int16_t(v);
            if (!current) {
                if (!ini.GetItem("LibCateNo", v))
                    return Fail(sec, QStringLiteral("missing LibCateNo"));
                item.LibCateNo = int16_t(v);
            }
            if (ini.GetItem("BulkControlSend", v))
                item.BulkControlSend = v != 0;
            int n = 0;
            if (!ini.GetItem("size", n) || n < 0 || n > 4096)
                return Fail(sec, QStringLiteral("missing or bad size"));
            item.dataCount = int16_t(n);
            for (int k = 0; k < n; ++k) {
                BULKRANGE r;
                if (!readValue(ini, QByteArray::number(k).constData(), buf) || !readRange(ini, buf, r, m_formats))
                    return Fail(sec, QStringLiteral("missing or bad range %1").arg(k));
                item.data.push_back(r);
            }
            if (current && ini.GetItem("ParameterChangeSize", n) && n > 0) {
                if (n > 4096)
                    return Fail(sec, QStringLiteral("bad ParameterChangeSize"));
                item.prmChngCount = int16_t(n);
                // The parameter-change ranges are the second occurrence of each key.
                for (int k = 0; k < n; ++k) {
                    BULKRANGE r;
                    if (!readValue(ini, QByteArray::number(k).constData(), buf, 1) || !readRange(ini, buf, r, m_formats))
                        return Fail(sec, QStringLiteral("missing or bad parameter-change range %1").arg(k));
                    item.prmChng.push_back(r);
                }
            }
            out.push_back(std::move(item));
        }
        return true;
    };
    return readItems("bulk_out_item_list", false, m_outItems) && readItems("bulk_out_current_list", true, m_outCurrentItems);
}

bool CBulk::ReadSelectLists(const QString& path)
{
    CIniFileJob ini(path);
    const char* section = "EditBuffSelPrmChngList";
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, section, 255, names, fault))
        return Fail(fault.section, fault.what);
    int mode = 0;
    m_selMode = ini.GetItem("mode", mode) ? mode : 0;
    char buf[CIniFileJob::kItemSize];
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        if (!ini.GetSection(name.constData()))
            return Fail(sec, QStringLiteral("missing select list"));
        EDITBUFSELLIST list;
        int size = 0;
        if (!ini.GetItem("waitTime", list.waitTime))
            return Fail(sec, QStringLiteral("missing waitTime"));
        if (!ini.GetItem("size", size) || size < 0 || size > 4096)
            return Fail(sec, QStringLiteral("missing or bad size"));
        for (int k = 0; k < size; ++k) {
            if (!readValue(ini, QByteArray::number(k).constData(), buf))
                return Fail(sec, QStringLiteral("missing key %1").arg(k));
            EDITBUFSELPRM e;
            e.category = int16_t(ini.Get1stNumToken(buf, kDelims));
            const int len = AdrLen(e.category);
            if (len == 0)
                return Fail(sec, QStringLiteral("key %1: address category %2 has no address length").arg(k).arg(e.category));
            const int dataLen = [&] {
                if (!nextHex(ini, e.addr, len))
                    return -1;
                return ini.Get2ndNumToken();
            }();
            if (dataLen < 0 || dataLen > 255 || !ini.LastTokenFound())
                return Fail(sec, QStringLiteral("key %1: bad address or data length").arg(k));
            e.dataLength = uint8_t(dataLen);
            e.data.assign(size_t(dataLen), 0);
            if (dataLen > 0 && !nextHex(ini, e.data.data(), dataLen))
                return Fail(sec, QStringLiteral("key %1: bad data").arg(k));
            const int rule = ini.Get2ndNumToken();
            e.assignRule = ini.LastTokenFound() ? int16_t(rule) : int16_t(-1);
            list.entries.push_back(std::move(e));
        }
        m_selLists.push_back(std::move(list));
    }
    return true;
}

bool CBulk::ReadMultipleBulkControl(const QString& path)
{
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Fail(QStringLiteral("multiple_bulk_control"), QStringLiteral("template cannot be opened"));
    if (!ini.GetSection("multiple_bulk_control"))
        return true;
    ini.GetItem("WaitTime", m_multipleWaitTime);
    char buf[CIniFileJob::kItemSize];
    auto read = [&](const QByteArray& key) {
        BULKHEADERINFO h;
        if (!readValue(ini, key.constData(), buf))
            return h;
        h.type = int16_t(ini.Get1stNumToken(buf, kDelims));
        const int len = AdrLen(h.type);
        if (len == 0 || !nextHex(ini, h.addr, len) || !nextHex(ini, h.low, len) || !nextHex(ini, h.high, len))
            return BULKHEADERINFO();
        const int pos = ini.Get2ndNumToken();
        h.pos = ini.LastTokenFound() && pos >= 0 && pos < len ? uint8_t(pos) : 0;
        h.present = true;
        return h;
    };
    for (size_t i = 0; i < m_outList.size(); ++i) {
        m_storageHeaders.push_back(read(QByteArray("header") + QByteArray::number(qulonglong(i))));
        m_storageFooters.push_back(read(QByteArray("footer") + QByteArray::number(qulonglong(i))));
    }
    return true;
}

bool CBulk::ReadPresetLists(const QString& path)
{
    CIniFileJob ini(path);
    if (!ini.Opened())
        return Fail(QStringLiteral("common_info"), QStringLiteral("template cannot be opened"));
    int mode = 0;
    m_presetMode = ini.GetSection("common_info") && ini.GetItem("preset_mode", mode) && mode != 0;
    if (m_presetMode && ini.GetSection("preset_info")) {
        char buf[CIniFileJob::kItemSize];
        if (readValue(ini, "preset_file", buf))
            m_presetFile = QString::fromLatin1(buf).trimmed();
        int no = 0;
        m_explanationNo = ini.GetItem("explanation_no", no) ? no : 0;
    }
    // The preset lists are optional: a faulty one leaves the list empty.
    if (ini.GetSection("preset_bulk_req_list")) {
        const QString keep = m_error;
        std::vector<BULKREQCATEGORY> list;
        if (ReadRequestList(path, "preset_bulk_req_list", list, m_presetTimeOut, m_presetReqWaitTime))
            m_presetReqList = std::move(list);
        else
            qCWarning(lcSysex) << "preset request list ignored:" << m_error;
        m_error = keep;
    }
    return true;
}

// ---------------------------------------------------------------- receiving

QString CBulk::GetBulkReqCategoryName(int category) const
{
    return category >= 0 && category < int(m_reqList.size()) ? m_reqList[size_t(category)].name : QString();
}

QString CBulk::GetPresetVoiceBulkReqCategoryName(int category) const
{
    return category >= 0 && category < int(m_presetReqList.size()) ? m_presetReqList[size_t(category)].name
                                                                     : QString();
}

namespace {
int totalOf(const std::vector<BULKREQCATEGORY>& list, int category, const CMidiFormat* formats)
{
    if (category < 0 || category >= int(list.size()))
        return 0;
    int total = 0;
    for (const BULKADRSINFO& it : list[size_t(category)].items) {
        const int len = formats ? std::min(formats->GetAdrLen(it.category), kMaxAdrLen) : 0;
        total += rangeProduct(it.low, it.high, std::max(len, 0));
    }
    return total;
}
} // namespace

int CBulk::GetBulkReqTotalNum(short category) const
{
    return totalOf(m_reqList, category, m_formats);
}

int CBulk::GetPresetVoiceBulkReqTotalNum(short category) const
{
    return totalOf(m_presetReqList, category, m_formats);
}

void CBulk::ClearRxStatusAll()
{
    m_latched = false;
    m_rxStatus = kRxNone;
    m_duplicate = false;
    m_checksumError = false;
    m_byteCountError = false;
    m_blockNumberError = false;
    m_stop = false;
    m_reqReady = true;
}

void CBulk::SetBulkReqReady(bool ready)
{
    m_reqReady = ready;
    if (!ready) {
        m_latched = false;
        m_rxStatus = kRxNone;
        m_duplicate = false;
        m_checksumError = false;
        m_doneCat = m_doneIndex = -1;
    }
}

void CBulk::IdentityReq()
{
    ClearRxStatusAll();
    CMidiCtrl ctrl(m_map, 0);
    ctrl.IdentityRequest(ctrl.deviceNumber());
}

void CBulk::StartWalk(const std::vector<BULKREQCATEGORY>& list, int category, int state, int part)
{
    ClearRxStatusAll();
    if (category < 0 || category >= int(list.size())) {
        qCWarning(lcSysex) << "request category" << category << "refused";
        return;
    }
    const BULKREQCATEGORY& c = list[size_t(category)];
    m_hdrCat = m_hdrIndex = -1;
    m_doneCat = m_doneIndex = -1;
    m_state = state;
    m_walkItems = &c.items;
    m_itemCount = std::min<int>(c.count, int(c.items.size()));
    m_itemIndex = 0;
    m_position = 0;
    m_value = -1;
    m_reqSent = 0;
    m_reqTotal = totalOf(list, category, m_formats);
    m_nextReady = true;
    m_progressTimer.restart();
    ContinueRequest(part, true);
}

void CBulk::MultiReq(int part)
{
    StartWalk(m_reqList, 0, kMultiReq, part);
}

void CBulk::BulkReq(int category, int part)
{
    StartWalk(m_reqList, category, kUserReq, part);
}

void CBulk::PresetBulkReq(int category, int part)
{
    StartWalk(m_presetReqList, category, kPresetReq, part);
}

void CBulk::TovarEditBuffBulkReq(int part)
{
    ClearRxStatusAll();
    m_hdrCat = m_hdrIndex = -1;
    m_doneCat = m_doneIndex = -1;
    m_walkItems = nullptr;
    m_itemCount = 0;
    m_itemIndex = 1;
    m_state = kEditBufReq;
    m_reqSent = 1;
    m_reqTotal = 1;
    m_nextReady = false;
    m_editBufCategory = -1;
    m_headerMode = true;
    m_progressTimer.restart();
    for (const auto& adr : kEditBufRequests)
        SetBulkReqMidi(true, 0, adr, part);
}

void CBulk::SetBulkReqMidi(bool headerMode, short category, const unsigned char* adr, int part)
{
    Q_UNUSED(headerMode);
    ++m_reqSent;
    m_reqCategory = category;
    m_adrLen = AdrLen(category);
    if (!adr || m_adrLen == 0)
        return;
    std::memcpy(m_lastAdr, adr, size_t(m_adrLen));
    // The part form changes a copy: the walk's work address and the address a header
    // is compared with keep their framing byte.
    unsigned char work[kMaxAdrLen] = {};
    std::memcpy(work, adr, size_t(m_adrLen));
    bool zero = true;
    for (int i = 0; i < std::min(m_adrLen, 3); ++i)
        zero = zero && work[i] == 0;
    unsigned char data = 0;
    short n = 0;
    if (part >= 0 && !zero) {
        work[0] = 0x12;
        // The companion passes its transmit interval here; a data byte stays 7-bit.
        data = (unsigned char)std::min(part, 0x7F);
        n = 1;
    }
    CMidiCtrl(m_map, 0).BulkRequest(category, work, n ? &data : nullptr, n);
}

void CBulk::ContinueRequest(int part, bool setPart)
{
    for (;;) {
        if (setPart)
            g_requestPart = part;
        if (m_state != kUserReq && m_state != kMultiReq && m_state != kPresetReq && m_state != kEditBufReq)
            return;
        // Each error is reported once, lowest code first; it stays latched.
        if (m_checksumError) {
            m_checksumError = false;
            emit bulkRcvErrorOccurred(1);
            return;
        }
        if (m_byteCountError) {
            m_byteCountError = false;
            emit bulkRcvErrorOccurred(2);
            return;
        }
        if (m_blockNumberError) {
            m_blockNumberError = false;
            emit bulkRcvErrorOccurred(3);
            return;
        }
        if (m_itemIndex >= m_itemCount || !m_walkItems) {
            EndOfWalk();
            return;
        }
        if (m_progressTimer.elapsed() > m_progressInterval) {
            const int p = m_reqTotal > 0 ? int(qint64(m_reqSent) * 100 / m_reqTotal) : 0;
            emit bulkRcvProgressChanged(std::min(p, 99));
            m_progressTimer.restart();
        }
        if (!m_nextReady)
            return;
        m_nextReady = false;
        const BULKADRSINFO& item = (*m_walkItems)[size_t(m_itemIndex)];
        const int len = AdrLen(item.category);
        std::memcpy(m_work, item.addr, size_t(len));
        m_headerMode = item.headerMode;
        bool sent = false;
        if (len == 0) {
            ++m_itemIndex;
            m_position = 0;
            m_value = -1;
            m_nextReady = true;
        } else if (std::memcmp(item.low, item.high, size_t(len)) == 0) {
            for (int i = 0; i < len; ++i)
                m_work[i] |= item.low[i];
            SetBulkReqMidi(item.headerMode, short(item.category), m_work, g_requestPart.load());
            sent = true;
            ++m_itemIndex;
            m_position = 0;
            m_value = -1;
        } else {
            const int pos = len - m_position - 1;
            if (pos < 0) {
                ++m_position;
                m_value = -1;
                m_nextReady = true;
            } else {
                const int lo = item.low[pos];
                const int hi = item.high[pos];
                if (m_value == -1)
                    m_value = lo;
                if (lo != hi) {
                    m_work[pos] = (unsigned char)m_value;
                    SetBulkReqMidi(item.headerMode, short(item.category), m_work, g_requestPart.load());
                    sent = true;
                }
                ++m_value;
                if (m_value > hi) {
                    ++m_position;
                    m_value = -1;
                    m_nextReady = true;
                }
            }
            if (len < m_position) {
                ++m_itemIndex;
                m_position = 0;
                m_value = -1;
                m_nextReady = true;
            }
        }
        if (sent)
            return;
        setPart = true;
    }
}

void CBulk::EndOfWalk()
{
    // The footer of the last framed dump is still awaited.
    if (m_headerMode && m_rxStatus != kRxDumpComplete)
        return;
    if (m_map && m_state == kMultiReq) {
        m_map->CopyToEditBuff(0, 0, false);
        m_map->CopyParamSet();
        m_map->ResetLink();
        m_map->RemoteCtrl().Refresh(15);
        m_map->ResetSoloMuteMode();
    } else if (m_map && m_state == kPresetReq) {
        m_map->StorePresetVoice();
    }
    m_itemIndex = 0;
    m_state = kIdle;
    m_reqReady = false;
    m_latched = false;
    m_rxStatus = kRxNone;
    m_duplicate = false;
    m_checksumError = false;
    m_doneCat = m_doneIndex = -1;
    emit bulkRcvProgressChanged(100);
}

bool CBulk::IsIdentityReply(const unsigned char* msg, int length) const
{
    static const unsigned char reply[15] = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x43, 0x00, 0x41,
                                            0x19, 0x06, 0x00, 0x00, 0x00, 0x7F, 0xF7};
    if (length != 15)
        return false;
    const unsigned char dev = CMidiCtrl(m_map, 0).deviceNumber();
    if (msg[2] != 0x7F && msg[2] != dev)
        return false;
    return std::memcmp(msg, reply, 2) == 0 && std::memcmp(msg + 3, reply + 3, 12) == 0;
}

bool CBulk::TestBasicFormat(const unsigned char* msg, int length) const
{
    const MIDI_FRMT* f = m_formats ? m_formats->Layout(m_reqCategory, kBulkOut) : nullptr;
    if (!f || f->headerLen <= 0 || length < f->headerLen)
        return false;
    const unsigned char dev = CMidiCtrl(m_map, 0).deviceNumber();
    for (int i = 0; i < f->headerLen; ++i) {
        const unsigned char b = msg[i];
        if (i == f->device_num_pos) {
            if (((b & 0x0F) != dev && b != 0x7F) || (b & 0xF0) != f->header[i])
                return false;
        } else if (b != f->header[i]) {
            return false;
        }
    }
    return true;
}

void CBulk::MidiRecieve(const unsigned char* msg, int length)
{
    if (!msg || length <= 0)
        return;
    if (IsIdentityReply(msg, length)) {
        emit identityReplyRecieved();
        return;
    }
    if (m_latched || !TestBasicFormat(msg, length))
        return;
    emit bulkRecieved();
    RxBulk(msg, length);
    ContinueRequest(0, false);
}

bool CBulk::MatchList(const std::vector<BULKHEADERINFO>& list, const unsigned char* adr, int len, short& cat,
                      short& index) const
{
    for (const BULKHEADERINFO& h : list) {
        if (AdrLen(h.type) != len)
            continue;
        bool ok = true;
        for (int i = 0; i < len && ok; ++i)
            ok = h.low[i] == h.high[i] ? adr[i] == h.addr[i] : adr[i] >= h.low[i] && adr[i] <= h.high[i];
        if (ok) {
            cat = h.cat;
            index = short(adr[h.pos] - h.low[h.pos]);
            return true;
        }
    }
    return false;
}

int CBulk::FooterBlockCount(int category) const
{
    const VCEMEM_INFO* info = m_voices ? m_voices->GetCategory(category) : nullptr;
    if (!info || !m_map)
        return -1;
    return m_map->BlkAdrs().GetBlkAdrsSize(info->templateNo);
}

bool CBulk::StoreBlock(short category, const unsigned char* adr, const unsigned char* data, int size)
{
    BLK blk;
    if (!m_blocks || !m_map || !m_blocks->GetBlk(category, adr, blk))
        return false;
    // A block is stored whole or not at all: a dump of another length is refused.
    if (size != blk.memSize) {
        qCWarning(lcSysex) << "bulk block of" << size << "bytes for a block of" << blk.memSize << "refused";
        return false;
    }
    return m_map->SetBlkData(category, adr, data);
}

bool CBulk::StoreVoiceBlock(short category, short voice, const unsigned char* adr, const unsigned char* data,
                            int size)
{
    if (!m_voices)
        return false;
    // A block is stored whole or not at all, as in the edit memory.
    if (const VCEMEM_INFO* info = m_voices->GetCategory(category)) {
        const int len = m_adrLen > 0 ? m_adrLen : AdrLen(m_reqCategory);
        for (const VCEMEM_ADRS& b : info->blocks) {
            if (len <= 0 || std::memcmp(b.address, adr, size_t(len)) != 0)
                continue;
            if (b.size != size) {
                qCWarning(lcSysex) << "voice block of" << size << "bytes for a block of" << b.size << "refused";
                return false;
            }
            // The block's own place in the stored voice: copied there directly.
            int voiceSize = 0;
            unsigned char* image = m_voices->GetVoiceMem(category, voice, &voiceSize);
            if (image && b.offset >= 0 && b.offset + b.size <= voiceSize) {
                std::memcpy(image + b.offset, data, size_t(size));
                return true;
            }
            break;
        }
    }
    bool changed = false;
    return m_voices->SetBulk(category, voice, adr, data, size, changed);
}

void CBulk::RxBulk(const unsigned char* msg, int length)
{
    if (m_state == kIdle || m_state == kSend || m_state == kMultiSend)
        return;
    const MIDI_FRMT* f = m_formats ? m_formats->Layout(m_reqCategory, kBulkOut) : nullptr;
    if (!f)
        return;
    const int adrLen = f->adrsLen;
    // Every position below is inside [0, f7): the message is read within its length.
    int f7 = -1;
    for (int i = f->headerLen; i < length; ++i) {
        if (msg[i] == 0xF7) {
            f7 = i;
            break;
        }
    }
    const bool hasSum = f->checksumStart != kNoPos;
    const int sumPos = hasSum ? f7 - 1 : f7;
    if (f7 < 0 || (hasSum && (f->checksumStart < 0 || sumPos - f->checksumStart < 1))
        || (hasSum && CMidiCtrl::GetCheckSum(msg + f->checksumStart, sumPos - f->checksumStart) != msg[sumPos])) {
        m_checksumError = true;
        m_latched = true;
        return;
    }
    const int dataPos = f->adrs_pos + adrLen;
    const int dataLen = sumPos - dataPos;
    if (f->adrs_pos < 0 || dataLen < 0 || adrLen <= 0 || adrLen > kMaxAdrLen) {
        m_byteCountError = true;
        m_latched = true;
        return;
    }
    if (f->byte_count_pos != kNoPos) {
        const int bc = f->byte_count_pos;
        if (bc < 0 || bc + 1 >= f->adrs_pos || msg[bc] * 256 + msg[bc + 1] != dataLen) {
            m_byteCountError = true;
            m_latched = true;
            return;
        }
    }
    const unsigned char* adr = msg + f->adrs_pos;
    const unsigned char* data = msg + dataPos;

    if (!m_headerMode) {
        if (m_hdrCat != 1 && m_hdrIndex != -1)
            StoreVoiceBlock(m_hdrCat, m_hdrIndex, adr, data, dataLen);
        else
            StoreBlock(m_reqCategory, adr, data, dataLen);
        m_rxStatus = kRxSimpleStored;
        m_nextReady = true;
        return;
    }

    short cat = -1, index = -1;
    if (MatchList(m_headers, adr, adrLen, cat, index)) {
        m_duplicate = cat == m_doneCat && index == m_doneIndex;
        m_blockCounter = 0;
        m_nextReady = false;
        if (m_state != kEditBufReq) {
            if (std::memcmp(adr, m_lastAdr, size_t(std::min(adrLen, m_adrLen))) == 0 && adrLen == m_adrLen
                && !m_duplicate) {
                m_rxStatus = kRxInDump;
                m_hdrCat = cat;
                m_hdrIndex = index;
            } else {
                m_rxStatus = kRxNone;
            }
            return;
        }
        m_rxStatus = kRxNone;
        for (short k = 0; k < 3 && adrLen >= 3; ++k) {
            if (std::memcmp(adr, kEditBufHeaders[k], 3) == 0) {
                if (!m_duplicate) {
                    m_rxStatus = kRxInDump;
                    m_hdrCat = cat;
                    m_hdrIndex = index;
                    m_editBufCategory = k;
                    m_editBufVoiceCat = m_editBufVoice = -1;
                    if (m_map) {
                        m_map->SetEditBufferBankType(k);
                        m_map->SetEditBufferOrigin(-1, -1);
                    }
                }
                break;
            }
        }
        return;
    }
    if (MatchList(m_footers, adr, adrLen, cat, index)) {
        // Only the footer that closes the dump being received is counted: the rest of
        // a dump that an error or a stop cut short still arrives after the next request
        // has begun, and its blocks were never this request's.
        if (m_rxStatus != kRxInDump || cat != m_hdrCat || index != m_hdrIndex || m_duplicate) {
            m_nextReady = false;
            return;
        }
        const int expected = m_state == kMultiReq ? kMultiBlockCount : FooterBlockCount(cat);
        if (m_blockCounter != expected) {
            m_blockNumberError = true;
            m_latched = true;
            return;
        }
        m_rxStatus = kRxDumpComplete;
        m_doneCat = cat;
        m_doneIndex = index;
        m_nextReady = true;
        if (cat >= 15 && m_map)
            m_map->CopyToEditBuff(cat, index, false);
        return;
    }
    if (m_rxStatus == kRxInDump && !StoreVoiceBlock(m_hdrCat, m_hdrIndex, adr, data, dataLen))
        StoreBlock(m_reqCategory, adr, data, dataLen);
    ++m_blockCounter;
}

void CBulk::StopRequests()
{
    m_state = kIdle;
    FlushSendRequestList();
    disconnect();
    QMutexLocker lock(&m_queueMutex);
    m_multipleMode = false;
}

// ---------------------------------------------------------------- sending

QString CBulk::GetBulkOutCategoryName(int category) const
{
    return category >= 0 && category < int(m_outList.size()) ? m_outList[size_t(category)].name : QString();
}

int CBulk::GetBulkOutItemNum(short category) const
{
    return category >= 0 && category < int(m_outList.size()) ? m_outList[size_t(category)].count : 0;
}

const BULKOUTITEM* CBulk::GetBulkOutItemInfo(short category, short i) const
{
    if (category < 0 || category >= int(m_outList.size()))
        return nullptr;
    const BULKOUT& c = m_outList[size_t(category)];
    if (i < 0 || i >= int(c.items.size()))
        return nullptr;
    const size_t k = c.items[size_t(i)];
    return k < m_outItems.size() ? &m_outItems[k] : nullptr;
}

const BULKOUTITEM* CBulk::GetBulkOutEditBuffItemInfo(short item) const
{
    return item >= 0 && item < int(m_outCurrentItems.size()) ? &m_outCurrentItems[size_t(item)] : nullptr;
}

bool CBulk::GetBulkOutCategoryInfo(short category, BULKOUT& out) const
{
    if (category == -1 || category == -2 || category == -3) {
        // The edit-buffer list as one category.
        out = BULKOUT();
        out.name = QStringLiteral("EditBuffer");
        out.count = int16_t(m_outCurrentItems.size());
        for (size_t i = 0; i < m_outCurrentItems.size() && i < 256; ++i)
            out.items.push_back(uint8_t(i));
        return true;
    }
    if (category < 0 || category >= int(m_outList.size()))
        return false;
    out = m_outList[size_t(category)];
    return true;
}

bool CBulk::IsBulkHeader(short category, short i) const
{
    const BULKOUTITEM* it = GetBulkOutItemInfo(category, i);
    return it && it->header.addr[0] != 0xFF;
}

int CBulk::GetBulkOutNum(short category, short i) const
{
    const BULKOUTITEM* it = GetBulkOutItemInfo(category, i);
    if (!it)
        return 0;
    return it->blkSize + (IsBulkHeader(category, i) ? 2 : 0);
}

int CBulk::GetBulkOutHdrNum(short category, short i) const
{
    const BULKOUTITEM* it = GetBulkOutItemInfo(category, i);
    if (!it || it->header.addr[0] == 0xFF)
        return 0;
    return rangeProduct(it->header.low, it->header.high, AdrLen(it->header.category));
}

int CBulk::GetBulkOutTotalNum(short category) const
{
    int total = 0;
    for (short i = 0; i < GetBulkOutItemNum(category); ++i)
        total += GetBulkOutNum(category, i) * GetBulkOutHdrNum(category, i);
    return total;
}

bool CBulk::IsBulkStrageHeader(int category) const
{
    return category >= 0 && category < int(m_storageHeaders.size()) && m_storageHeaders[size_t(category)].present;
}

bool CBulk::IsBulkStrageFooter(int category) const
{
    return category >= 0 && category < int(m_storageFooters.size()) && m_storageFooters[size_t(category)].present;
}

BULKHEADERINFO CBulk::GetBulkStrageHeaderInfo(int category) const
{
    return IsBulkStrageHeader(category) ? m_storageHeaders[size_t(category)] : BULKHEADERINFO();
}

BULKHEADERINFO CBulk::GetBulkStrageFooterInfo(int category) const
{
    return IsBulkStrageFooter(category) ? m_storageFooters[size_t(category)] : BULKHEADERINFO();
}

int CBulk::GetSendQueueSize() const
{
    QMutexLocker lock(&m_queueMutex);
    return int(m_queue.size());
}

int CBulk::GetSendNextIndex() const
{
    QMutexLocker lock(&m_queueMutex);
    return m_nextIndex;
}

QByteArray CBulk::GetSendMessage(int index) const
{
    QMutexLocker lock(&m_queueMutex);
    return index >= 0 && index < int(m_queue.size()) ? m_queue[size_t(index)].bytes : QByteArray();
}

std::vector<int> CBulk::GetSectionEnds() const
{
    QMutexLocker lock(&m_queueMutex);
    return m_sectionEnds;
}

void CBulk::QueueMessage(const QByteArray& msg)
{
    if (msg.isEmpty())
        return;
    MidiMessage m;
    m.size = int(msg.size());
    m.bytes = msg;
    m_queue.push_back(std::move(m));
}

void CBulk::QueueFraming(const unsigned char* adr)
{
    QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(0, adr, nullptr, 0));
}

void CBulk::QueueStorageFraming(const BULKHEADERINFO& info)
{
    if (info.present)
        QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(info.type, info.addr, nullptr, 0));
}

void CBulk::QueueBlock(short category, const unsigned char* adr, const unsigned char* data, int size)
{
    if (size < 0 || size > 0x7FFF)
        return;
    QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(category, adr, data, short(size)));
}

template <typename Fn>
bool CBulk::WalkRange(const BULKRANGE& range, Fn&& each) const
{
    const int len = AdrLen(range.category);
    if (len == 0)
        return true;
    unsigned char work[kMaxAdrLen] = {};
    std::memcpy(work, range.addr, size_t(len));
    if (std::memcmp(range.low, range.high, size_t(len)) == 0)
        return each(work);
    // From the last byte to the first; a byte keeps its last value when the walk
    // moves on to the byte before it.
    for (int pos = len - 1; pos >= 0; --pos) {
        if (range.low[pos] == range.high[pos])
            continue;
        for (int b = range.low[pos]; b <= range.high[pos]; ++b) {
            work[pos] = (unsigned char)b;
            if (!each(work))
                return false;
        }
    }
    return true;
}

namespace {
// The bytes of one block of a stored voice; false when the voice has no such block.
bool voiceBlock(CVceMem* voices, int category, int voice, const unsigned char* adr, int len,
                const unsigned char*& data, int& size)
{
    const VCEMEM_INFO* info = voices ? voices->GetCategory(category) : nullptr;
    int voiceSize = 0;
    const unsigned char* image = voices ? voices->GetVoiceMem(category, voice, &voiceSize) : nullptr;
    if (!info || !image)
        return false;
    for (const VCEMEM_ADRS& b : info->blocks) {
        if (std::memcmp(b.address, adr, size_t(len)) == 0) {
            if (b.offset < 0 || b.size < 0 || b.offset + b.size > voiceSize)
                return false;
            data = image + b.offset;
            size = b.size;
            return true;
        }
    }
    return false;
}
} // namespace

bool CBulk::BulkOutCategory(int category, int unused)
{
    Q_UNUSED(unused);
    if (category < 0 || category >= int(m_outList.size()) || !m_blocks) {
        qCWarning(lcSysex) << "bulk-out category" << category << "refused";
        return false;
    }
    bool start = false;
    {
        QMutexLocker lock(&m_queueMutex);
        if (!m_multipleMode && IsBulkStrageHeader(category))
            QueueStorageFraming(m_storageHeaders[size_t(category)]);
        const BULKOUT& c = m_outList[size_t(category)];
        for (size_t k = 0; k < c.items.size(); ++k) {
            const BULKOUTITEM* item = GetBulkOutItemInfo(short(category), short(k));
            if (!item)
                continue;
            const bool framed = item->header.addr[0] != 0xFF;
            const int hlen = AdrLen(item->header.category);
            const int flen = AdrLen(item->footer.category);
            unsigned char hdr[kMaxAdrLen] = {};
            unsigned char ftr[kMaxAdrLen] = {};
            std::memcpy(hdr, item->header.addr, size_t(hlen));
            std::memcpy(ftr, item->footer.addr, size_t(flen));
            int voice = 0;
            auto sendVoice = [&] {
                if (framed && item->BulkControlSend)
                    QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(item->header.category), hdr, nullptr, 0));
                for (const BULKRANGE& r : item->data) {
                    const int len = AdrLen(r.category);
                    WalkRange(r, [&](const unsigned char* adr) {
                        BLK blk;
                        BLKPRM prm;
                        const unsigned char* data = nullptr;
                        int size = 0;
                        // A block that the map lacks or that holds no data is skipped.
                        if (m_blocks->GetBlkPrm(short(r.category), adr, blk, prm)
                            && voiceBlock(m_voices, item->LibCateNo, voice, adr, len, data, size))
                            QueueBlock(short(r.category), adr, data, size);
                        return true;
                    });
                }
                if (framed && item->BulkControlSend)
                    QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(item->footer.category), ftr, nullptr, 0));
                ++voice;
            };
            bool varies = false;
            for (int i = 0; framed && i < hlen; ++i)
                varies = varies || item->header.low[i] != item->header.high[i];
            if (!varies) {
                sendVoice();
                continue;
            }
            for (int pos = hlen - 1; pos >= 0; --pos) {
                if (item->header.low[pos] == item->header.high[pos])
                    continue;
                for (int b = item->header.low[pos]; b <= item->header.high[pos]; ++b) {
                    hdr[pos] = (unsigned char)b;
                    if (pos < flen)
                        ftr[pos] = (unsigned char)b;
                    sendVoice();
                }
            }
        }
        if (m_multipleMode) {
            m_sectionEnds.push_back(int(m_queue.size()));
        } else {
            if (IsBulkStrageFooter(category))
                QueueStorageFraming(m_storageFooters[size_t(category)]);
            m_state = kSend;
            m_nextIndex = 0;
            m_sectionEnds.clear();
            start = true;
        }
    }
    if (start)
        StartSending();
    return true;
}

bool CBulk::QueueVoiceItem(const BULKOUTITEM& item, short category, short voice)
{
    const bool framed = item.header.addr[0] != 0xFF && item.BulkControlSend;
    if (framed)
        QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(item.header.category), item.header.addr, nullptr, 0));
    for (const BULKRANGE& r : item.data) {
        const int len = AdrLen(r.category);
        const bool complete = WalkRange(r, [&](const unsigned char* adr) {
            BLK blk;
            BLKPRM prm;
            const unsigned char* data = nullptr;
            int size = 0;
            if (!m_blocks->GetBlkPrm(short(r.category), adr, blk, prm)
                || !voiceBlock(m_voices, category, voice, adr, len, data, size))
                return false;
            QueueBlock(short(r.category), adr, data, size);
            return true;
        });
        // A missing block ends the building: what is queued is sent as it stands.
        if (!complete)
            return false;
    }
    if (framed)
        QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(item.footer.category), item.footer.addr, nullptr, 0));
    for (const BULKRANGE& r : item.prmChng) {
        WalkRange(r, [&](const unsigned char* adr) {
            BLK blk;
            BLKPRM prm;
            unsigned char* data = nullptr;
            int byteCount = 0, size = 0;
            if (m_blocks->GetBlkPrm(short(r.category), adr, blk, prm)
                && m_voices->GetData(category, voice, adr, data, byteCount, size) && byteCount > 0) {
                CMidiCtrl ctrl(m_map, 0);
                ctrl.PreProcessNextMessage();
                ctrl.ParamChange(blk.category, adr, data, short(byteCount), -1);
                QueueMessage(ctrl.GetPreProcessedMessage());
            }
            return true;
        });
    }
    return true;
}

bool CBulk::BulkOutLibVce(short category, short voice)
{
    const VCEMEM_INFO* info = m_voices ? m_voices->GetCategory(category) : nullptr;
    if (!info || !m_blocks || voice < 0 || voice >= int(info->voiceNum)) {
        qCWarning(lcSysex) << "bulk-out of voice" << category << voice << "refused";
        return false;
    }
    {
        QMutexLocker lock(&m_queueMutex);
        // One voice is one section; ends left from a gathered send would measure it.
        m_sectionEnds.clear();
        const short e = info->templateNo;
        if (m_selMode == 0)
            QueueSelect(e, voice);
        else if (m_selMode == 1)
            QueueSelect(category, voice);
        if (const BULKOUTITEM* item = GetBulkOutEditBuffItemInfo(e))
            QueueVoiceItem(*item, category, voice);
        m_state = kSend;
        m_nextIndex = 0;
    }
    StartSending();
    return true;
}

bool CBulk::BulkOutMulti()
{
    const bool ok = BulkOutLibVce(0, 0);
    if (ok && m_state == kSend)
        m_state = kMultiSend;
    return ok;
}

bool CBulk::BulkOutEditBufVce(short item, int unused, int secondImage, short list)
{
    Q_UNUSED(unused);
    const BULKOUTITEM* it = GetBulkOutEditBuffItemInfo(item);
    if (!it || !m_blocks) {
        qCWarning(lcSysex) << "edit-buffer bulk-out item" << item << "refused";
        return false;
    }
    short part = -1;
    if (m_map) {
        short bankType = -1, category = -1, voice = -1;
        if (m_map->GetEditBufferInfo(bankType, category, voice) == 0)
            part = voice;
    }
    {
        QMutexLocker lock(&m_queueMutex);
        m_sectionEnds.clear();
        m_editBufCategory = item;
        if (m_selMode == 0)
            QueueSelect(item, part);
        else if (m_selMode == 1)
            QueueSelect(list, part);
        const bool framed = it->header.addr[0] != 0xFF && it->BulkControlSend;
        if (framed)
            QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(it->header.category), it->header.addr, nullptr, 0));
        bool complete = true;
        for (const BULKRANGE& r : it->data) {
            complete = WalkRange(r, [&](const unsigned char* adr) {
                BLK blk;
                if (!m_blocks->GetBlk(short(r.category), adr, blk))
                    return false;
                const unsigned char* image = secondImage ? blk.refImage : blk.curImage;
                if (!image)
                    return false;
                QueueBlock(short(r.category), adr, image, blk.memSize);
                return true;
            });
            if (!complete)
                break;
        }
        if (complete && framed)
            QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(it->footer.category), it->footer.addr, nullptr, 0));
        m_state = kSend;
        m_nextIndex = 0;
    }
    StartSending();
    return true;
}

bool CBulk::BulkOutLibFileVce(CLibraryFile* library, short category, short voice)
{
    const VCEMEM_INFO* info = m_voices ? m_voices->GetCategory(category) : nullptr;
    if (!library || !info || !m_blocks || !m_map) {
        qCWarning(lcSysex) << "library voice bulk-out refused";
        return false;
    }
    const BULKOUTITEM* it = GetBulkOutEditBuffItemInfo(info->templateNo);
    if (!it || AdrLen(it->header.category) == 0)
        return false;
    int element = 0;
    const unsigned char* bytes = library->GetVoiceAddress(category, voice, &element);
    int voiceSize = 0;
    for (const CLibraryFile::VOICEDATA_ITEM& v : library->voiceDataInfo().items)
        if (v.element == element)
            voiceSize = std::max(voiceSize, v.voiceSize);
    if (!bytes)
        return false;
    {
        QMutexLocker lock(&m_queueMutex);
        m_sectionEnds.clear();
        if (m_selMode == 0)
            QueueSelect(info->templateNo, -1);
        else if (m_selMode == 1)
            QueueSelect(category, -1);
        const bool framed = it->header.addr[0] != 0xFF && it->BulkControlSend;
        if (framed)
            QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(it->header.category), it->header.addr, nullptr, 0));
        // The blocks of the voice's own element, so that drum and plug-in voices are
        // sent with their own block lists.
        bool complete = true;
        int position = 0;
        const int n = m_map->BlkAdrs().GetBlkAdrsSize(element);
        for (int i = 0; i < n && complete; ++i) {
            LIBVCEDATA_ADRS a = library->GetVceDataFileBlk(element, i);
            const int len = AdrLen(a.category);
            m_voices->CheckDuplicateAdrs(a.category, a.address, len, true);
            BLK blk;
            BLKPRM prm;
            if (len == 0 || !m_blocks->GetBlkPrm(a.category, a.address, blk, prm)) {
                complete = false;
                break;
            }
            const int start = position + int(int16_t(prm.offset));
            if (start < 0 || blk.memSize < 0 || start + blk.memSize > voiceSize) {
                complete = false;
                break;
            }
            QueueBlock(a.category, a.address, bytes + start, blk.memSize);
            position = start + blk.memSize;
        }
        if (complete && framed)
            QueueMessage(CMidiCtrl(m_map, 0).PreProcessBulkOut(short(it->footer.category), it->footer.addr, nullptr, 0));
        m_state = kSend;
        m_nextIndex = 0;
    }
    StartSending();
    return true;
}

void CBulk::BulkOutMultipleBulkHeader()
{
    QMutexLocker lock(&m_queueMutex);
    m_sectionEnds.clear();
    m_multipleMode = true;
    if (IsBulkStrageHeader(0))
        QueueStorageFraming(m_storageHeaders[0]);
}

void CBulk::BulkOutMultipleBulkFooter()
{
    {
        QMutexLocker lock(&m_queueMutex);
        if (IsBulkStrageFooter(0))
            QueueStorageFraming(m_storageFooters[0]);
        m_multipleMode = false;
        m_state = kSend;
        m_nextIndex = 0;
    }
    StartSending();
}

void CBulk::QueueSelect(short list, short part)
{
    if (list < 0 || list >= int(m_selLists.size()))
        return;
    for (const EDITBUFSELPRM& e : m_selLists[size_t(list)].entries) {
        const MIDI_FRMT* f = m_formats ? m_formats->Layout(e.category, kPrmChng) : nullptr;
        unsigned char partByte = (unsigned char)(part & 0x7F);
        const bool program = f && f->midi_type == 3 && part != -1;
        CMidiCtrl ctrl(m_map, 0);
        ctrl.PreProcessNextMessage();
        ctrl.ParamChange(e.category, e.addr, program ? &partByte : e.data.data(),
                         program ? short(1) : short(e.dataLength), e.assignRule);
        QueueMessage(ctrl.GetPreProcessedMessage());
    }
}

void CBulk::SendEditBuffSelPrmChng(short list, int unused, short part)
{
    Q_UNUSED(unused);
    QMutexLocker lock(&m_queueMutex);
    QueueSelect(list, part);
}

void CBulk::SetBulkOutMidiHeaderFooter(const unsigned char* adr)
{
    if (!adr)
        return;
    QMutexLocker lock(&m_queueMutex);
    QueueFraming(adr);
}

void CBulk::StartSending()
{
    ContinueSend();
}

void CBulk::ResendMuteSolo()
{
    if (!m_map)
        return;
    for (int part = 0; part < 16; ++part) {
        m_map->SetMuteStatus(part, m_map->IsMuteStatus(part), true);
        m_map->SetSoloStatus(part, m_map->IsSoloStatus(part), true);
    }
}

bool CBulk::ContinueSend()
{
    QByteArray msg;
    int k = 0, total = 0;
    bool sections = false;
    std::vector<int> ends;
    {
        // The queue is read under its mutex: a builder may be filling it on another thread.
        QMutexLocker lock(&m_queueMutex);
        if ((m_state == kSend || m_state == kMultiSend) && m_nextIndex < int(m_queue.size())) {
            msg = m_queue[size_t(m_nextIndex)].bytes;
            k = ++m_nextIndex;
            total = int(m_queue.size());
            // A gathered send has left multiple-bulk mode when it starts: its section
            // ends alone tell which category is going out.
            sections = !m_sectionEnds.empty();
            if (sections)
                ends = m_sectionEnds;
        }
    }
    if (!msg.isEmpty()) {
        if (!CMidiCtrl(m_map, 0).TransmitExclMsg(reinterpret_cast<const unsigned char*>(msg.constData()),
                                                 int(msg.size()))) {
            // The port refused the message: the transfer ends here with its failure, and
            // nothing after the gap is sent.
            FlushSendRequestList();
            {
                QMutexLocker lock(&m_queueMutex);
                m_multipleMode = false;
            }
            m_state = kIdle;
            emit bulkSendFailed();
            return false;
        }
        int p = 0, s = 0;
        if (sections) {
            if (k == total)
                return true;
            s = int(ends.size()) - 1;
            for (size_t i = 0; i < ends.size(); ++i) {
                if (k < ends[i]) {
                    s = int(i);
                    break;
                }
            }
            const int prev = s > 0 ? ends[size_t(s - 1)] : 0;
            const int span = ends[size_t(s)] - prev;
            p = span > 0 ? int(qint64(k - prev) * 100 / span) : 100;
        } else {
            p = total > 0 ? int(qint64(k) * 100 / total) : 100;
        }
        if (p >= 0 && p <= 99)
            emit bulkSendProgressChanged(p, s);
        return true;
    }
    FlushSendRequestList();
    if (m_state == kMultiSend)
        ResendMuteSolo();
    if (m_state > kSend) {
        emit bulkSendProgressChanged(0, 0);
    } else {
        m_state = kIdle;
        int n = 0;
        {
            QMutexLocker lock(&m_queueMutex);
            n = int(m_sectionEnds.size());
        }
        emit bulkSendProgressChanged(100, n);
    }
    return false;
}

void CBulk::FlushSendRequestList()
{
    QMutexLocker lock(&m_queueMutex);
    m_queue.clear();
    m_nextIndex = 0;
}
