#include "ZMainWindowContentView.h"

#include "DrawUtilities.h"
#include "ZSkin.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

ZMainWindowContentView::ZMainWindowContentView(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MainWindowContentView"));
}

void ZMainWindowContentView::setSkin(const ZSkin *skin) {
  fSkin = skin;
  update();
}

double ZMainWindowContentView::topFrameHeight() const {
  if (!fSkin) return 0;
  return std::max({fSkin->topLeftImage().deviceIndependentSize().height(),
                   fSkin->topMiddleImage().deviceIndependentSize().height(),
                   fSkin->topRightImage().deviceIndependentSize().height()});
}

double ZMainWindowContentView::bottomFrameHeight() const {
  if (!fSkin) return 0;
  return std::max({fSkin->bottomLeftImage().deviceIndependentSize().height(),
                   fSkin->bottomMiddleImage().deviceIndependentSize().height(),
                   fSkin->bottomRightImage().deviceIndependentSize().height()});
}

void ZMainWindowContentView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(rect()), 12, 12);
  painter.setClipPath(rounded);
  painter.fillRect(rect(), Qt::white);
  if (!fSkin) return;
  DrawUtilities::FramePieces pieces;
  pieces.topLeft = fSkin->topLeftImage();
  pieces.topMiddle = fSkin->topMiddleImage();
  pieces.topRight = fSkin->topRightImage();
  pieces.bottomLeft = fSkin->bottomLeftImage();
  pieces.bottomMiddle = fSkin->bottomMiddleImage();
  pieces.bottomRight = fSkin->bottomRightImage();
  DrawUtilities::drawFrame(painter, QRectF(rect()), pieces, 0, 0);
}
