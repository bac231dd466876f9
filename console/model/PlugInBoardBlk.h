#pragma once
// The plug-in boards a multi map knows: one description file per board in the
// template folder's "PlugIn" folder, each with its own memory blocks, display and
// assign tables and voice list; which board is selected; and the substitution of the
// selected board's blocks for the map's blocks of the same name. Used under the
// memory-API lock; no lock of its own.
#include "DispStyle.h"
#include "MemMapTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QMap>
#include <QString>
#include <memory>
#include <vector>

class CEditorBlk;
class CIniFileJob;

// One assign style of a board: minimum, maximum and data-table index.
struct AS_INFO
{
    uint16_t minimum = 0;
    uint16_t maximum = 0;
    uint16_t table = 0;
};

// One assign data table of a board: count rows of width bytes.
struct AS_DATA
{
    int16_t count = 0;
    uint8_t width = 0;
    std::vector<unsigned char> bytes;
};

struct PLUG_VOICE_LSB
{
    int lsb = 0;
    std::vector<QString> names;  // 128, program 0 to 127
};

struct PLUG_VOICE_MSB
{
    int msb = 0;
    std::vector<PLUG_VOICE_LSB> lsbs;
};

// A board block with its own storage; `view` points into it.
struct PLUGIN_BOARD_BLOCK : BLOCK_SECTION
{
    void Sync();
};

// A copy of a board's identity, name, path and voice file.
struct PLUGIN_BOARD_INFO
{
    QString name;
    unsigned char msb = 0;
    unsigned char lsb = 0;
    unsigned char product = 0;
    QString path;
    QString voiceFile;
};

struct PLUGIN_BOARD_DATA
{
    QString name;
    unsigned char msb = 0;
    unsigned char lsb = 0;
    unsigned char product = 0;
    QString path;
    QString voiceFile;
    // Owned so that the views stay valid while the board list grows.
    std::vector<std::unique_ptr<PLUGIN_BOARD_BLOCK>> blocks;
    std::vector<DSOBJ> dispStyles;
    std::vector<AS_INFO> assignList;
    std::vector<AS_DATA> assignData;
    std::vector<PLUG_VOICE_MSB> voices;
    // The display tables again as the display-style reader walks them.
    std::vector<QMap<QString, QString>> dispTables;
    std::vector<unsigned char> dispKeyLength;

    int Identity() const { return msb * 65536 + lsb * 256 + product; }
};

class VANTREL_CONSOLE_EXPORT CPlugInBoardBlk
{
public:
    using Board = PLUGIN_BOARD_DATA;

    CPlugInBoardBlk() = default;
    virtual ~CPlugInBoardBlk();
    CPlugInBoardBlk(const CPlugInBoardBlk&) = delete;
    CPlugInBoardBlk& operator=(const CPlugInBoardBlk&) = delete;

    // Reads every "*.tpm" of folder + "PlugIn", largest first (equal sizes by name);
    // a board whose files are incomplete is left out. Always true.
    bool MakeList(const QString& templateFolder, CEditorBlk* editorBlk);
    void DeleteList();
    // Why the last board file read was dropped (empty when it was read).
    const QString& LastDropReason() const { return m_dropReason; }
    const QString& Folder() const { return m_folder; }

    int GetPlugInBoardNum() const { return int(m_boards.size()); }
    int GetSelectedPlugInBoardNo() const { return m_selected; }
    // -1 for none; an index beyond the list selects none.
    void SetSelectedPlugInBoardNo(int n);
    void SelectBoard(int n) { SetSelectedPlugInBoardNo(n); }

    PLUGIN_BOARD_DATA* GetPlugInBoardData(int n);
    const PLUGIN_BOARD_DATA* GetBoard(int n) const;
    const PLUGIN_BOARD_DATA* SelectedBoard() const { return GetBoard(m_selected); }
    bool GetPlugInBoardInfo(int n, PLUGIN_BOARD_INFO* info) const;
    bool GetPlugInBoardInfo(int n, unsigned char& msb, unsigned char& lsb, unsigned char& product) const;
    // Board n's blocks; null beyond the list.
    std::vector<std::unique_ptr<PLUGIN_BOARD_BLOCK>>* GetPlugInBoardBlk(int n);
    bool GetPlugInBoardDispStyle(int n, DSOBJ& out) const;
    // The selected board's lists; null when none is selected.
    const std::vector<std::unique_ptr<PLUGIN_BOARD_BLOCK>>* GetPlugInBoardBlkList() const;
    const std::vector<DSOBJ>* GetPlugInBoardDispStyleList() const;
    const std::vector<AS_INFO>* GetPlugInBoardAssignStyleList() const;
    const std::vector<AS_DATA>* GetPlugInBoardAssignDataList() const;

    // With a board selected that has a block of exactly blk's name, blk becomes a
    // view of that board block.
    void CheckPlugInBoardBlk(BLK& blk) const;
    // 1 + index of the first board with that identity number; 0 when none.
    int boardIdentifier2RTIdx(int identity) const;

    int GetMSBCount(int board) const;
    int GetMSB(int board, int i) const;
    int GetMSBIndex(int board, int msb) const;
    int GetLSBCount(int board, int msb) const;
    int GetLSB(int board, int msb, int i) const;
    int GetLSBIndex(int board, int msb, int lsb) const;
    QString GetVoiceName(int board, int msb, int lsb, int program) const;

    int GetTotalBlkSize() const;
    // Every board's blocks' current images, boards and blocks in order.
    bool cacheEditBuffer(QByteArray* buffer) const;
    // The reverse; false (nothing changed) unless the buffer is exactly the total.
    bool restoreEditBuffer(const QByteArray* buffer);
    // Both cached images of every board block := its defaults.
    void InitPlugInBoardData();

    // Programs above this are refused by the voice lists.
    static constexpr int kProgramCount = 128;
    // Nesting of type-0 voice sections deeper than this is refused.
    static constexpr int kMaxVoiceSectionDepth = 16;

private:
    bool ReadBoard(const QString& path, CEditorBlk* editorBlk, PLUGIN_BOARD_DATA& board);
    bool ReadVoiceFile(const QString& path, PLUGIN_BOARD_DATA& board);
    bool LoadVoiceSection(CIniFileJob& ini, const QByteArray& section, PLUG_VOICE_MSB& msb, int low, int high,
                          int depth);
    bool Drop(const QString& why);
    const PLUGIN_BOARD_DATA* Selected() const { return GetBoard(m_selected); }
    const PLUG_VOICE_MSB* FindMsb(int board, int msb) const;

    int m_selected = -1;
    CEditorBlk* m_editorBlk = nullptr;
    std::vector<std::unique_ptr<PLUGIN_BOARD_DATA>> m_boards;
    QString m_folder;
    QString m_dropReason;
};
