#pragma once
// A text label over a background image strip, with a focus look, a grey look when
// disabled, and a two-level text store: another control (a fader being dragged) may
// show an "alternative" text that falls back to the normal text 700 ms after the
// interaction ends. An editable label opens a typed-number entry on a double-click.
// Its whole look is one cached pixmap, rebuilt when text, font, enabled state or
// focus change. Not bound to a parameter itself. GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QColor>
#include <QLabel>
#include <QPixmap>

namespace NS_Utilities {
class CNumEdit_VANTREL_KXE;
}

class VANTREL_WIDGETS_EXPORT CLabelDisplay_VANTREL_KXE : public QLabel
{
    Q_OBJECT
    // Re-declared so that forms setting the text go through the text store.
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setcombinedImage)
    Q_PROPERTY(bool inverseColorOnFocus READ inverseColorOnFocus WRITE setInverseColorOnFocus)
    Q_PROPERTY(bool editable READ editable WRITE setEditable)
    Q_PROPERTY(QString editFormat READ editFormat WRITE setEditFormat)
    Q_PROPERTY(bool greyOnDisable READ greyOnDisable WRITE setGreyOnDisable)

public:
    // How long the alternative text stays after the interaction ends.
    static constexpr int kAltDisplayEndMs = 700;

    explicit CLabelDisplay_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CLabelDisplay_VANTREL_KXE() override;

    QColor focusColor() const { return m_focusColor; }
    int nSubImages() const { return m_subImages; }
    QPixmap combinedImage() const { return m_combinedImage; }
    bool inverseColorOnFocus() const { return m_inverseColorOnFocus; }
    bool editable() const { return m_editable; }
    QString editFormat() const { return m_editFormat; }
    bool greyOnDisable() const { return m_greyOnDisable; }
    // Open alternative displays (never below 0).
    int alternativeDepth() const { return m_altDepth; }
    // The normal (0) or alternative (1) text.
    QString storedText(int slot) const;
    // The cached look.
    QPixmap look() const { return m_look; }

    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int n) { setnSubImages(n); }
    void setCombinedImage(const QPixmap& image) { setcombinedImage(image); }

public slots:
    void setEditable(bool on);
    void setEditFormat(const QString& format);
    void altDisplayBegin();
    void altDisplayEnd();
    void handle_altDisplayEnd();
    void setText(const QString& text);
    virtual void setTextNoUnit(const QString& text);
    void setcombinedImage(const QPixmap& image);
    void setInverseColorOnFocus(bool on);
    void setGreyOnDisable(bool on);
    void acceptNum(double number);
    void setFocusColor(const QColor& color);
    void setnSubImages(int n);
    void setFont(const QFont& font);

signals:
    void valueChanged(double number);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateErasePixmap();
    void paintLook(QPainter& painter);

    int m_altDepth = 0;
    int m_pendingEnds = 0;
    QString m_texts[2];
    bool m_textSet = false;
    QColor m_focusColor;
    QPixmap m_combinedImage;
    int m_subImages = 1;
    bool m_inverseColorOnFocus = false;
    bool m_editable = false;
    NS_Utilities::CNumEdit_VANTREL_KXE* m_numEdit = nullptr;
    QString m_editFormat;
    bool m_greyOnDisable = false;
    QPixmap m_look;
};
