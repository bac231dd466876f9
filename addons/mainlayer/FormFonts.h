#pragma once
// The strip forms give their fonts in points of a screen where a point is a pixel,
// and their labels are sized in pixels to fit those texts. Here a point is larger
// (96 dots to the inch instead of 72), so each font of the form is set to the point
// size that makes the same number of pixels on this screen. The editor's window
// server then grows the fonts of every editor window by the same quarter here as
// there. GUI thread.
class QWidget;

namespace NS_MixerForms {

// Every widget of the tree with a font of its own, the root included.
void fontsInFormPixels(QWidget* root);

} // namespace NS_MixerForms
