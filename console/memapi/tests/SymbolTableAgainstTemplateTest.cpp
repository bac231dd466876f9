// Every named address of the symbol table, resolved the way a bound control resolves it,
// against the shipped memory maps: the multi groups land on parameters of the multi map
// only, the voice groups on parameters of the voice map that the multi map describes
// alike (the memory API reaches them there), the editor switches on no block.
#include "console/memapi/AddressParser.h"
#include "console/memapi/NS_LookupUtility.h"
#include "console/model/PrmCtrl.h"
#include "console/model/tests/ShippedMapsFixture.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace {

struct Address
{
    int a0 = -1;
    int a1 = -1;
    int a2 = -1;
};

std::string hex(const Address& a)
{
    return QStringLiteral("%1 %2 %3")
        .arg(a.a0, 2, 16, QLatin1Char('0'))
        .arg(a.a1, 2, 16, QLatin1Char('0'))
        .arg(a.a2, 2, 16, QLatin1Char('0'))
        .toUpper()
        .toStdString();
}

// The address a control bound to channel gets for "FE<group>/<param>".
bool resolve(const QString& group, const QString& param, int channel, Address& out)
{
    const std::vector<NS_AddressParser::Record> records
        = NS_AddressParser::parse(QStringLiteral("FE") + group + QLatin1Char('/') + param);
    if (records.empty())
        return false;
    NS_AddressParser::Record current;
    if (!NS_AddressParser::chooseRecord(records.data(), int(records.size()), channel, current))
        return false;
    out = {current.element, current.channel, current.parameter};
    return true;
}

bool isVoiceGroup(const QString& group)
{
    return group.startsWith(QLatin1String("kNormal")) || group.startsWith(QLatin1String("kDrum"))
        || group.startsWith(QLatin1String("kPlugin"));
}

bool isEditorState(int element) { return element == 1 || element == 2; }

// What a row's name says after its type and section tags: "kDrmKeyLevel" -> "Level".
QString tail(const char* row)
{
    // The element's switch is its assignment to the voice.
    if (QLatin1String(row) == QLatin1String("kNrmElmAssign"))
        return QStringLiteral("ElementSwitch");
    QString t = QString::fromLatin1(row).mid(4); // "k" + Nrm/Drm/Plg
    for (const char* tag : {"Com", "Elm", "Key", "Aud", "Ntv"})
        if (t.startsWith(QLatin1String(tag)) && t.size() > 3 && t.at(3).isUpper()) {
            t = t.mid(3);
            break;
        }
    return t;
}

// A parameter the data names itself (not a reserved byte, not a plain "Parameter xx").
bool isNamed(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String("Reserved")
        && !name.startsWith(QLatin1String("Parameter "));
}

class SymbolTableAgainstTemplate : public ShippedMapsFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(multiOk) << multi->ErrorText().toStdString();
        ASSERT_TRUE(voiceOk) << voice->ErrorText().toStdString();
    }

    static bool isParam(const CPrmCtrl* m, const Address& a)
    {
        const unsigned char b[3] = {(unsigned char)a.a0, (unsigned char)a.a1, (unsigned char)a.a2};
        return m->EditorBlk().IsParam(0, b);
    }
    static QString nameAt(const CPrmCtrl* m, const Address& a)
    {
        const unsigned char b[3] = {(unsigned char)a.a0, (unsigned char)a.a1, (unsigned char)a.a2};
        PRMINFO info;
        return m->GetPrmInfo(0, b, info) ? info.name : QString();
    }
    // The channels (a1) of the map's blocks with this first address byte.
    static std::set<int> channelsOf(const CPrmCtrl* m, int a0)
    {
        std::set<int> channels;
        const CEditorBlk& blk = m->EditorBlk();
        for (int i = 0; i < blk.GetBlkCount(); ++i) {
            const BLK b = blk.GetBlkAt(i);
            if (b.rangeCount > 0 && b.ranges[0].low[0] == a0)
                channels.insert(b.ranges[0].low[1]);
        }
        return channels;
    }
    // Channels a row of this (unpacked) element is bound to: every instance the map has.
    static std::set<int> boundChannels(const CPrmCtrl* m, int element)
    {
        return element > 255 ? std::set<int>{0} : channelsOf(m, element);
    }

};

} // namespace

