#pragma once
// The form of the part detail view: the settings of one part on seven tabbed pages
// (general, note and velocity, pitch, amplitude envelope, filter, part equaliser,
// receive switches), each built from its row of the page table on the 8-column grid.
// It shows the bank and voice names of the part's voice and hides every control, with
// its label, that the memory model marks as not shown for that voice. GUI thread.
#include <QWidget>

class CSimpleNotifier_VANTREL_KXE;
class IMemAPI;
class QFrame;
class QLabel;
class QStackedWidget;
class COnOffButton_VANTREL_KXE;

class PartDetail : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 616;
    static constexpr int kHeight = 263;
    static constexpr int kTabs = 7;

    explicit PartDetail(QWidget* parent = nullptr);
    ~PartDetail() override;

    // Raises page n (0 to 6) and lights its tab; any other number changes nothing.
    virtual void selectTab(int n);
    virtual IMemAPI* memapi() const = 0;
    // The part shown, 0 to 15; the header shows it counted from 1.
    virtual void setLayerNumber(int part);
    int layerNumber() const { return m_part; }
    // Follows the part's program number and bank select with three notifiers, then
    // shows the voice.
    virtual void connectMemAPI(IMemAPI* api);

    int currentTab() const;
    QFrame* pageFrame(int page) const;

public slots:
    void tab0();
    void tab1();
    void tab2();
    void tab3();
    void tab4();
    void tab5();
    void tab6();
    // The part's voice changed: shows its bank and voice names, and shows only the
    // controls (and their labels) of parameters the voice has.
    virtual void voicesChanged(int value);
    virtual void languageChange();

signals:
    void bankTextChanged(const QString& text);
    void voiceTextChanged(const QString& text);
    void voiceClick();

protected:
    virtual void init();

    int m_part = 0;
    QStackedWidget* m_pages = nullptr;
    QFrame* m_header = nullptr;
    QLabel* m_partNumber = nullptr;
    COnOffButton_VANTREL_KXE* m_tabButtons[kTabs] = {};
    QFrame* m_frames[kTabs] = {};
    CSimpleNotifier_VANTREL_KXE* m_program = nullptr;
    CSimpleNotifier_VANTREL_KXE* m_bankLsb = nullptr;
    CSimpleNotifier_VANTREL_KXE* m_bankMsb = nullptr;

private:
    void buildPage(int page);
    void buildCell(QFrame* frame, int index, int page);
    QString displayText(CSimpleNotifier_VANTREL_KXE* notifier, int tableId) const;
};
