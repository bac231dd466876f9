// More broken copies of the shipped surface template: each section reader refuses what
// it cannot use with its own report, so a user who edits the template learns which
// section and item are wrong; and a folder whose template does not declare the
// surface type, or declares it badly, starts no surface.
#include "SurfaceRig.h"
#include "console/remote/RemoteTemplate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray shippedSurfaceTemplate()
{
    return readAll(surfaceDataFolder() + QStringLiteral("/TOVAR-VANTREL-R5T.tpr"));
}

QByteArray shippedPartsIni()
{
    return readAll(surfaceDataFolder() + QStringLiteral("/parts.ini"));
}

// The text with the first `from` after the line "[section]" replaced by `to`; empty
// when the edit does not apply.
QByteArray withEdit(QByteArray text, const char* section, const char* from, const char* to)
{
    const QByteArray head = '[' + QByteArray(section) + "]\n";
    const int at = int(text.indexOf(head));
    const int hit = at < 0 ? -1 : int(text.indexOf(from, at + head.size()));
    if (hit < 0)
        return QByteArray();
    return text.replace(hit, int(qstrlen(from)), to);
}

struct SectionFault
{
    const char* name;
    const char* section;
    const char* from;
    const char* to;
    const char* report;
};

class SurfaceTemplateFault : public ::testing::TestWithParam<SectionFault>
{
};

} // namespace

