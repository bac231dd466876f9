// Fuzzes the surface template reader: the input is a template, optionally followed by
// a line "%%" and a parts.ini. A template that reads is walked: every route of its
// tree stepped both ways, its texts placed on the display.
#include "console/remote/RemoteDisplay.h"
#include "console/remote/RemotePageTree.h"
#include "console/remote/RemoteTemplate.h"
#include "console/model/IniFileJobCache.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>

namespace {

void walk(CRemoteTemplate& t)
{
    uint8_t route[NS_Remote::kRouteBytes];
    NS_RemotePageTree::copy(route, t.defaultRoute);
    for (int i = 0; i < 64; ++i) {
        NS_RemotePageTree::step(t.tops, route, (i / 16) % 2 == 0, (i / 8) % 2 == 1);
        NS_RemotePageTree::windowOf(t.tops, route);
    }
    for (size_t e = 0; e < t.tops.size(); ++e) {
        route[0] = uint8_t(e);
        NS_RemotePageTree::normalise(t.tops, route);
        for (int i = 0; i < 8; ++i)
            NS_RemotePageTree::step(t.tops, route, i < 4, i % 2 == 1);
    }
    CRemoteDisplay display;
    display.setFields(&t.fields);
    for (const WINDOW_INFO& w : t.windows) {
        for (const PARAM_STR_INFO& item : w.edit.items) {
            display.place(CRemoteDisplay::Upper, item.field, item.width, item.label);
            display.fieldText(CRemoteDisplay::Lower, item.field, item.width, item.label + item.label);
        }
        for (const CONST_STR_INFO& c : w.mixer.value.upper)
            display.fieldMessage(CRemoteDisplay::Upper, c.field, c.text);
    }
    display.lineMessage(CRemoteDisplay::Upper);
    display.lineMessage(CRemoteDisplay::Lower);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The two parsed images are kept between runs: each input is parsed into their room
    // (nothing the run before left in them is read), and no reader outlives a run.
    static const auto image = std::make_shared<CIniFileJobCache>();
    static const auto partsImage = std::make_shared<CIniFileJobCache>();
    const char* const text = reinterpret_cast<const char*>(data);
    const QByteArray bytes = QByteArray::fromRawData(text, qsizetype(size));
    const qsizetype split = bytes.indexOf("\n%%\n");
    // One parse for both, as the choice of a template and its read share it.
    image->ReadBytes(split < 0 ? bytes : QByteArray::fromRawData(text, split + 1));
    partsImage->ReadBytes(split < 0 ? QByteArray() : QByteArray::fromRawData(text + split + 4, bytes.size() - split - 4));
    CRemoteTemplate probe;
    probe.Supports(image, QStringLiteral("R5T"));
    CRemoteTemplate t;
    t.Read(image, partsImage);
    walk(t);
    return 0;
}
