#include "CTovarFileConverter.h"

#include "CM2EToM3EConverter.h"
#include "CW2EToW7EConverter.h"
#include "CW6EToW7EConverter.h"
#include "CW7EToW9EConverter.h"

#include <QLoggingCategory>

#include <algorithm>
#include <mutex>

Q_LOGGING_CATEGORY(lcFileConverter, "tovar.convert")

namespace {

// The list lives in a function so that it is built before the first converter
// registers and outlives every static converter instance.
struct TRegistry {
    std::mutex lock;
    std::vector<CTovarFileConverter*> list;
};

TRegistry& registryData()
{
    static TRegistry registry;
    return registry;
}

} // namespace

CTovarFileConverter::CTovarFileConverter()
{
    TRegistry& r = registryData();
    std::lock_guard<std::mutex> guard(r.lock);
    r.list.push_back(this);
}

CTovarFileConverter::~CTovarFileConverter()
{
    TRegistry& r = registryData();
    std::lock_guard<std::mutex> guard(r.lock);
    r.list.erase(std::remove(r.list.begin(), r.list.end(), this), r.list.end());
}

bool CTovarFileConverter::DataConv(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen)
{
    TConvertContext context;
    return DataConv(src, srcLen, dst, dstLen, context);
}

void CTovarFileConverter::initialise()
{
    // Library files are opened from the GUI thread and from host threads alike.
    static std::once_flag once;
    std::call_once(once, [] {
        CM2EToM3EConverter::create();
        CW7EToW9EConverter::create();
        CW2EToW7EConverter::create();
        CW6EToW7EConverter::create();
    });
}

std::vector<CTovarFileConverter*> CTovarFileConverter::registry()
{
    TRegistry& r = registryData();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.list;
}

bool CTovarFileConverter::ConvertFile(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                                      CTovarFileConverter*& out)
{
    TConvertContext context;
    return ConvertFile(src, srcLen, dst, dstLen, out, context);
}

bool CTovarFileConverter::ConvertFile(const unsigned char* src, int srcLen, unsigned char* dst, int dstLen,
                                      CTovarFileConverter*& out, TConvertContext& context)
{
    out = nullptr;
    context.origin = nullptr;
    context.written.clear();
    if (!src || !dst || srcLen <= 0 || dstLen <= 0)
        return false;
    initialise();
    // Not under the lock: converters call back in here for intermediate formats.
    for (CTovarFileConverter* converter : registry()) {
        context.origin = nullptr;
        context.written.clear();
        if (converter->DataConv(src, srcLen, dst, dstLen, context)) {
            out = converter;
            if (!context.origin)
                context.origin = converter;
            return true;
        }
    }
    context.origin = nullptr;
    context.written.clear();
    qCDebug(lcFileConverter) << "no converter accepts" << srcLen << "bytes into" << dstLen;
    return false;
}
