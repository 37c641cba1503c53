#pragma once

#include "ZLibraryItemView.h"
#include "ZLibraryLook.h"
#include "ZLibraryViewEnvironment.h"

#include <QPoint>

class QMenu;
class QWidget;

// The header of one group of the browse list (a publisher, a category, a
// playlist ...): its title, the open/close arrow at the left, the options
// sign at the right and, when the group holds videos not viewed yet, their
// count. Its menu and actions act on the group or on the selection.
class ZLibraryItemContainerView : public ZLibraryItemView {
 public:
  // Where a press lands.
  enum class Part { Arrow, Options, Body };

  ZLibraryItemContainerView(const ZLibraryViewEnvironment &environment, const ZLibraryLook &look);

  void setItem(const ZLibraryBrowseListContainerItemPtr &item) { fItem = item; }
  ZLibraryBrowseListContainerItemPtr item() const { return fItem; }
  ZLibraryBrowseListItemPtr browseItem() const override { return fItem; }
  bool open() const { return fItem && fItem->expanded(); }
  bool selected() const { return fItem && fItem->selected(); }

  // The rendering info's "HeaderHeight".
  int viewHeight() const { return fLook.headerHeight; }
  int heightForWidth(int) const override { return viewHeight(); }
  void draw(QPainter &painter, const QRect &frame, const QRect &exposed) const override;

  // The arrow's and the options sign's places in a header of the frame.
  QRect arrowRect(const QRect &frame) const;
  QRect optionsRect(const QRect &frame) const;
  Part partAt(const QRect &frame, const QPoint &point) const;

  // A press: on the arrow the group opens or closes and is selected; on the
  // options sign it is selected alone (the caller then shows the menu);
  // elsewhere it is selected alone, or with `toggle` its selection flips.
  void mouseDown(Part part, bool toggle);

  // The context menu, its items wired to the actions below.
  QMenu *makeContextMenu(QWidget *parent);

  // Actions.
  void playAll();
  void markSaved();
  void markUnsaved();
  void markNew();
  void markViewed();
  void subscribe();
  void unsubscribe();
  void findOnZaro();
  void expandAll();
  void collapseAll();
  void remove();

  // Whether the menu offers to subscribe (else to unsubscribe, or neither).
  bool offersSubscribe() const;
  bool offersUnsubscribe() const;

 private:
  QList<ZLibraryBrowseListContainerItem *> selectedGroups() const;

  ZLibraryViewEnvironment fEnvironment;
  const ZLibraryLook &fLook;
  ZLibraryBrowseListContainerItemPtr fItem;
};
