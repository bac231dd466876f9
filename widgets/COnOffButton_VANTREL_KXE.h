#pragma once
// Toggle button bound to one parameter: on while the parameter holds the on value,
// writes the on value or 0 when the user toggles it. Drawn from frames of one combined
// image (rows: on, off, pressed, disabled; columns: colour categories). GUI thread;
// process() may be entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"
#include "widgets/TCachedData.h"

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

class CSimpleNotifier_VANTREL_KXE;
namespace NS_BoundControl {
class TBlockedSignalRetry;
}
using CSimpleNotifier = CSimpleNotifier_VANTREL_KXE;

class VANTREL_WIDGETS_EXPORT COnOffButton_VANTREL_KXE : public QPushButton,
                                                        public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(bool invertedLogic READ invertedLogic WRITE setInvertedLogic)
    Q_PROPERTY(int boolClipValue READ boolClipValue WRITE setBoolClipValue)
    Q_PROPERTY(bool hasOffState READ hasOffState WRITE setHasOffState)
    Q_PROPERTY(bool disabledUI READ disabledUI WRITE setDisabledUI)
    Q_PROPERTY(bool disableAutoHide READ disableAutoHideProperty WRITE setDisableAutoHide)
    Q_PROPERTY(bool hasDisableImage READ hasDisableImage WRITE setHasDisableImage)
    Q_PROPERTY(bool useTrackingImage READ useTrackingImage WRITE setUseTrackingImage)
    Q_PROPERTY(TOnOffStateTrigger offStateTrigger READ offStateTrigger WRITE setOffStateTrigger)
    Q_PROPERTY(TOnOffStateTrigger onStateTrigger READ onStateTrigger WRITE setOnStateTrigger)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setCombinedImage)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(int nImageCategories READ nImageCategories WRITE setnImageCategories)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(QPixmap pixmap READ pixmap WRITE setPixmap)
    Q_PROPERTY(bool imagesSwapped READ imagesSwapped WRITE setimagesSwapped)
