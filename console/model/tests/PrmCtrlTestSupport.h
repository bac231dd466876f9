#pragma once
// Maps for the map tests: the shipped multi template with the rule sections of a
// fixture laid over it (sections of the same name replaced), written to a private
// folder, and the shipped voice map linked to it as the synth memory links them.
#include "console/model/PrmCtrl.h"
#include "console/model/tests/CapturePort.h"
#include "console/model/tests/TestPaths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>
#include <memory>

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The names of every section of a template text, in order.
inline QList<QByteArray> sectionNames(const QByteArray& text)
{
    QList<QByteArray> names;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[') && t.endsWith(']'))
            names.append(t.mid(1, t.size() - 2));
    }
    return names;
}

// The text without section `name` (its header up to the next section header).
inline QByteArray removeSection(const QByteArray& text, const QByteArray& name)
{
    QByteArray out;
    bool skipping = false;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[') && t.endsWith(']'))
            skipping = t.mid(1, t.size() - 2) == name;
        if (!skipping)
            out += line + '\n';
    }
    return out;
}

// The shipped multi template with the fixture's sections in place of its own.
inline QByteArray multiWithRules(const char* fixture = "map_rules.tpm")
{
    QByteArray text = readAll(shippedMultiTemplate());
    const QByteArray rules = readAll(fixturePath(fixture));
    for (const QByteArray& name : sectionNames(rules))
        text = removeSection(text, name);
    return text + '\n' + rules;
}

class RuleMaps
{
public:
    // Writes the template text into a private folder and builds the multi map from it;
    // with a voice map, builds the shipped one and links both.
    explicit RuleMaps(const QByteArray& multiText, bool withVoiceMap = true)
    {
        path = dir.path() + QStringLiteral("/METOVAR-VANTREL.tpm");
        // The shipped plug-in boards sit beside the template, as in the data folder.
        const QString boards = QFileInfo(shippedMultiTemplate()).path() + QStringLiteral("/PlugIn");
        QDir().mkpath(dir.path() + QStringLiteral("/PlugIn"));
        for (const QString& f : QDir(boards).entryList(QDir::Files))
            QFile::copy(boards + QLatin1Char('/') + f, dir.path() + QStringLiteral("/PlugIn/") + f);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(multiText);
        out.close();
        multi = std::make_unique<CPrmCtrl>();
        multiOk = multi->CreatePrmCtrl(0, path);
        if (withVoiceMap) {
            voice = std::make_unique<CPrmCtrl>();
            voiceOk = voice->CreatePrmCtrl(1, shippedVoiceTemplate());
            voice->SetMaster(multi.get());
            voice->SetPlugInBoardsFlag(false);
            multi->SetVoiceMap(voice.get());
        }
        multi->SetMIDI(&port, 0);
    }
    ~RuleMaps()
    {
        // The voice map points at the multi map: it goes first.
        voice.reset();
        multi.reset();
    }

    QTemporaryDir dir;
    QString path;
    CapturePort port;
    std::unique_ptr<CPrmCtrl> multi;
    std::unique_ptr<CPrmCtrl> voice;
    bool multiOk = false;
    bool voiceOk = false;
};

struct Change
{
    int element, channel, parameter;
    bool operator==(const Change& o) const
    {
        return element == o.element && channel == o.channel && parameter == o.parameter;
    }
};

inline std::vector<Change> drainChanges(CPrmCtrl& map)
{
    std::vector<Change> out;
    int e = 0, c = 0, p = 0;
    while (map.GetEditorAddressChange(e, c, p))
        out.push_back({e, c, p});
    return out;
}

inline bool containsChange(const std::vector<Change>& changes, Change c)
{
    return std::find(changes.begin(), changes.end(), c) != changes.end();
}
