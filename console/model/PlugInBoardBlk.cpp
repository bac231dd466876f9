#include "PlugInBoardBlk.h"

bool CPlugInBoardBlk::GetPlugInBoardInfo(int i, unsigned char& msb, unsigned char& lsb,
                                         unsigned char& product) const
{
    const Board* b = GetBoard(i);
    if (!b)
        return false;
    msb = b->msb, lsb = b->lsb, product = b->product;
    return true;
}

const CPlugInBoardBlk::Board* CPlugInBoardBlk::GetBoard(int i) const
{
    return i >= 0 && i < int(m_boards.size()) ? &m_boards[size_t(i)] : nullptr;
}
