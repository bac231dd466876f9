#pragma once
// The frames of the selector dialogs, which edit one parameter given by its named
// address: a list selector (arpeggio types, audition phrases) and a wave list. They
// are templates over the selector dialog class, which declares the virtual
// memAddr(), queryRange() and caption() these override:
//     using ListSelectIEditorExtensions = TListSelectIEditorExtensions<ArpSelectDialog>;
//     using WaveListIEditorExtensions = TWaveListIEditorExtensions<WaveSelectDialog>;
// GUI thread.
#include "DialogsIEditorExtensions.h"
#include <QString>

template <class SelectDialog>
class TListSelectIEditorExtensions : public DialogsIEditorExtensions<SelectDialog>
{
public:
    TListSelectIEditorExtensions(const TDialogsAddOnLink& addOn, IClientServices* services, const QString& address,
                                 bool queryRange, QWidget* parent, const char* name, const QString& caption)
        : DialogsIEditorExtensions<SelectDialog>(addOn, services, parent, name, caption),
          m_address(address), m_queryRange(queryRange), m_caption(caption)
    {
    }

    // The parameter the selector edits, e.g. "00kCommon/kCommARPType".
    QString memAddr() const override { return m_address; }
    // Whether the selector reads its value range from the memory API.
    bool queryRange() const override { return m_queryRange; }
    QString caption() const override { return m_caption; }

private:
    QString m_address;
    bool m_queryRange;
    QString m_caption;
};

template <class WaveDialog>
class TWaveListIEditorExtensions : public DialogsIEditorExtensions<WaveDialog>
{
public:
    // caption is not used.
    TWaveListIEditorExtensions(const TDialogsAddOnLink& addOn, IClientServices* services, const QString& address,
                               QWidget* parent, const char* name, const QString& caption)
        : DialogsIEditorExtensions<WaveDialog>(addOn, services, parent, name, caption), m_address(address)
    {
    }

    QString memAddr() const override { return m_address; }

private:
    QString m_address;
};
