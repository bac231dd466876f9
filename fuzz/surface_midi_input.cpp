// Feeds arbitrary bytes to the control-surface manager as messages from the surface
// port, three bytes at a time, over the shipped memory model and surface template,
// with editor echoes and timer ticks in between. The first byte picks plug-in mode
// and which of the inputs go through the pitch-bend-only path.
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/remote/RcParamInfo.h"
#include "console/remote/RemoteCtrlMng.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>

namespace {

QString dataFolder()
{
    return QString::fromLocal8Bit(VANTREL_FUZZ_SOURCE_DIR) + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL");
}

// A surface port that reads every byte it is given.
class CheckingPort : public TMIDIProxyInOut
{
public:
    int32_t read(int, const void*, bool, bool) override { return 0; }
    int32_t write(int length, const void* data) override
    {
        const auto* b = static_cast<const uint8_t*>(data);
        for (int i = 0; i < length; ++i)
            sum += b[i];
        return 1;
    }
    QUuid portIdentity(int) override { return QUuid(); }
    int32_t selectPorts(const QUuid*, int) override { return 0; }
    void setReceiveChannelMessages(bool) override {}
    bool receiveChannelMessages() override { return true; }
    unsigned sum = 0;
};

struct Model
{
    CSynthMemory memory{nullptr, dataFolder() + QStringLiteral("/METOVAR-VANTREL.tpm"),
                        dataFolder() + QStringLiteral("/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm")};
    CheckingPort instrument;
    CheckingPort surface;
};

Model& model()
{
    static Model* m = new Model;
    return *m;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tovar.*=false"));
    CSynthMemory::setFailureReporter([](const QString&, const QString&) {});
    // Timers need an application object; no event loop ever runs them here.
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model& m = model();
    CPrmCtrl* multi = m.memory.MultiMap();
    if (!multi || size < 1)
        return 0;
    const uint8_t mode = data[0];
    CRemoteCtrlMng& mng = multi->RemoteCtrl();
    static bool read = false;
    if (!read) {
        // The template is read once; each input starts from a full refresh.
        mng.InitSet(multi, 1, dataFolder());
        mng.m_pVoiceBanks = m.memory.VoiceBanks();
        m.memory.SetMIDI(&m.instrument, 0);
        read = true;
    }
    m.memory.SetMIDI(&m.surface, 1);
    // Activate, then (plug-in inputs) hand the surface over to the remote key.
    mng.SetReceiveMsg(0x90, 0x49, 0x7F, true, nullptr);
    mng.SetReceiveMsg(0x90, 0x49, 0x00, true, nullptr);
    mng.Refresh(15);
    multi->SetRemoteCtrlFlags((mode & 1) != 0, true);
    mng.Refresh(32);
    for (size_t i = 1; i + 2 < size + 2; i += 3) {
        const uint8_t b0 = data[i];
        const uint8_t b1 = i + 1 < size ? data[i + 1] : 0;
        const uint8_t b2 = i + 2 < size ? data[i + 2] : 0;
        unsigned char* changed = nullptr;
        mng.SetReceiveMsg(b0, b1, b2, ((i / 3) & 7) != (mode >> 5), &changed);
        if (changed)
            m.surface.sum += changed[0] + changed[1] + changed[2];
        if (b0 == 0xA0) {
            // An editor edit of the address the next bytes name.
            unsigned char a[3] = {b1, b2, uint8_t(b1 ^ b2)};
            _RCPARAM_INFO info;
            info.address = a;
            info.kind = 1;
            info.value = b2;
            mng.ChangeParam(&info);
        } else if (b0 == 0xA1) {
            for (int t = 0; t < (b1 & 0x1F); ++t)
                mng.TimerTick();
        } else if (b0 == 0xA2) {
            mng.Refresh(b1 | (b2 << 7));
        } else if (b0 == 0xA3) {
            mng.SetMuteStatus(int(b1) - 4, b2 & 1);
            mng.SetSoloStatus(int(b2) - 4, b1 & 1);
        }
    }
    mng.OnTimer();
    m.memory.SetMIDI(nullptr, 1);
    return 0;
}
