// Fuzzes the surface template reader: the input is a template, optionally followed by
// a line "%%" and a parts.ini. A template that reads is walked: every route of its
// tree stepped both ways, its texts placed on the display.
#include "console/remote/RemoteDisplay.h"
#include "console/remote/RemotePageTree.h"
#include "console/remote/RemoteTemplate.h"

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
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const int split = int(bytes.indexOf("\n%%\n"));
    const QByteArray tpr = split < 0 ? bytes : bytes.left(split + 1);
    const QByteArray parts = split < 0 ? QByteArray() : bytes.mid(split + 4);
    // One parse for both, as the choice of a template and its read share it.
    const auto image = CRemoteTemplate::Parse(tpr);
    CRemoteTemplate probe;
    probe.Supports(image, QStringLiteral("R5T"));
    CRemoteTemplate t;
    t.Read(image, parts);
    walk(t);
    return 0;
}