TEST_P(SurfaceTemplateFault, IsReportedAndTheTemplateRefused)
{
    const SectionFault& c = GetParam();
    const QByteArray text = withEdit(shippedSurfaceTemplate(), c.section, c.from, c.to);
    ASSERT_FALSE(text.isEmpty()) << "fixture edit does not apply";
    CRemoteTemplate t;
    EXPECT_FALSE(t.ReadBytes(text, shippedPartsIni()));
    EXPECT_TRUE(t.Reports().contains(QString::fromLatin1(c.report))) << t.Reports().join(" | ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Surface, SurfaceTemplateFault,
    ::testing::Values(
        SectionFault{"NoStandaloneMessages", "InitItem", "Standalone=", "Alone=",
                     "Keyword \"Standalone\" is not found...\nSECTION [InitItem]"},
        SectionFault{"NegativeMessageCount", "InitStandalone", "Size=2", "Size=-1",
                     "Number of \"Size\" is not right...(-1)\nSECTION [InitStandalone]"},
        SectionFault{"PlugInMessagesCut", "InitPlugin", "1=3,90497F", "1=3,9049",
                     "A value is not right...\n SECTION [InitPlugin] - ITEM [1] - NUMBER [1]"},
        SectionFault{"KeyIdAboveSevenBits", "KeyIDList", "0=20", "0=FF",
                     "A value is not right...\n SECTION [KeyIDList] - ITEM [0] - NUMBER [255]"},
        SectionFault{"EncoderIdAboveFifteen", "EncoderIDList", "7=7", "7=1F",
                     "A value is not right...\n SECTION [EncoderIDList] - ITEM [7] - NUMBER [31]"},
        SectionFault{"TooManyBanks", "BankGroup", "Size=2", "Size=99",
                     "Number of \"Size\" is not right...(99)\nSECTION [BankGroup]"},
        SectionFault{"NoDisplayFields", "LcdAddrStruct", "Size=8", "Size=0",
                     "Number of \"Size\" is not right...(0)\nSECTION [LcdAddrStruct]"},
        SectionFault{"OverlappingDisplayFields", "LcdAddrStruct", "1=07,47", "1=03,47",
                     "A value is not right...\n SECTION [LcdAddrStruct] - ITEM [1] - NUMBER [1]"},
        SectionFault{"NegativeFormatCount", "WindowFormat", "Size=3", "Size=-3",
                     "Number of \"Size\" is not right...(-3)\nSECTION [WindowFormat]"},
        SectionFault{"UnknownWindowForm", "WindowFormat", "2=1", "2=9",
                     "A value is not right...\n SECTION [WindowFormat] - ITEM [2] - NUMBER [9]"},
        SectionFault{"MasterAddressCut", "FaderMasterValueDisplay", "0=000000", "0=0000",
                     "A value is not right...\n SECTION [FaderMasterValueDisplay] - ITEM [0] - NUMBER [0]"},
        SectionFault{"NegativeWindowCount", "WindowList", "Size=173", "Size=-1",
                     "Number of \"Size\" is not right...(-1)\nSECTION [WindowList]"},
        SectionFault{"WindowOfAnUnknownFormat", "WindowList", "0=0,MixPan", "0=7,MixPan",
                     "A value is not right...\n SECTION [WindowList] - ITEM [0] - NUMBER [7]"},
        SectionFault{"WindowListedTwice", "WindowList", "1=0,MixRevSend", "1=0,MixPan",
                     "A value is not right...\n SECTION [WindowList] - ITEM [1] - NUMBER [0]"},
        SectionFault{"TooManyTopEntries", "WindowTreeList", "Size=18", "Size=300",
                     "Number of \"Size\" is not right...(300)\nSECTION [WindowTreeList]"},
        SectionFault{"TopEntryOnAStripBeyondTheSurface", "WindowTreeList", "2=1,PART1,1,1,0,0", "2=1,PART1,1,1,12,0",
                     "A value is not right...\n SECTION [WindowTreeList] - ITEM [2] - NUMBER [2]"},
        SectionFault{"TopEntryWithoutItsBank", "WindowTreeList", "0=0,MIXER,0,0,-1,-1", "0=0,MIXER,0,0,-1",
                     "A value is not right...\n SECTION [WindowTreeList] - ITEM [0] - NUMBER [0]"},
        SectionFault{"TreeNodeOfTooManyChildren", "MIXER", "Size=8", "Size=300",
                     "Number of \"Size\" is not right...(300)\nSECTION [MIXER]"},
        SectionFault{"ShiftBeyondTheChildren", "MIXER", "DispShiftNum=4", "DispShiftNum=8",
                     "A value is not right...\n SECTION [MIXER] - ITEM [DispShiftNum] - NUMBER [8]"},
        SectionFault{"TreeNodeMissingAChild", "MIXER", "Size=8", "Size=9",
                     "This number was not found...\n SECTION [MIXER] - ITEM [Size] - NUMBER [8]"},
        SectionFault{"ItemWiderThanAnyDisplay", "DispModeValue", "1=0,1,0,1,1,37010E", "1=0,1,0,1,2147483647,37010E",
                     "Function \"ReadVariaLine\" gave back an error."}),
    [](const ::testing::TestParamInfo<SectionFault>& info) { return std::string(info.param.name); });

TEST(SurfaceTemplateSupport, ATemplateThatDoesNotDeclareItsTypesProperlyIsPassedOver)
{
    struct Case
    {
        const char* name;
        const char* from;
        const char* to;
        const char* report;
    };
    const Case cases[] = {
        {"NoSize", "[Support]\nSize=1\n", "[Support]\n", "Keyword \"Size\" was not found...\nSECTION [Support]"},
        {"MissingItem", "[Support]\nSize=1\n", "[Support]\nSize=2\n",
         "This number was not found...\n SECTION [Support] - ITEM [Size] - NUMBER [1]"},
        {"NoSection", "[Support]\n", "[Supported]\n", "A section was not found... : [Support]\n"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        QByteArray text = shippedSurfaceTemplate();
        ASSERT_TRUE(text.contains(c.from)) << c.name;
        // A type the first item does not name, so that the reader goes on to the next.
        text.replace(c.from, c.to);
        text.replace("0=R5T\n", "0=Q9\n");
        QFile f(dir.filePath(QStringLiteral("TOVAR-VANTREL-R5T.tpr")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        CRemoteTemplate t;
        EXPECT_FALSE(t.MakeList(dir.path(), QStringLiteral("R5T"))) << c.name;
        EXPECT_EQ(t.Warnings(),
                  (QList<CRemoteTemplate::Warning>{{QString::fromLatin1(c.report), QStringLiteral("ERROR")},
                                                   {QStringLiteral("R5T"), QStringLiteral("Not support")}}))
            << c.name << ": " << t.Reports().join(" | ").toStdString();
    }
}
