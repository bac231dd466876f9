#pragma once
// The about box: the program's icon, title and version, the copyright line and the
// trademark notices of the plug-in hosting standard and of the studio-integration
// feature. It never touches the memory API. GUI thread.
#include "CTovarDialog.h"
#include "ui_AboutDialog.h"

class AboutDialog : public CTovarDialog
{
    Q_OBJECT
public:
    static constexpr const char* kVersion = "2.2.2";

    AboutDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                Qt::WindowFlags flags = {});

    // Shows the version and the icons, runs modally until OK or Escape, then schedules
    // the box's deletion.
    void execute() override;

protected:
    virtual void languageChange();

private:
    Ui::AboutDialog ui;
};
