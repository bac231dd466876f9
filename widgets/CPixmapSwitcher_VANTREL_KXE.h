#pragma once
// An unbound image that shows frame n of a combined image, chosen by code or by a
// click on a strip of tabs. GUI thread.
#include "vantrel_kxe21_widgets_export.h"

#include <QLabel>
#include <QPixmap>
#include <QRect>

class VANTREL_WIDGETS_EXPORT CPixmapSwitcher_VANTREL_KXE : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QPixmap combinedImage READ combinedImage WRITE setCombinedImage)
    Q_PROPERTY(int nSubImages READ nSubImages WRITE setnSubImages)
    Q_PROPERTY(int nImageCategories READ nImageCategories WRITE setnImageCategories)
    Q_PROPERTY(bool usesPalleteBitmap READ usesPalleteBitmap WRITE setUsesPalleteBitmap)
    Q_PROPERTY(bool tabbed READ tabbed WRITE setTabbed)
    Q_PROPERTY(QRect tabArea READ tabArea WRITE setTabArea)
public:
    explicit CPixmapSwitcher_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);

    QPixmap combinedImage() const { return m_combinedImage; }
    int nSubImages() const { return m_nSubImages; }
    int nImageCategories() const { return m_nImageCategories; }
    bool usesPalleteBitmap() const { return m_usesPalleteBitmap; }
    bool tabbed() const { return m_tabbed; }
    QRect tabArea() const { return m_tabArea; }
    int getCurrentImageID() const { return m_current; }
    void adjustParams() { updateDimensions(); }
    // Designer forms call setters by the capitalised property name.
    void setNSubImages(int frames) { setnSubImages(frames); }
    void setNImageCategories(int categories) { setnImageCategories(categories); }

public slots:
    void setCombinedImage(const QPixmap& image);
    void setnSubImages(int frames);
    void setnImageCategories(int categories);
    void setUsesPalleteBitmap(bool uses);
    void setTabArea(const QRect& area);
    void setTabbed(bool tabbed);
    void setCurrentImage(int index);
    void toggleImage();
    void toggleVisible();
    void updateDimensions();

signals:
    void indexChanged(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Frame height in device pixels of the image; 0 when there is none.
    int frameHeight() const;
    // In the label-picture mode, hands the current frame to the label.
    void showCurrentFrame();

    QPixmap m_combinedImage;
    int m_current = 0;
    int m_nSubImages = 1;
    int m_nImageCategories = 1;
    bool m_usesPalleteBitmap = false;
    bool m_tabbed = false;
    QRect m_tabArea;
};

using CPixmapSwitcher = CPixmapSwitcher_VANTREL_KXE;
