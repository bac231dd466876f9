#pragma once
// The form of the common detail view: the multi-wide settings on eight tabbed pages
// (arpeggiator, reverb, chorus, master equaliser, master effect, insertion switches,
// controller numbers, multi name), each built from its row of the page table on the
// 8-column grid. Effect pages retitle their parameter cells after the chosen effect
// type and hide the cells whose parameter has no name under it. The form follows the
// arpeggio type, the low band's shape, the ten characters of the multi name and the
// parts' arpeggio switches through notifiers once a memory API is there. GUI thread.
#include <QString>
#include <QWidget>

class CDial_VANTREL_KXE;
class COnOffButton_VANTREL_KXE;
class CSimpleNotifier_VANTREL_KXE;
class CTextSlider_VANTREL_KXE;
class IMemAPI;
class QFrame;
class QLineEdit;
class QStackedWidget;

class CommonDetail : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 616;
    static constexpr int kHeight = 399;
    static constexpr int kTabs = 8;

    explicit CommonDetail(QWidget* parent = nullptr);
    ~CommonDetail() override;

    // Raises page n (0 to 7) and lights its tab; any other number changes nothing.
    virtual void selectTab(int n);
    virtual IMemAPI* memapi() const = 0;

    int currentTab() const;
    QFrame* pageFrame(int page) const;
    // The name as last accepted or read from the instrument.
    QString multiName() const { return m_multiName; }

public slots:
    void tab0();
    void tab1();
    void tab2();
    void tab3();
    void tab4();
    void tab5();
    void tab6();
    void tab7();
    // An effect type was chosen: the parameter names of the pages follow it.
    virtual void comboSelection(int index);
    // Retitles the page's parameter labels with the names of their parameters under
    // the current effect type; a parameter without a name hides its slider and dial.
    virtual void updateParameterNames(QWidget* page);
    // Fills the effect type choosers from their parameters' display texts, then
    // retitles the pages and follows the notifiers' parameters.
    virtual void initComboBoxesFromMemAPI();
    virtual void connectMemAPI();
    virtual void arpChanged(int value);
    // The ten character parameters were read or changed: shows the name they hold.
    virtual void commonNameChanged(int value);
    // Writes the edited name into the ten character parameters, or restores the name
    // when it holds a character the instrument cannot show.
    virtual void commonNameEnterPressed();
    virtual void OnARPTypeBankChanged(int value);
    virtual void OnEQShape1Changed(int value);
    virtual void OnPartArpSwChanged(int value);
    virtual void languageChange();

signals:
    void arpClick();
    void arpTextChanged(const QString& text);
    void nameTextChanged(const QString& text);

protected:
    // End of the constructor: lays out the tabs and builds every page from the table.
    virtual void init();
    // The name accepted, or null when it must be refused: the yen sign stands for the
    // backslash; any other character outside 7-bit printable ASCII refuses the name.
    static bool acceptedName(const QString& typed, QString* accepted);
    void warnAsciiOnly();

    QStackedWidget* m_pages = nullptr;
    QFrame* m_header = nullptr;
    COnOffButton_VANTREL_KXE* m_tabButtons[kTabs] = {};
    QFrame* m_frames[kTabs] = {};

    CSimpleNotifier_VANTREL_KXE* m_arpType = nullptr;
    CSimpleNotifier_VANTREL_KXE* m_eqShape1 = nullptr;
    CSimpleNotifier_VANTREL_KXE* m_nameCharacters[10] = {};
    CSimpleNotifier_VANTREL_KXE* m_partArpSwitches[16] = {};
    QLineEdit* m_nameEditor = nullptr;
    CTextSlider_VANTREL_KXE* m_eqFreq1Slider = nullptr;
    CDial_VANTREL_KXE* m_eqFreq1Dial = nullptr;
    COnOffButton_VANTREL_KXE* m_arpSwitch = nullptr;
    QString m_multiName;

private:
    void buildPage(int page);
    void buildCell(QFrame* frame, int index, int page);
    void makeNotifiers();
};
