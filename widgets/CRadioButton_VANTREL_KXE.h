#pragma once
// A radio button bound to a parameter: on while the parameter holds onValue, writes
// onValue when the user switches it on. Buttons of one parameter go into an exclusive
// QButtonGroup; the button itself is not auto-exclusive. GUI thread; process() may be
// entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"

#include <QPixmap>
#include <QRadioButton>

class QTimer;
namespace NS_BoundControl {
class TBlockedSignalRetry;
}

class VANTREL_WIDGETS_EXPORT CRadioButton_VANTREL_KXE : public QRadioButton, public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(QPixmap offState READ offState WRITE setOffState)
    Q_PROPERTY(QPixmap trackingState READ trackingState WRITE setTrackingState)
    Q_PROPERTY(QPixmap onState READ onState WRITE setOnState)
    Q_PROPERTY(int onValue READ onValue WRITE setOnValue)
    Q_PROPERTY(int clickDelay READ clickDelay WRITE setClickDelay)
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setCombinedImage)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
public:
    explicit CRadioButton_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CRadioButton_VANTREL_KXE() override;

    QPixmap offState() const { return m_offState; }
    QPixmap trackingState() const { return m_trackingState; }
    QPixmap onState() const { return m_onState; }
    int onValue() const { return m_onValue; }
    int clickDelay() const { return m_clickDelay; }
    QPixmap combinedImage() const { return m_combinedImage; }
    int nSubImages() const { return m_nSubImages; }
    bool isClicked() const { return m_clicked; }
    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int frames) { setnSubImages(frames); }
    void connectMemAPI() override;

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    void setOffState(const QPixmap& picture);
    void setTrackingState(const QPixmap& picture);
    void setOnState(const QPixmap& picture);
    void setOnValue(int value);
    void setClickDelay(int ms);
    void setCombinedImage(const QPixmap& image);
    void setnSubImages(int frames);
    void handleStateChanged(int state);
    void clickDelayDone();

signals:
    // Qt's toggled(bool) as the button state word: 0 off, 2 on.
    void stateChanged(int state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    // On when the value is this button's; otherwise only the focus policy changes.
    void applyValue(int value);
    // A state change that toggled() could not report: handled once signals flow again.
    void noteBlockedStateChange();

    QPixmap m_offState, m_trackingState, m_onState, m_combinedImage;
    int m_nSubImages = 0;
    int m_onValue = 0;
    bool m_clicked = false;
    QTimer* m_clickTimer = nullptr;
    int m_clickDelay = 100;
    // A switch-on made while the signals are blocked is written once they are not.
    bool m_handledChecked = false;
    bool m_retryWrites = false;
    NS_BoundControl::TBlockedSignalRetry* m_stateRetry;
};

using CRadioButton = CRadioButton_VANTREL_KXE;
