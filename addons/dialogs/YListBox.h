#pragma once
// The list of the list dialogs (voice lists, arpeggio and wave selectors): Return and
// Enter are left to the dialog, so that they trigger its default button instead of
// being taken by the list. GUI thread.
#include <QListWidget>

class YListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit YListBox(QWidget* parent = nullptr, const char* name = nullptr, Qt::WindowFlags flags = {});

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
