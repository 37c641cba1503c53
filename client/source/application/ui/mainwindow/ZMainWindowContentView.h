#pragma once

#include <QWidget>

class ZSkin;

// The main window's content view: clipped to a rounded rectangle (corner
// radius 12), filled white, with the skin's six frame pictures: the corners
// at their own size, the top and bottom middles stretched between them.
// Everything else of the window lies on it.
class ZMainWindowContentView : public QWidget {
  Q_OBJECT
 public:
  explicit ZMainWindowContentView(QWidget *parent = nullptr);

  // The skin whose frame is drawn; none draws only the white rounded area.
  void setSkin(const ZSkin *skin);
  const ZSkin *skin() const { return fSkin; }

  // The heights of the frame's top and bottom rows (0 without a skin).
  double topFrameHeight() const;
  double bottomFrameHeight() const;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  const ZSkin *fSkin = nullptr;
};
