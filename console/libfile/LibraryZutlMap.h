#pragma once
// What the chunked container needs of a memory map, answered from a CPrmCtrl: its
// library template, data folder, voice memory and bank block addresses.
#include "IZutlMap.h"

class CPrmCtrl;

class VANTREL_CONSOLE_EXPORT CLibraryZutlMap : public IZutlMap
{
public:
    // The map is not owned and must outlive the object.
    explicit CLibraryZutlMap(CPrmCtrl* map) : m_map(map) {}

    bool libraryTemplateValue(const QString& section, const QString& key, QString* value) const override;
    int libraryTemplateLine(const QString& section, const QString& key) const override;
    QString libraryTemplatePath() const override;
    QString dataFolder() const override;
    int bankVoiceCount(int bank) const override;
    int bankNameLength(int bank) const override;
    QByteArray voiceName(int bank, int voice) const override;
    int libItemData(int bank, int voice) const override;
    int elementBlockCount(int element) const override;
    int elementBlockSize(int element, int index) const override;
    QByteArray elementBlockAddress(int element, int index) const override;
    bool readVoiceBlock(int bank, int voice, int element, int index, char* dst, int size) const override;
    bool writeVoiceBlock(int bank, int voice, int element, int index, const char* src, int size) override;
    bool hasLinkedMap() const override;
    bool writeLinkedImage(QIODevice* device) override;
    bool readLinkedImage(QIODevice* device) override;

private:
    CPrmCtrl* m_map;
};
