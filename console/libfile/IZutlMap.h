// What the chunked library container needs of its parameter-control map: the
// library template, the data folder, the voice memory's banks and names, and the
// bank block addresses whose blocks make one voice.
#pragma once

#include "vantrel_kxe21_console_export.h"

#include <QByteArray>
#include <QString>

class QIODevice;

class VANTREL_CONSOLE_EXPORT IZutlMap
{
public:
    virtual ~IZutlMap();

    // The raw value of a key of the map's library template; false when the
    // section or key is missing.
    virtual bool libraryTemplateValue(const QString& section, const QString& key, QString* value) const = 0;
    // The template line of a key, for fault messages; 0 when unknown.
    virtual int libraryTemplateLine(const QString& section, const QString& key) const;
    virtual QString libraryTemplatePath() const = 0;
    // The data folder, without a trailing '/'.
    virtual QString dataFolder() const = 0;

    // Voice memory: voices of a bank (its library category), the bank's name
    // length, a voice's name bytes, and its library item data of kind 2 (-1 none).
    virtual int bankVoiceCount(int bank) const = 0;
    virtual int bankNameLength(int bank) const = 0;
    virtual QByteArray voiceName(int bank, int voice) const = 0;
    virtual int libItemData(int bank, int voice) const = 0;

    // Bank block addresses: the blocks of an element, each of its block's size
    // (negative when the map has no such block), and the entry itself.
    virtual int elementBlockCount(int element) const = 0;
    virtual int elementBlockSize(int element, int index) const = 0;
    virtual QByteArray elementBlockAddress(int element, int index) const = 0;
    // One block of a stored voice, at the voice memory's block position.
    virtual bool readVoiceBlock(int bank, int voice, int element, int index, char* dst, int size) const = 0;
    virtual bool writeVoiceBlock(int bank, int voice, int element, int index, const char* src, int size) = 0;

    // A linked map writes (and reads) its own image through the same file first.
    virtual bool hasLinkedMap() const;
    virtual bool writeLinkedImage(QIODevice* device);
    virtual bool readLinkedImage(QIODevice* device);
};
