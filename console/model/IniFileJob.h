#pragma once
// Reader of one template file (.tpm, .tpr, .ini): a current section, key lookups and
// token splitting of values. One reader is used by one thread at a time; the parsed
// image behind it is shared and immutable.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdio>
#include <memory>

class CIniFileJobCache;

class VANTREL_CONSOLE_EXPORT CIniFileJob
{
public:
    // Size of the delimiter and token buffers; a token never exceeds kTokenSize - 1
    // characters and a token output receives at most kTokenSize bytes.
    static constexpr int kTokenSize = 256;
    // Default size assumed for a text output of GetItem: a value never exceeds a line.
    static constexpr int kItemSize = 512;

    explicit CIniFileJob(const QString& path);
    // A reader over an image parsed elsewhere (tests, fuzzing); null reads nothing.
    explicit CIniFileJob(std::shared_ptr<const CIniFileJobCache> image);
    ~CIniFileJob();

    bool Opened() const { return m_image != nullptr; }
    const QString& Path() const { return m_path; }

    // 1 when found, else 0; failure clears the current section.
    int GetSection(const char* name, const char* after = nullptr);
    // The current section's stored name ("[name]" or "[1][name]"), empty when none.
    const QByteArray& CurrentSection() const { return m_section; }
    // Line that ended the current section (0 when none).
    int SectionEndLine() const;

    // Copies the value and a terminating zero into out, at most outSize bytes in all
    // (a longer value is cut); 1 when found, else 0 and out untouched.
    int GetItem(const char* key, char* out, int index = -1, int outSize = kItemSize);
    int GetItem(const char* key, int& out, int index = -1);
    int GetItem(const char* key, QByteArray& out, int index = -1);
    // The value in the image itself, zero-terminated after its end: valid as long as the
    // reader (or another holder of its image) is.
    int GetItem(const char* key, QByteArrayView& out, int index = -1);
    // Line number of the entry that answers GetItem(key, index); 0 when not found.
    int GetItemLine(const char* key, int index = -1) const;

    // Token operations: source and delimiters are copied into the reader (at most
    // kTokenSize - 1 characters each); fields are split at any delimiter and empty
    // fields are dropped. Text outputs receive at most outSize bytes with the zero.
    void Get1stStrToken(const char* src, const char* delims, char* out, int outSize = kTokenSize);
    void Get1stStrToken(const char* src, const char* delims, QString& out);
    void Get2ndStrToken(char* out, int outSize = kTokenSize);
    void Get2ndStrToken(QString& out);
    int Get1stNumToken(const char* src, const char* delims);
    int Get2ndNumToken();
    int Get2ndNumToken2();
    int Get1stHexToken(const char* src, const char* delims);
    int Get2ndHexToken();
    // Whether the last token operation found a token.
    bool LastTokenFound() const { return m_lastFound; }

    // Fixed-width fields: copies w characters of src from i * w (no terminator; only
    // what src holds is copied); returns the number copied.
    int GetStrToken(const char* src, char* out, int i, int w);
    int GetNumToken(const char* src, int i, int w);
    int GetNumToken(const char* src, int i);

    static char* fgetstr(char* buffer, int n, FILE* stream);
    static int FileJobErr() { return 0; }

private:
    bool NextToken(QByteArray& token);
    static int ParseDec(const QByteArray& text);
    static int ParseDec(const char* terminated);
    static int ParseHex(const QByteArray& text);
    const void* FindItem(const char* key, int index) const;

    char m_delims[kTokenSize] = {};
    char m_tokens[kTokenSize] = {};
    int m_tokenPos = 0;
    bool m_lastFound = false;
    QByteArray m_section;
    QString m_path;
    std::shared_ptr<const CIniFileJobCache> m_image;
};
