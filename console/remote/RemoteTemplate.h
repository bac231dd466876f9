#pragma once
// The surface template (".tpr") and the category lists of "parts.ini": picks the
// template that supports the surface type, runs the 19 section readers in their
// fixed order and records every error in the order it was found. A reader that
// fails leaves its part empty; the template is usable only when all succeeded.
// One reader object per read; used on the thread that builds the multi map.
#include "RemoteCtrlTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class CIniFileJob;
class CIniFileJobCache;

class VANTREL_CONSOLE_EXPORT CRemoteTemplate
{
public:
    static constexpr int kReaderCount = 19;

    // Templates matching "*.tpr" in the folder (regular files only, largest first, equal
    // sizes by name) are tried until one's [Support] names the type; that one is read
    // with the parts.ini beside it. False when none supports the type or a reader failed.
    bool MakeList(const QString& folder, const QString& typeName);
    // Reads template text and parts.ini text held in memory (tests, fuzzing).
    bool ReadBytes(const QByteArray& tpr, const QByteArray& partsIni);
    // Whether template text supports the type; reports what is missing when it cannot tell.
    bool Supports(const QByteArray& tpr, const QString& typeName);
    // The same two over template text parsed once: choosing a template and reading it
    // share one parse.
    static std::shared_ptr<const CIniFileJobCache> Parse(const QByteArray& tpr);
    bool Supports(const std::shared_ptr<const CIniFileJobCache>& tpr, const QString& typeName);
    bool Read(const std::shared_ptr<const CIniFileJobCache>& tpr, const QByteArray& partsIni);
    bool Read(const std::shared_ptr<const CIniFileJobCache>& tpr, const std::shared_ptr<const CIniFileJobCache>& partsIni);

    // The warning boxes of the read, in the order they are shown: title, then text.
    // A reader's error is titled with its message and reads "ERROR"; then each failed
    // reader's "CRemoteCtrlMng::MakeList - n"; a type no template supports is the
    // type's name reading "Not support".
    using Warning = QPair<QString, QString>;
    const QList<Warning>& Warnings() const { return m_warnings; }
    // The titles of those boxes, in order.
    QStringList Reports() const;
    // Numbers of the readers that failed, in order.
    const std::vector<int>& FailedReaders() const { return m_failed; }
    const QString& Path() const { return m_path; }

    // ---- what the template describes
    CStrArray standaloneMessages;
    CStrArray plugInMessages;
    bool hasPlugInMessages = false;
    std::vector<KEY_INFO> keys;
    std::vector<FADER_INFO> faders;
    std::vector<ENCODER_INFO> encoders;
    int32_t bankCount = 1;
    std::vector<LCD_ADDR_LIST> fields;
    std::vector<WIND_FORM_INFO> formats;
    uint16_t masterCategory = 0;
    QByteArray masterAddress;
    std::vector<WINDOW_INFO> windows;
    std::vector<TOP_WINDOW_TREE> tops;
    uint16_t faderCategory = 0;
    std::vector<FADER_ADDR_INFO> faderAddresses;
    int32_t displayTime = 0;
    std::vector<KEY_ON_JUMP_INFO> jumps;
    std::vector<KNOB_COMB_INFO> knobs;
    uint8_t invalidMode = 0;
    char invalidChar = ' ';
    QByteArray invalidText;
    uint8_t defaultRoute[NS_Remote::kRouteBytes] = {};
    std::vector<DISP_STYLE_INFO> styles;
    std::vector<BIT_MASK> masks;
    std::vector<PARAM_SELECT_CATEGORY_DATA> selectLists[NS_Remote::kSelectLists];

private:
    bool ReadAll(CIniFileJob& ini, CIniFileJob& parts);
    bool ReadInitItem(CIniFileJob& ini);
    bool ReadIdList(CIniFileJob& ini, const char* section, int count, const char* what, int maxId,
                    std::vector<uint8_t>& ids);
    bool ReadBankGroup(CIniFileJob& ini);
    bool ReadLcdAddr(CIniFileJob& ini);
    bool ReadWindowFormat(CIniFileJob& ini);
    bool ReadMasterFader(CIniFileJob& ini);
    bool ReadWindowList(CIniFileJob& ini);
    bool ReadWindowTree(CIniFileJob& ini);
    bool ReadTreeNode(CIniFileJob& ini, const QByteArray& name, int depth, windowTreeStruct& node);
    bool ReadWindowSections(CIniFileJob& ini);
    bool ReadPartMixer(CIniFileJob& ini, const QByteArray& name, FORM_PART_MIXER& form);
    bool ReadLayout(CIniFileJob& ini, const QByteArray& window, const char* sub, uint16_t format,
                    LCD_STR_INFO& layout);
    bool ReadMultiEdit(CIniFileJob& ini, const QByteArray& name, FORM_MULTI_EDIT& form);
    bool ReadMessages(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int occurrence,
                      CStrArray& out);
    // The n tokens of an item line.
    bool ReadItemLine(const QByteArrayView* t, qsizetype n, uint16_t format, PARAM_STR_INFO& item);
    bool ReadFaderLines(CIniFileJob& ini);
    bool ReadDisplayTime(CIniFileJob& ini);
    bool ReadKeyOnJump(CIniFileJob& ini);
    bool ReadKnobs(CIniFileJob& ini);
    bool ReadInvalidChar(CIniFileJob& ini);
    bool ReadDefaultRoute(CIniFileJob& ini);
    bool ReadStyles(CIniFileJob& ini);
    bool ReadStyle(CIniFileJob& ini, DISP_STYLE_INFO& style);
    bool ReadMasks(CIniFileJob& ini);
    bool CheckItemIndexes();
    void ReadSelectLists(CIniFileJob& parts);

    // Helpers that report what they miss.
    bool Section(CIniFileJob& ini, const QByteArray& name);
    bool Number(CIniFileJob& ini, const QByteArray& section, const char* key, int& out);
    bool Item(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int i, QByteArrayView& out,
              int occurrence = -1);
    // The count under `sizeKey`, reported unless it lies in lo..hi.
    bool ListSize(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int lo, int hi, int& n);
    // Hands the entries 0..n-1 to `take` (int, QByteArrayView) in turn; false at the first
    // missing or refused.
    template <typename Take>
    bool EachItem(CIniFileJob& ini, const QByteArray& section, const char* sizeKey, int n, const Take& take,
                  int occurrence = -1);
    bool Route(const QByteArray& section, int i, QByteArrayView text, uint8_t* route);
    void Report(const QString& title, const QString& text = QStringLiteral("ERROR"))
    {
        m_warnings.append({title, text});
    }

    QString m_path;
    QList<Warning> m_warnings;
    std::vector<int> m_failed;
    int m_treeNodes = 0;  // nodes of the top entry being read
    // The windows read by name: a template's tree names hundreds of pages.
    QHash<QString, int32_t> m_windowIndex;
};