TEST_F(SymbolTableAgainstTemplate, EveryRowResolvesToAParameterOfItsMap)
{
    // Instances the data gives the unpacked elements: system, 16 parts, 4 normal
    // elements in two blocks each, 73 drum keys.
    const std::map<int, int> instances = {{0x00, 1}, {0x37, 16}, {0x44, 4}, {0x45, 4}, {0x4A, 73}};
    int rows = 0;
    for (const QString& group : NS_LookupUtility::groupNames()) {
        const QByteArray g = group.toLatin1();
        const NS_LookupUtility::valentry* row = NS_LookupUtility::lookupRow(g.constData(), nullptr);
        ASSERT_NE(row, nullptr) << g.constData();
        ASSERT_NE(row->name, nullptr) << g.constData() << " has no rows";
        for (; row->name; ++row, ++rows) {
            const std::string what = std::string(g.constData()) + "/" + row->name;
            EXPECT_EQ(row->kind, 1) << what;
            if (isEditorState(row->element))
                continue; // no memory: EditorSwitchesNameNoBlock
            const bool inVoice = isVoiceGroup(group);
            const CPrmCtrl* own = inVoice ? voice : multi;
            const CPrmCtrl* other = inVoice ? multi : voice;
            const std::set<int> channels = boundChannels(own, row->element);
            ASSERT_FALSE(channels.empty()) << what << ": no block of element " << row->element;
            // A bound channel counts its instances from 0.
            EXPECT_EQ(*channels.begin(), 0) << what;
            EXPECT_EQ(*channels.rbegin(), int(channels.size()) - 1) << what;
            if (row->element <= 255) {
                const auto it = instances.find(row->element);
                ASSERT_NE(it, instances.end()) << what << ": element " << row->element;
                EXPECT_EQ(int(channels.size()), it->second) << what;
            }
            for (int channel : channels) {
                Address a;
                ASSERT_TRUE(resolve(group, QString::fromLatin1(row->name), channel, a)) << what;
                EXPECT_TRUE(isParam(own, a)) << what << " -> " << hex(a) << " is no parameter";
                EXPECT_NE(nameAt(own, a), QStringLiteral("Reserved")) << what << " -> " << hex(a);
                if (inVoice)
                    EXPECT_EQ(nameAt(other, a), nameAt(own, a)) << what << " -> " << hex(a) << " not in the multi map";
                else
                    EXPECT_FALSE(isParam(other, a)) << what << " -> " << hex(a) << " in the voice map";
            }
        }
    }
    EXPECT_GT(rows, 200); // the walk saw the whole table
}

TEST_F(SymbolTableAgainstTemplate, EditorSwitchesNameNoBlock)
{
    for (const CPrmCtrl* m : {multi, voice}) {
        EXPECT_TRUE(channelsOf(m, 1).empty());
        EXPECT_TRUE(channelsOf(m, 2).empty());
    }
    int rows = 0;
    for (const QString& group : NS_LookupUtility::groupNames()) {
        const QByteArray g = group.toLatin1();
        for (const NS_LookupUtility::valentry* row = NS_LookupUtility::lookupRow(g.constData(), nullptr);
             row->name; ++row) {
            const bool editorState = isEditorState(row->element);
            // Only the editor switches use the pseudo-elements, and all of them do.
            EXPECT_EQ(editorState, group == QLatin1String("kEditorSwitches")) << row->name;
            if (!editorState)
                continue;
            ++rows;
            for (int part = 0; part < 16; ++part) {
                Address a;
                ASSERT_TRUE(resolve(group, QString::fromLatin1(row->name), part, a)) << row->name;
                EXPECT_EQ(a.a0, row->element);
                EXPECT_EQ(a.a1, part);
                EXPECT_FALSE(isParam(multi, a)) << row->name << " " << hex(a);
                EXPECT_FALSE(isParam(voice, a)) << row->name << " " << hex(a);
                const unsigned char b[3] = {(unsigned char)a.a0, (unsigned char)a.a1, (unsigned char)a.a2};
                BLK blk;
                EXPECT_FALSE(multi->EditorBlk().GetBlk(0, b, blk)) << hex(a);
                EXPECT_FALSE(voice->EditorBlk().GetBlk(0, b, blk)) << hex(a);
            }
        }
    }
    EXPECT_EQ(rows, 20);
}

