#include "BlkAdrs.h"
#include "IniFileJob.h"
#include "TemplateList.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "console/bulk/MidiFormat.h"

namespace {
const char kDelims[] = "\t,";
}

CBlkAdrs::~CBlkAdrs()
{
    DeleteList();
}

bool CBlkAdrs::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

bool CBlkAdrs::MakeList(const QString& path)
{
    m_path = path;
    CIniFileJob ini(path);
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, "bank_block_adrs_list", 255, names, fault))
        return Fail(fault.section, fault.line, fault.what);
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        int size = 0;
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing block list"));
        if (!ini.GetItem("size", size) || size < 0 || size > 65535)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        std::vector<LIBVCEDATA_ADRS> blocks;
        for (int i = 0; i < size; ++i) {
            char buf[CIniFileJob::kItemSize];
            char hex[CIniFileJob::kTokenSize];
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            LIBVCEDATA_ADRS a;
            a.category = int16_t(ini.Get1stNumToken(buf, kDelims));
            const int len = m_formats ? m_formats->GetAdrLen(a.category) : 0;
            if (len <= 0)
                return Fail(sec, ini.GetItemLine(key.constData()),
                            QStringLiteral("address category %1 has no address length").arg(a.category));
            ini.Get2ndStrToken(hex, int(sizeof hex));
            if (int(strnlen(hex, sizeof hex)) != 2 * len)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("address is not %1 bytes").arg(len));
            CMem::SetByte(hex, a.address, len);
            blocks.push_back(a);
        }
        m_lists.push_back(std::move(blocks));
    }
    return true;
}

int CBlkAdrs::GetBlkAdrsSize(int category) const
{
    return category >= 0 && category < int(m_lists.size()) ? int(m_lists[size_t(category)].size()) : 0;
}

LIBVCEDATA_ADRS CBlkAdrs::GetVceDataFileBlk(int category, int n) const
{
    if (n < 0 || n >= GetBlkAdrsSize(category)) {
        LIBVCEDATA_ADRS none;
        none.category = -1;
        return none;
    }
    return m_lists[size_t(category)][size_t(n)];
}
