#pragma once
// What the voice dialogs' tests share: the rig of the dialogs add-on in the substitute
// host with parameters read and written by their named addresses, a part's voice, the
// parameter changes the simulated instrument received, user voices planted in the
// instrument and received into the editor, and the widgets of a running dialog.
#include "DialogsRig.h"
#include "console/memapi/ITovarVoiceData.h"
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <array>

namespace DialogsTest {

// One parameter change the instrument received: address and data bytes.
struct Change
{
    Bytes address;
    Bytes data;
};

class VoiceDialogsRig : public DialogsRig
{
protected:
    ITovarVoiceData* voiceData() const { return dynamic_cast<ITovarVoiceData*>(m_api->MAPI_qself()); }

    IMemAPI::TSingleAddress_VANTREL_KXE address(const QString& name) const
    {
        IMemAPI::TCompleteAddress parsed;
        m_api->MAPI_parse(parsed, &name);
        IMemAPI::TSingleAddress_VANTREL_KXE a;
        if (parsed.records && parsed.count > 0)
            a = parsed.records[0];
        delete[] parsed.records;
        return a;
    }
    int param(const QString& name, int channel) const
    {
        const auto a = address(name);
        return m_api->MAPI_getIndParam(a.element, a.parameter, short(channel), false, nullptr);
    }
    void setParam(const QString& name, int channel, int value)
    {
        const auto a = address(name);
        m_api->MAPI_setIndParam(a.element, a.parameter, short(channel), value, m_api->MAPI_dirtyAllFlags(nullptr),
                                IMemAPI::PostSetDirtyFlags);
    }

    // {MSB, LSB, program} of a part.
    std::array<int, 3> partVoice(int part) const
    {
        return {param(QStringLiteral("00kMixPart/kPartBankSelMSB"), part),
                param(QStringLiteral("00kMixPart/kPartBankSelLSB"), part),
                param(QStringLiteral("00kMixPart/kPartPrgNo"), part)};
    }
    void setPartVoice(int part, int msb, int lsb, int program)
    {
        setParam(QStringLiteral("00kMixPart/kPartBankSelMSB"), part, msb);
        setParam(QStringLiteral("00kMixPart/kPartBankSelLSB"), part, lsb);
        setParam(QStringLiteral("00kMixPart/kPartPrgNo"), part, program);
    }

    // The parameter changes the instrument received since its logs were cleared.
    std::vector<Change> changes() const
    {
        std::vector<Change> out;
        for (const auto& r : m_host->instrument()->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange))
            if (r.bytes.size() >= 9)
                out.push_back({Bytes(r.bytes.begin() + 4, r.bytes.begin() + 7),
                               Bytes(r.bytes.begin() + 7, r.bytes.end() - 1)});
        return out;
    }
    // Waits until the instrument received a change of `a` with that data.
    bool received(const Bytes& a, const Bytes& data, int ms = 3000)
    {
        return pumpUntil(
            [&] {
                for (const Change& c : changes())
                    if (c.address == a && c.data == data)
                        return true;
                return false;
            },
            ms);
    }
    bool received(const Bytes& a, int data, int ms = 3000) { return received(a, Bytes{uint8_t(data)}, ms); }

    // Gives voices of a user bank (its framing byte) names and category codes in the
    // instrument, then receives that bank into the editor as receive type `type`.
    bool plantAndReceive(uint8_t bankByte, int type, const std::vector<std::pair<int, std::pair<QString, int>>>& voices)
    {
        instrument().editImage([&](NS_Simulator::SimMemoryImage& image) {
            for (const auto& v : voices) {
                Bytes record = image.defaultRecord(NS_Simulator::VoiceType::Normal);
                const QByteArray name = v.second.first.leftJustified(10, QLatin1Char(' '), true).toLatin1();
                std::copy(name.begin(), name.end(), record.begin());
                record[10] = uint8_t(v.second.second);
                image.setVoice(bankByte, v.first, record);
            }
        });
        ProgressLog log(m_companion);
        m_companion->requestUserVoiceBulk(type);
        return pumpUntil([&] { return log.reached100(); }, 20000)
               && pumpUntil([&] { return !m_companion->m_requestStateNow; }, 3000);
    }

    template <class W>
    static W* child(QWidget* dialog, const char* name)
    {
        return dialog->findChild<W*>(QLatin1String(name));
    }
    static QStringList texts(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    // A highlight as the user makes it: the list's current row changes with signals.
    static void highlight(QListWidget* list, int row) { list->setCurrentRow(row); }
};

} // namespace DialogsTest
