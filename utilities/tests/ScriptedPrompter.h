#pragma once
// A prompter that answers as a test sets it and keeps the messages it was given.
#include "utilities/DocuPrompter.h"
#include <QStringList>

class ScriptedPrompter : public NS_Utilities::IDocuPrompter
{
public:
    Answer answer = Yes;
    QString fileName;
    QString filter;
    QStringList criticals;
    QStringList questions;
    QStringList warnings; // "caption|text"
    Answer question(QWidget*, const QString&, const QString& text, bool) override
    {
        questions << text;
        return answer;
    }
    void critical(QWidget*, const QString&, const QString& text) override { criticals << text; }
    void warningMessage(QWidget*, const QString& caption, const QString& text) override
    {
        warnings << caption + QLatin1Char('|') + text;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, QString* selected) override
    {
        if (selected)
            *selected = filter;
        return fileName;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&,
                         QString* selected) override
    {
        if (selected)
            *selected = filter;
        return fileName;
    }
};
