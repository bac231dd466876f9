#pragma once
// The plug-in boards a multi map knows: identity (bank-select MSB, LSB, product
// number), name, voice file and display tables of each board, and which one is
// selected. Filled from the board files of the template folder.
#include "vantrel_kxe21_console_export.h"
#include <QMap>
#include <QString>
#include <vector>

struct BLK;

class VANTREL_CONSOLE_EXPORT CPlugInBoardBlk
{
public:
    struct Board
    {
        unsigned char msb = 0;
        unsigned char lsb = 0;
        unsigned char product = 0;
        QString name;
        QString voiceFile;
        // Display tables of the board: style 500 + n is table n.
        std::vector<QMap<QString, QString>> dispTables;
        std::vector<unsigned char> dispKeyLength;
    };

    CPlugInBoardBlk() = default;
    virtual ~CPlugInBoardBlk() = default;

    int GetPlugInBoardNum() const { return int(m_boards.size()); }
    bool GetPlugInBoardInfo(int i, unsigned char& msb, unsigned char& lsb, unsigned char& product) const;
    const Board* GetBoard(int i) const;
    // The selected board, or null when none is selected.
    const Board* SelectedBoard() const { return GetBoard(m_selected); }
    void SelectBoard(int i) { m_selected = i; }
    void AddBoard(const Board& board) { m_boards.push_back(board); }
    // Adjusts a block copy for the selected board; nothing to adjust without boards.
    void CheckPlugInBoardBlk(BLK&) const {}

private:
    std::vector<Board> m_boards;
    int m_selected = -1;
};
