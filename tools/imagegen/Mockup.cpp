// Mock-ups for the contact sheet: the images put together where the forms place
// them, with stand-in displays, so the sheet shows whether the pieces read as one
// instrument. Nothing here is shipped.
#include "Mockup.h"
#include "ImageTable.h"
#include "ImageWriter.h"
#include "PanelStyle.h"
#include <QHash>
#include <QPainter>
#include <iterator>

namespace NS_ImageGen {

namespace {

using namespace NS_Images;

class Pieces
{
public:
    const QImage& image(const char* name)
    {
        const QString key = QString::fromLatin1(name);
        auto it = m_cache.find(key);
        if (it == m_cache.end())
            it = m_cache.insert(key, renderImage(*findImage(name), 1));
        return *it;
    }
    // Frame `row` of a one-column strip at pos.
    void frame(QPainter& p, const char* name, int row, const QPoint& pos)
    {
        const ImageEntry& entry = *findImage(name);
        const int h = entry.height / entry.rows;
        p.drawImage(pos, image(name), QRect(0, row * h, entry.width, h));
    }

private:
    QHash<QString, QImage> m_cache;
};

const QColor kDisplayText(0, 255, 255);
const QColor kPartText(255, 85, 0);

void display(QPainter& p, const QRect& r, const QString& text, const QColor& colour = kDisplayText,
             Qt::Alignment align = Qt::AlignCenter)
{
    p.fillRect(r, Qt::black);
    p.save();
    p.setFont(legendFont(9, false));
    p.setPen(colour);
    p.drawText(r, int(align), text);
    p.restore();
}

int knobRow(int seed)
{
    return (seed * 7 + 3) % 29;
}

const char* const kVoices[] = {"Fenu Grand", "Kesso Bass", "Ulva Piano", "Ulva Fret", "Morva Upr", "Morva Sub",
                               "Nemo Grand", "Nemo Bass", "Kesso Solo", "Sirn Sub", "Quill Bass", "Lusk Fret",
                               "Oma Sub", "Vantr Fret", "Hivel Sub", "Reth Bass"};

QImage mixer(Pieces& pieces)
{
    QImage out(841, 511, QImage::Format_RGB32);
    QPainter p(&out);
    p.drawImage(0, 0, pieces.image(kMixerViewVantrel));
    for (int i = 0; i < 16; ++i) {
        const QPoint o(6 + 46 * i, 4);
        p.save();
        p.setClipRect(QRect(o, QSize(43, 501)));
        p.drawImage(o, pieces.image(kChannelStrip));
        const int header = i == 0 ? 0 : (i % 2 == 1 ? 1 : 2);
        pieces.frame(p, kChannelHeaders, header, o + QPoint(1, 1));
        display(p, QRect(o + QPoint(8, 5), QSize(31, 11)), QStringLiteral("Part %1").arg(i + 1), kPartText);
        display(p, QRect(o + QPoint(6, 23), QSize(31, 11)), QStringLiteral("PRE%1").arg(i % 4 + 1));
        for (int k = 0; k < 5; ++k)
            pieces.frame(p, kKnobSmall, knobRow(i + k * 5), o + QPoint(8, QList<int>{89, 120, 151, 206, 237}[k]));
        pieces.frame(p, kInsertionButton, i % 4 == 1 ? 1 : 0, o + QPoint(6, 192));
        pieces.frame(p, kMuteButton, i == 5 ? 1 : 0, o + QPoint(6, 280));
        pieces.frame(p, kSoloButton, i == 2 ? 1 : 0, o + QPoint(6, 293));
        pieces.frame(p, kKnobLarge, (i * 5) % 29, o + QPoint(3, 306));
        const int travel = 132 - 33;
        pieces.frame(p, kFaderThumb, 0, o + QPoint(15, 350 + travel * ((i * 37) % 100) / 100));
        pieces.frame(p, kDetailButton, 1, o + QPoint(6, 486));
        p.restore();
    }
    for (int i = 15; i >= 0; --i)
        display(p, QRect(8 + 46 * i, i % 2 == 0 ? 44 : 60, 72, 11), QString::fromLatin1(kVoices[i]));

    const QPoint m(744, 78);
    p.drawImage(m, pieces.image(kMasterStrip));
    const int eq[] = {16, 47, 78, 109};
    for (int k = 0; k < 4; ++k)
        pieces.frame(p, kKnobSmall, 10 + k * 3, m + QPoint(31, eq[k]));
    display(p, QRect(m + QPoint(9, 149), QSize(71, 11)), QStringLiteral("Hall1"));
    display(p, QRect(m + QPoint(9, 173), QSize(71, 11)), QStringLiteral("Chorus1"));
    display(p, QRect(m + QPoint(9, 208), QSize(71, 11)), QStringLiteral("V-Distortion"));
    pieces.frame(p, kOnOffSwitch, 1, m + QPoint(29, 245));
    pieces.frame(p, kMasterFaderThumb, 0, m + QPoint(39, 276 + 20));
    pieces.frame(p, kDetailButton, 1, m + QPoint(51, 413));
    return out;
}

// One detail window: header, tabs, and the first page with stand-in controls.
QImage detail(Pieces& pieces, bool part)
{
    const int pageHeight = part ? 223 : 359;
    QImage out(616, 40 + pageHeight, QImage::Format_RGB32);
    QPainter p(&out);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawImage(0, 0, pieces.image(part ? kPrtHeaderVantrel : kComHeaderVant));
    static const char* const comTabs[] = {kComTab0, kComTab1, kComTab2, kComTab3, kComTab4, kComTab5, kComTab6, kComTab7};
    static const char* const prtTabs[] = {kPrtTab0, kPrtTab1, kPrtTab2, kPrtTab3, kPrtTab4, kPrtTab5, kPrtTab6};
    static const int comX[] = {139, 198, 256, 316, 375, 434, 493, 551};
    static const int prtX[] = {197, 256, 315, 374, 433, 492, 551};
    const int tabs = part ? 7 : 8;
    for (int t = 0; t < tabs; ++t)
        pieces.frame(p, part ? prtTabs[t] : comTabs[t], t == 0 ? 0 : (t == 2 ? 2 : 1),
                     QPoint(part ? prtX[t] : comX[t], 3));
    if (part) {
        p.setFont(legendFont(12, false));
        p.setPen(Qt::black);
        p.drawText(QRect(174, 11, 20, 16), Qt::AlignCenter, QStringLiteral("1"));
    }
    p.drawImage(0, 40, pieces.image(part ? kPrtGeneral : kComArpeggiatorVant));

    // Cells as the views build them.
    struct Cell
    {
        char kind;
        const char* label;
    };
    static const Cell comCells[] = {{'W', "Type"}, {'.', nullptr}, {'S', "Arp SW"}, {'D', "ARP Tempo"},
                                    {'D', "ARP Swing"}, {'D', "Transmit Ch"}, {'S', "MIDI Out Sw"}, {'D', "ARP Hold"},
                                    {'D', "NoteLimitLow"}, {'D', "NoteLimitHigh"}, {'D', "Vel Limit Low"},
                                    {'D', "Vel Limit High"}, {'D', "Key Mode"}, {'D', "Vel Mode"},
                                    {'D', "ChangeTiming"}, {'D', "Unit Multiply"}, {'D', "QuantValue"},
                                    {'D', "QuantStrength"}, {'D', "Velocity Rate"}, {'D', "GateTimeRate"}};
    static const Cell prtCells[] = {{'B', "Bank"}, {'W', "Voice Name"}, {'.', nullptr}, {'D', "Rcv Channel"},
                                    {'D', "Part Mode"}, {'D', "Output Sel"}, {'S', "Voice EL Pan"}, {'D', "Dry Level"}};
    const Cell* cells = part ? prtCells : comCells;
    const int count = part ? int(std::size(prtCells)) : int(std::size(comCells));
    for (int j = 0; j < count; ++j) {
        const int x = 76 * (j % 8), y = 40 + 68 * (j / 8);
        switch (cells[j].kind) {
        case 'D':
            display(p, QRect(x + 14, y + 27, 56, 11), QString::number((j * 13) % 128));
            pieces.frame(p, kKnobSmall, knobRow(j), QPoint(x + 29, y + 38));
            break;
        case 'S':
            pieces.frame(p, kOnOffSwitch, j % 2, QPoint(x + 26, y + 46));
            break;
        case 'W':
            display(p, QRect(x + 6, y + 45, part ? 86 : 89, 11), part ? QStringLiteral("Fenu Grand") : QStringLiteral("Up Oct 1"));
            break;
        case 'B':
            display(p, QRect(x + 14, y + 44, 54, 11), QStringLiteral("PRE1"));
            break;
        default:
            break;
        }
        if (cells[j].label) {
            p.setFont(legendFont(10, false));
            p.setPen(Qt::black);
            p.drawText(QRect(x + 5, y + 69, 76, 15), Qt::AlignCenter, QString::fromLatin1(cells[j].label));
        }
    }
    return out;
}

} // namespace

QList<QImage> mockups()
{
    Pieces pieces;
    return {mixer(pieces), detail(pieces, false), detail(pieces, true)};
}

} // namespace NS_ImageGen
