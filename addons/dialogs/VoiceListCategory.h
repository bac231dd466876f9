#pragma once
// The static voice-list form of editor id 8 ("Voice List"): a category or bank choice
// over three lists, without logic. It runs once and deletes itself. GUI thread.
#include "CTovarDialog.h"
#include "ui_VoiceListCategory.h"

class VoiceListCategory : public CTovarDialog
{
    Q_OBJECT
public:
    VoiceListCategory(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                      Qt::WindowFlags flags = {});

    void execute() override;

protected:
    virtual void languageChange();

private:
    Ui::VoiceListCategory ui;
};