public:
    enum TOnOffStateTrigger { buttonRelease = 0, buttonPush = 1 };
    Q_ENUM(TOnOffStateTrigger)

    // The images of a button. Buttons of one name under an image cache share one of
    // these; what a button does with them (triggers, values, logic) stays its own.
    class VANTREL_WIDGETS_EXPORT COnOffButton_PD_VANTREL_KXE : public TCachedData
    {
    public:
        QPixmap combinedImage;
        QPixmap row0, row1, pressed, disabled; // pressed: null below 3 rows
        QSize frameSize;                       // in logical pixels, 0 before the first cut
        bool hasDisableImage = false;
        bool useTrackingImage = true;
        int subImages = 0;
        int imageCategories = 1;
    };

    explicit COnOffButton_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~COnOffButton_VANTREL_KXE() override;

    bool invertedLogic() const { return m_invertedLogic; }
    int boolClipValue() const { return m_boolClipValue; }
    bool hasOffState() const { return m_hasOffState; }
    bool disabledUI() const override { return m_disabledUI; }
    bool disableAutoHideProperty() const { return m_disableAutoHide; }
    bool hasDisableImage() const { return m_images->hasDisableImage; }
    bool useTrackingImage() const { return m_images->useTrackingImage; }
    TOnOffStateTrigger offStateTrigger() const { return m_offTrigger; }
    TOnOffStateTrigger onStateTrigger() const { return m_onTrigger; }
    QPixmap combinedImage() const { return m_images->combinedImage; }
    int nSubImages() const { return m_images->subImages; }
    int nImageCategories() const { return m_images->imageCategories; }
    QColor focusColor() const { return m_focusColor; }
    QPixmap pixmap() const { return m_pixmap; }
    bool imagesSwapped() const { return m_imagesSwapped; }
    int currentImage() const { return m_category; }
    bool isClicked() const { return m_clicked; }
    bool isShared() const { return m_shared; }
    const COnOffButton_PD_VANTREL_KXE* images() const { return m_images; }
    // A state change made while the signals were blocked waits to be handled.
    bool stateChangePending() const;

    // The value the button writes when switched on: clip value - 1, or 1 without one.
    int onValue() const { return m_boolClipValue != 0 ? m_boolClipValue - 1 : 1; }
    virtual bool blinkingMode() const { return false; }
    // The image for the current state, before the focus or grey look.
    virtual QPixmap staticPixmap() const;
    void setClicked(bool clicked);
    // Stops the button's own state changes from writing (the popup selector).
    void disconnectAutomaticObserver();
    void setCurrentImage(int category);
    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int rows) { setnSubImages(rows); }
    void setNImageCategories(int columns) { setnImageCategories(columns); }
    void setImagesSwapped(bool swapped) { setimagesSwapped(swapped); }

    void connectMemAPI() override;
    void disconnectMemAPI() override;
    bool disableAutoHide() override { return m_disableAutoHide; }

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    TMemProxy_VANTREL_KXE* setDisabledUI(bool disabled) override;
    virtual void handleStateChanged(int state);
    void setInvertedLogic(bool inverted);
    void setBoolClipValue(int clip);
    void setHasOffState(bool has);
    void updateErasePixmapSlot();
    void setOnStateTrigger(const TOnOffStateTrigger trigger);
    void setOffStateTrigger(const TOnOffStateTrigger trigger);
    void setHasDisableImage(bool has);
    void setUseTrackingImage(bool use);
    void setimagesSwapped(bool swapped);
    void reloadImage();
    // Switches the button as if `value` had been read, and writes what follows.
    void setNonBoolValue(int value);
    void setSelectionObject(CSimpleNotifier* notifier);
    void clickDelayDone();
    void setCombinedImage(const QPixmap& image);
    void setnSubImages(int rows);
    void setnImageCategories(int columns);
    void setFocusColor(const QColor& color);
    void setPixmap(const QPixmap& pixmap);
    void setDisableAutoHide(bool disable);

signals:
    // Qt's toggled(bool) as the button state word: 0 off, 2 on.
    void stateChanged(int state);
    // Declared for the views; the button itself never emits it.
    void valueChanged(int value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void checkStateSet() override;
    void nextCheckState() override;
    // Whether the button draws frames of an image (else the toolkit's button look).
    bool hasImages() const { return !m_images->row0.isNull(); }
    // Builds the look that paintEvent draws; the popup selector draws its own.
    virtual void updateErasePixmap();
    // Image sharing through the nearest image cache, then the first cut.
    virtual void polish();

    QPixmap m_look;
    bool m_reload = true;

private:
    // The value the parameter (or the selection object) holds now.
    int currentValue() const;
    bool triggersOnPush() const;
    void retryBlockedStateChange();
    // A state change that toggled() could not report: handled once signals flow again.
    void noteBlockedStateChange();

    COnOffButton_PD_VANTREL_KXE* m_images;
    QPointer<CSimpleNotifier_VANTREL_KXE> m_selection;
    QPixmap m_pixmap;
    QColor m_focusColor;
    TOnOffStateTrigger m_onTrigger = buttonRelease;
    TOnOffStateTrigger m_offTrigger = buttonRelease;
    int m_boolClipValue = 0;
    short m_category = 0;
    bool m_invertedLogic = false;
    bool m_disableAutoHide = false;
    bool m_hasOffState = false;
    bool m_imagesSwapped = false;
    bool m_clicked = false;
    bool m_pushFinished = false;
    bool m_shared = false;
    bool m_autoObserver = true;
    // The checked state handleStateChanged last saw; a change made while the button's
    // signals are blocked is handled from m_stateRetry once they are unblocked.
    bool m_handledChecked = false;
    bool m_retryWrites = false;
    NS_BoundControl::TBlockedSignalRetry* m_stateRetry;
};

using COnOffButton = COnOffButton_VANTREL_KXE;
