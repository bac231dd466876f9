#pragma once
// A display bound to a parameter that shows one frame of a combined image per value
// (or one of two frames: equal to a compare value or not); a click reports the channel
// it shows. GUI thread; process() may be entered from any thread and then only posts.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"

#include <QFrame>
#include <QPixmap>

class VANTREL_WIDGETS_EXPORT StateDisplayWidget_VANTREL_KXE : public QFrame, public TMemProxy_VANTREL_KXE
{
    Q_OBJECT
    Q_PROPERTY(bool booleanLogic READ booleanLogic WRITE setBooleanLogic)
    Q_PROPERTY(int cmpValue READ cmpValue WRITE setCmpValue)
    Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
    Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
    Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setCombinedImage)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
public:
    // The value before the first one arrives.
    static constexpr int kNoValue = -2147483647;

    explicit StateDisplayWidget_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~StateDisplayWidget_VANTREL_KXE() override;

    bool booleanLogic() const { return d.booleanLogic; }
    int cmpValue() const { return d.cmpValue; }
    QPixmap combinedImage() const { return d.combinedImage; }
    int nSubImages() const { return d.nSubImages; }
    int value() const { return d.value; }
    // The frame shown for a value: the value itself (at least 0) or, with boolean
    // logic, 1 for the compare value and 0 otherwise; at most the last frame.
    int pixmapId(int value) const;
    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int frames) { setnSubImages(frames); }
    void connectMemAPI() override;

public slots:
    void process(const uint8_t* rawData, int operation, uint32_t flags) override;
    bool setNamedAddress(const QString& text) override;
    TMemProxy_VANTREL_KXE* setUndoEnable(bool enable) override;
    TMemProxy_VANTREL_KXE* setNumDefaultKind(int kind) override;
    void setValue(int value);
    void setValueFromData(int value);
    void setBooleanLogic(bool on);
    void setCmpValue(int value);
    void setCombinedImage(const QPixmap& image);
    void setnSubImages(int frames);

signals:
    void clicked(int channelNumber);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct StateDisplayWidget_PD
    {
        int cmpValue = 0;
        bool booleanLogic = false;
        unsigned char nSubImages = 1;
        QPixmap combinedImage;
        int value = kNoValue;
        bool pressed = false;
    };
    void updateErasePixmap();

    StateDisplayWidget_PD d;
    QPixmap m_look;
};

using StateDisplayWidget = StateDisplayWidget_VANTREL_KXE;
