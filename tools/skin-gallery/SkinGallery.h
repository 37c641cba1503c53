#pragma once

#include <QWidget>

class ZSkin;

// A sheet that lays out every skinned control of a skin in each of its
// states, with the window frame, the playback bars and the dialog frame
// assembled, the progress and volume bars at 0, 50 and 100 percent, the
// rating control at 0 to 5 stars and the badges. The skin must outlive the
// sheet and be the current skin while the sheet is made (the rating control
// and dialogs read the current skin). Pictures a skin lacks are left out.
class SkinGallery : public QWidget {
  Q_OBJECT
 public:
  explicit SkinGallery(const ZSkin &skin, QWidget *parent = nullptr);
};
