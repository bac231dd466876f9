#pragma once
// The mixer's column for the multi-wide settings, built from its Designer form: four
// master equaliser knobs, the reverb, chorus and master-effect type selectors, the
// master-effect switch, the master volume fader and the button that opens the common
// detail window. The mixer makes it the server of channel 0, which binds its
// controls, then hands it the memory API and has it fill its selectors. GUI thread.
#include "ui_MasterStrip.h"
#include <QList>
#include <QWidget>
#include <cstdint>

class IMemAPI;
class TMemProxy_VANTREL_KXE;

class MasterStrip : public QWidget
{
    Q_OBJECT
public:
    // More values than this is no list to choose from: a selector shows no more.
    static constexpr int kMaxChoices = 16384;

    MasterStrip(QWidget* parent = nullptr, const char* name = nullptr, Qt::WindowFlags flags = {});
    ~MasterStrip() override;

    // The form's widgets, by their object names.
    const Ui::MasterStrip& form() const { return m_ui; }

    virtual uint32_t getCollapsible() const { return m_collapsible; }
    virtual QList<QWidget*> getLayerList() const { return m_layers; }
    virtual IMemAPI* memapi() const { return m_memAPI; }

    // The display texts of every value of a control's parameter, each followed by ";".
    // A control whose binding is not ready gives the text of value 0.
    static QString choiceList(IMemAPI& api, TMemProxy_VANTREL_KXE& control);

public slots:
    virtual void setUILayer(QWidget* widget, bool collapsible);
    virtual void modifyOverride() {}
    // Asks for the common detail window.
    virtual void openDetail();
    // Keeps the memory API and has the document announce its file name again.
    virtual void setMemAPI(IMemAPI* api);
    // Gives every selector of the strip the texts of its parameter's values and shows
    // its current one. Nothing without a memory API.
    virtual void initComboBoxesFromMemAPI();
    // Texts of the form, then the named addresses of its controls.
    virtual void languageChange();

signals:
    void openMasterDetail();

protected:
    void changeEvent(QEvent* event) override;

    Ui::MasterStrip m_ui;

private:
    void loadImages();

    IMemAPI* m_memAPI = nullptr; // not counted
    QList<QWidget*> m_layers;
    uint32_t m_collapsible = 0;
};