TEST_F(SymbolTableAgainstTemplate, VoiceRowsAgreeWithTheNamedVoiceParameters)
{
    // Each voice row on a parameter the data names carries that name; each named
    // parameter that a row's name describes is where that row points.
    struct Row
    {
        QString group;
        const char* name;
        Address at; // bound to channel 0
    };
    std::vector<Row> voiceRows;
    for (const QString& group : NS_LookupUtility::groupNames()) {
        if (!isVoiceGroup(group))
            continue;
        const QByteArray g = group.toLatin1();
        for (const NS_LookupUtility::valentry* row = NS_LookupUtility::lookupRow(g.constData(), nullptr);
             row->name; ++row) {
            Row r{group, row->name, {}};
            ASSERT_TRUE(resolve(group, QString::fromLatin1(row->name), 0, r.at)) << row->name;
            voiceRows.push_back(r);
        }
    }
    ASSERT_FALSE(voiceRows.empty());

    for (const Row& r : voiceRows) {
        const QString name = nameAt(voice, r.at);
        if (isNamed(name)) {
            EXPECT_TRUE(QString(name).remove(QLatin1Char(' ')).endsWith(tail(r.name)))
                << r.name << " -> " << hex(r.at) << " is \"" << name.toStdString() << "\"";
        }
    }

    // The named parameters of channel 0 of every voice block.
    const CEditorBlk& blk = voice->EditorBlk();
    int named = 0;
    for (int i = 0; i < blk.GetBlkCount(); ++i) {
        const BLK b = blk.GetBlkAt(i);
        if (b.rangeCount == 0 || b.ranges[0].low[1] != 0)
            continue;
        for (int p = 0; p < b.prmCount; ++p) {
            const Address a{b.params[p].address[0], b.params[p].address[1], b.params[p].address[2]};
            const QString name = nameAt(voice, a);
            if (!isNamed(name))
                continue;
            ++named;
            const QString joined = QString(name).remove(QLatin1Char(' '));
            for (const Row& r : voiceRows)
                if (r.at.a0 == a.a0 && r.at.a1 == a.a1 && joined.endsWith(tail(r.name))) {
                    EXPECT_EQ(r.at.a2, a.a2) << r.name << " is at " << hex(r.at) << ", \""
                                             << name.toStdString() << "\" at " << hex(a);
                }
        }
    }
    EXPECT_GT(named, 0);
}

TEST_F(SymbolTableAgainstTemplate, FixedNamedAddresses)
{
    Address a;
    ASSERT_TRUE(resolve(QStringLiteral("kMixPart"), QStringLiteral("kPartPan"), 3, a));
    EXPECT_EQ(hex(a), "37 03 0E");
    EXPECT_TRUE(isParam(multi, a));

    const auto first = [](const char* text, int channel, Address& out) {
        const std::vector<NS_AddressParser::Record> records = NS_AddressParser::parse(QString::fromLatin1(text));
        NS_AddressParser::Record current;
        if (records.empty() || !NS_AddressParser::chooseRecord(records.data(), int(records.size()), channel, current))
            return false;
        out = {current.element, current.channel, current.parameter};
        return true;
    };
    for (int channel : {0, 5, 15}) {
        ASSERT_TRUE(first("00kCommon/kCommEQHiMidGain", channel, a));
        EXPECT_EQ(hex(a), "36 00 43");
        EXPECT_EQ(nameAt(multi, a), QStringLiteral("EQ High Mid Gain"));
        ASSERT_TRUE(first("FCkCommonChorus/kChoChoToRev", channel, a));
        EXPECT_EQ(hex(a), "36 02 24");
        EXPECT_EQ(nameAt(multi, a), QStringLiteral("Chorus To Reverb"));
    }
}
