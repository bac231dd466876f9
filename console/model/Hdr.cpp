#include "Hdr.h"
#include "IniFileJob.h"
#include "TemplateList.h"
#include "Mem.h"
#include "ModelLogging.h"

namespace {
const char kDelims[] = "\t,";
}

CHdr::~CHdr()
{
    DeleteList();
}

bool CHdr::Fail(const QString& section, int line, const QString& what)
{
    m_error = TemplateFaultText(m_path, section, line, what);
    return false;
}

bool CHdr::MakeList(const QString& path)
{
    m_path = path;
    CIniFileJob ini(path);
    const QString list = QStringLiteral("LibHdrTplList");
    if (!ini.Opened())
        return Fail(list, 0, QStringLiteral("template not readable"));
    std::vector<QByteArray> names;
    TemplateFault fault;
    if (!ReadTemplateList(ini, "LibHdrTplList", 255, names, fault))
        return Fail(fault.section, fault.line, fault.what);
    for (const QByteArray& name : names) {
        const QString sec = QString::fromLatin1(name);
        int size = 0;
        if (!ini.GetSection(name.constData()))
            return Fail(sec, 0, QStringLiteral("missing header template"));
        if (!ini.GetItem("size", size) || size < 0 || size > 255)
            return Fail(sec, ini.GetItemLine("size"), QStringLiteral("missing or bad size"));
        std::vector<LIBHDRDATA> cols;
        for (int i = 0; i < size; ++i) {
            char buf[CIniFileJob::kItemSize];
            char hex[CIniFileJob::kTokenSize];
            const QByteArray key = QByteArray::number(i);
            if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
                return Fail(sec, ini.SectionEndLine(), QStringLiteral("missing key %1").arg(i));
            LIBHDRDATA c;
            c.nameFlag = ini.Get1stNumToken(buf, kDelims) != 0;
            const int len = ini.Get2ndNumToken();
            if (len < 0 || len > kMaxAdrLen)
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("address length %1 outside 0..%2").arg(len).arg(kMaxAdrLen));
            c.adrsLen = uint16_t(len);
            c.assignStyle = uint16_t(ini.Get2ndNumToken());
            ini.Get2ndStrToken(hex, int(sizeof hex));
            CMem::SetByte(hex, c.address, len);
            ini.Get2ndStrToken(hex, int(sizeof hex));
            CMem::SetByte(hex, c.second, len);
            c.numberWidth = uint16_t(ini.Get2ndNumToken());
            c.dispStyle = uint16_t(ini.Get2ndNumToken());
            ini.Get2ndStrToken(c.text);
            if (!ini.LastTokenFound())
                return Fail(sec, ini.GetItemLine(key.constData()), QStringLiteral("a column has eight fields"));
            cols.push_back(c);
        }
        m_lists.push_back(std::move(cols));
    }
    return true;
}

int CHdr::GetHdrNum(int list) const
{
    return list >= 0 && list < int(m_lists.size()) ? int(m_lists[size_t(list)].size()) : 0;
}

LIBHDRDATA CHdr::GetHdrData(int list, int n) const
{
    if (n < 0 || n >= GetHdrNum(list))
        return LIBHDRDATA();
    return m_lists[size_t(list)][size_t(n)];
}
