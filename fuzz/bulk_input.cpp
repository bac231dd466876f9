// Feeds arbitrary bytes to both bulk engines as received system-exclusive
// messages, in every receive state, over the shipped memory maps. The first byte
// chooses the request that runs; the rest is cut after each F7 into messages.
#include "console/bulk/Bulk.h"
#include "console/model/PrmCtrl.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

QString dataFolder()
{
    return QString::fromLocal8Bit(VANTREL_FUZZ_SOURCE_DIR) + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL/");
}

struct Maps
{
    CPrmCtrl multi;
    CPrmCtrl voice;
    bool ok = false;
    Maps()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
        ok = multi.CreatePrmCtrl(0, dataFolder() + QStringLiteral("METOVAR-VANTREL.tpm"))
            && voice.CreatePrmCtrl(1, dataFolder() + QStringLiteral("TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm"));
        voice.SetMaster(&multi);
        multi.SetVoiceMap(&voice);
    }
};

Maps& maps()
{
    static Maps* m = new Maps;
    return *m;
}

void start(CBulk& bulk, uint8_t mode)
{
    switch (mode % 6) {
    case 0: bulk.MultiReq(mode >> 4); break;
    case 1: bulk.BulkReq(mode >> 3, -1); break;
    case 2: bulk.PresetBulkReq(mode >> 3, 0); break;
    case 3: bulk.TovarEditBuffBulkReq(mode >> 4); break;
    case 4: bulk.IdentityReq(); break;
    default: break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Maps& m = maps();
    if (!m.ok || size < 1)
        return 0;
    CBulk* engines[2] = {m.multi.Bulk(), m.voice.Bulk()};
    for (CBulk* b : engines) {
        b->StopRequests();
        start(*b, data[0]);
    }
    // The whole input as one message, then the messages it holds.
    std::vector<uint8_t> whole(data + 1, data + size);
    for (CBulk* b : engines)
        b->MidiRecieve(whole.data(), int(whole.size()));
    size_t from = 1;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] != 0xF7)
            continue;
        // A copy of exactly the message's bytes, so that a read past it is caught.
        std::vector<uint8_t> msg(data + from, data + i + 1);
        for (CBulk* b : engines)
            b->MidiRecieve(msg.data(), int(msg.size()));
        from = i + 1;
    }
    for (CBulk* b : engines) {
        b->ClearRxStatusAll();
        b->StopRequests();
    }
    return 0;
}
