#pragma once
// Forms one outgoing message from a layout of the map's format table and writes it to
// a port of the map, or captures it. Made on the stack for one operation; it copies
// the map's device number, MIDI channel and rule values when constructed.
#include "MidiFrmt.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <cstdint>

class CMidiFormat;
class CPrmCtrl;

class VANTREL_CONSOLE_EXPORT CMidiCtrl
{
public:
    CMidiCtrl(CPrmCtrl* map, int port);
    virtual ~CMidiCtrl() = default;

    // Lays a message into dst (GetMidiBuffSize bytes); the index of its F7, or -1 when
    // the layout is unknown or n is negative.
    int MidiForm(unsigned char* dst, short layout, const unsigned char* adr,
                 const unsigned char* data, short n) const;
    int GetMidiBuffSize(short layout, short n) const;
    int GetPrmChngSize(short category, short n) const;
    int FormPrmChngBuffer(short category, const unsigned char* adr, const unsigned char* data,
                          unsigned char* dst, short n) const;

    void PrmChng(short category, const unsigned char* adr, const unsigned char* data, short n);
    void PrmChng(short category, const unsigned char* adr, const unsigned char* data, short n,
                 short assignRule);
    void ParamRequest(short category, const unsigned char* adr, const unsigned char* data, short n);
    void BulkRequest(short category, const unsigned char* adr, const unsigned char* data, short n);
    void BulkOut(short category, const unsigned char* adr, const unsigned char* data, short n);
    // The formed message, nothing sent; empty when it cannot be formed.
    QByteArray PreProcessBulkRequest(short category, const unsigned char* adr,
                                     const unsigned char* data, short n) const;
    QByteArray PreProcessBulkOut(short category, const unsigned char* adr,
                                 const unsigned char* data, short n) const;
    void ParamChange(short category, const unsigned char* adr, const unsigned char* data, short n,
                     short assignRule);
    void IdentityRequest(unsigned char device);

    int SendExclMsg(const unsigned char* msg, int size);
    // Writes like SendExclMsg (never captured); false when the port the user chose
    // refused the message. Without a port or without a chosen output nothing is sent
    // and nothing is reported.
    bool TransmitExclMsg(const unsigned char* msg, int size);
    int SendChMsg(unsigned char status, unsigned char d1, unsigned char d2);
    int SendChMsg(unsigned char status, unsigned char d1);
    void PreProcessNextMessage() { m_capture = true; }
    // The captured message (empty when none was captured); it is handed over.
    QByteArray GetPreProcessedMessage();

    // Substitutes the rule's bytes into a formed message of the given layout and then
    // recomputes its checksum; never touches the checksum or F7.
    void ChangeDataAssignRule(unsigned char* msg, short len, const MIDI_FRMT& layout, short rule) const;

    static unsigned char GetCheckSum(const unsigned char* bytes, int n);

    unsigned char deviceNumber() const { return m_device; }

private:
    QByteArray Form(short category, int purpose, const unsigned char* adr,
                    const unsigned char* data, short n) const;
    void Send(const QByteArray& msg);

    CPrmCtrl* m_map = nullptr;
    const CMidiFormat* m_format = nullptr;
    unsigned char m_device = 0;
    unsigned char m_channel = 0;
    unsigned char m_rule1 = 0;
    unsigned char m_rule2 = 0;
    int m_rule3 = 0;
    bool m_capture = false;
    QByteArray m_captured;
    int m_port = 0;
};
