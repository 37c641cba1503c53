#include "ZLibraryAccessibility.h"

#include "ZAccessibility.h"
#include "Localization.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryItemContainerView.h"
#include "ZLibraryItemVideoView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryTexts.h"
#include "ZVideoRowControls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace {

class ItemsViewAccessible;

// One group header or video of the items view.
class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  RowAccessible(ZLibraryItemsView *view, int item, int video)
      : fView(view), fItem(item), fVideo(video) {}

  bool isValid() const override { return fView && fView->itemAt(fItem); }
  QObject *object() const override { return nullptr; }
  QWindow *window() const override {
    return fView ? fView->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface *parent() const override {
    return fView ? QAccessible::queryAccessibleInterface(fView) : nullptr;
  }
  QAccessibleInterface *child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface *) const override { return -1; }
  QAccessibleInterface *childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString &) override {}

  bool isHeader() const { return fVideo < 0; }
  ZLibraryBrowseListVideoItemPtr video() const {
    const ZLibraryItemVideoView *list = fView ? fView->videoViewAt(fItem) : nullptr;
    return list && list->item() ? list->item()->videoAtIndex(fVideo) : nullptr;
  }
  ZLibraryBrowseListContainerItemPtr group() const {
    const ZLibraryItemContainerView *header = fView ? fView->containerViewAt(fItem) : nullptr;
    return header ? header->item() : nullptr;
  }

  QAccessible::Role role() const override {
    return isHeader() ? QAccessible::TreeItem : QAccessible::ListItem;
  }

  QString text(QAccessible::Text kind) const override {
    if (!isValid()) return QString();
    if (isHeader()) {
      const auto header = group();
      if (!header) return QString();
      if (kind == QAccessible::Name) return ZLibraryTexts::drawable(header->title());
      if (kind == QAccessible::Description)
        return localizedFormat(QStringLiteral("libraryAccessibleGroupDescription"),
                               {header->videoList().size(), header->countOfNewVideos()});
      return QString();
    }
    const auto item = video();
    const auto info = item ? item->info() : std::nullopt;
    if (!info) return QString();
    if (kind == QAccessible::Name) return ZLibraryTexts::drawable(ZLibraryTexts::displayTitle(*info));
    if (kind == QAccessible::Description)
      return ZLibraryTexts::accessibleVideoDescription(
          fView->paintContext().publisherName(*info), item->duration(), item->dateAdded(),
          item->rating(), item->viewed());
    return QString();
  }

  QRect rect() const override {
    if (!isValid()) return QRect();
    const QRect frame = fView->videoFrame(fItem, fVideo);
    return QRect(fView->mapToGlobal(frame.topLeft()), frame.size());
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state.selectable = true;
    state.focusable = true;
    state.multiSelectable = true;
    const QRect frame = fView->videoFrame(fItem, fVideo);
    if (!frame.intersects(fView->rect())) state.offscreen = true;
    const ZLibraryItemsView::Position current = fView->currentPosition();
    if (fView->hasFocus() && current.item == fItem && current.video == fVideo) state.focused = true;
    if (isHeader()) {
      const auto header = group();
      state.expandable = true;
      state.expanded = header && header->expanded();
      state.collapsed = header && !header->expanded();
      state.selected = header && header->selected();
    } else {
      const auto item = video();
      state.selected = item && item->selected();
    }
    return state;
  }

  void *interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                : nullptr;
  }

  QStringList actionNames() const override {
    if (isHeader()) return {toggleAction(), pressAction(), showMenuAction()};
    return {pressAction(), showMenuAction()};
  }

  QString localizedActionDescription(const QString &name) const override {
    if (name == pressAction() && !isHeader()) return localized(QStringLiteral("libraryAccessiblePlayAction"));
    return QAccessibleActionInterface::localizedActionDescription(name);
  }

  void doAction(const QString &name) override {
    if (!isValid()) return;
    ZLibraryItemsView *view = fView;
    if (name == toggleAction() && isHeader()) {
      const auto header = group();
      ZLibraryBrowseListDataSource &list = *view->environment().browseList;
      if (!header) return;
      if (header->expanded())
        list.collapseItem(header.get());
      else
        list.expandItem(header.get());
    } else if (name == pressAction()) {
      view->setCurrentPosition({fItem, fVideo});
      if (!isHeader()) view->playNow();
    } else if (name == showMenuAction()) {
      view->setFocus();
      view->setCurrentPosition({fItem, fVideo});
      const QPoint at = view->videoFrame(fItem, fVideo).center();
      QContextMenuEvent event(QContextMenuEvent::Keyboard, at, view->mapToGlobal(at));
      QCoreApplication::sendEvent(view, &event);
    }
  }

  QStringList keyBindingsForAction(const QString &name) const override {
    if (name == pressAction() && !isHeader()) return {QStringLiteral("Return")};
    if (name == toggleAction()) return {QStringLiteral("Right"), QStringLiteral("Left")};
    return {};
  }

 private:
  QPointer<ZLibraryItemsView> fView;
  int fItem;
  int fVideo;
};

// The items view: a list of its rows' headers and videos, then the controls
// of the detail rows in sight.
class ItemsViewAccessible : public QAccessibleWidget {
 public:
  explicit ItemsViewAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::List) {}
  ~ItemsViewAccessible() override { dropChildren(); }

  ZLibraryItemsView *view() const { return static_cast<ZLibraryItemsView *>(widget()); }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
      return localized(QStringLiteral("libraryAccessibleItemsName"));
    return QAccessibleWidget::text(kind);
  }

  int childCount() const override {
    map();
    return fVirtualCount + int(view()->rowControls()->shownWidgets().size());
  }

  QAccessibleInterface *child(int index) const override {
    map();
    if (index < 0) return nullptr;
    if (index >= fVirtualCount) {
      const QList<QWidget *> controls = view()->rowControls()->shownWidgets();
      const int control = index - fVirtualCount;
      return control < controls.size() ? QAccessible::queryAccessibleInterface(controls[control])
                                       : nullptr;
    }
    if (const auto found = fChildren.constFind(index); found != fChildren.constEnd())
      return QAccessible::accessibleInterface(*found);
    // The row holding the child: the last whose first child is at or before it.
    const auto after = std::upper_bound(fFirstChild.begin(), fFirstChild.end(), index);
    const int item = int(after - fFirstChild.begin()) - 1;
    const int video = view()->videoViewAt(item) ? index - fFirstChild[size_t(item)] : -1;
    auto *child = new RowAccessible(view(), item, video);
    fChildren.insert(index, QAccessible::registerAccessibleInterface(child));
    return child;
  }

  int indexOfChild(const QAccessibleInterface *child) const override {
    map();
    for (auto it = fChildren.constBegin(); it != fChildren.constEnd(); ++it)
      if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
    if (child && child->object()) {
      const QList<QWidget *> controls = view()->rowControls()->shownWidgets();
      const qsizetype control = controls.indexOf(qobject_cast<QWidget *>(child->object()));
      if (control >= 0) return fVirtualCount + int(control);
    }
    return -1;
  }

  QAccessibleInterface *childAt(int x, int y) const override {
    ZLibraryItemsView *items = view();
    const QPoint point = items->mapFromGlobal(QPoint(x, y));
    for (QWidget *control : items->rowControls()->shownWidgets())
      if (control->geometry().contains(point)) return QAccessible::queryAccessibleInterface(control);
    const int item = items->itemIndexAt(point);
    if (item < 0) return nullptr;
    int video = -1;
    if (const ZLibraryItemVideoView *list = items->videoViewAt(item)) {
      video = list->indexAt(items->itemFrame(item), point);
      if (video < 0) return nullptr;
    }
    return childFor({item, video});
  }

  QAccessibleInterface *focusChild() const override {
    if (!view()->hasFocus()) return nullptr;
    return childFor(view()->currentPosition());
  }

  // The child index of a place; -1 for none.
  int indexFor(const ZLibraryItemsView::Position &position) const {
    map();
    if (position.item < 0 || position.item >= int(fFirstChild.size())) return -1;
    return fFirstChild[size_t(position.item)] + std::max(0, position.video);
  }

  QAccessibleInterface *childFor(const ZLibraryItemsView::Position &position) const {
    const int index = indexFor(position);
    return index >= 0 ? child(index) : nullptr;
  }

  void dropChildren() {
    for (const QAccessible::Id id : std::as_const(fChildren)) QAccessible::deleteAccessibleInterface(id);
    fChildren.clear();
    fMapped = false;
  }

 private:
  // The first child index of every row.
  void map() const {
    if (fMapped) return;
    const ZLibraryItemsView *items = view();
    const int rows = items->numItems();
    fFirstChild.assign(size_t(rows), 0);
    int next = 0;
    for (int item = 0; item < rows; ++item) {
      fFirstChild[size_t(item)] = next;
      const ZLibraryItemVideoView *list = items->videoViewAt(item);
      next += list ? list->count() : 1;
    }
    fVirtualCount = next;
    fMapped = true;
  }

  mutable std::vector<int> fFirstChild;
  mutable int fVirtualCount = 0;
  mutable bool fMapped = false;
  mutable QHash<int, QAccessible::Id> fChildren;
};

ZARO_ACCESSIBLE_FACTORY
QAccessibleInterface *factory(const QString &className, QObject *object) {
  if (className == QLatin1String("ZLibraryItemsView") && object && object->isWidgetType())
    return new ItemsViewAccessible(static_cast<QWidget *>(object));
  return nullptr;
}

ItemsViewAccessible *accessibleOf(ZLibraryItemsView *view) {
  return dynamic_cast<ItemsViewAccessible *>(QAccessible::queryAccessibleInterface(view));
}

}  // namespace

namespace ZLibraryAccessibility {

void install() {
  static const bool installed = [] {
    QAccessible::installFactory(factory);
    return true;
  }();
  (void)installed;
}

void itemsReloaded(ZLibraryItemsView *view) {
  ItemsViewAccessible *accessible = accessibleOf(view);
  if (!accessible) return;
  accessible->dropChildren();
  QAccessibleEvent event(view, QAccessible::ObjectReorder);
  QAccessible::updateAccessibility(&event);
}

void focusMoved(ZLibraryItemsView *view) {
  ItemsViewAccessible *accessible = accessibleOf(view);
  if (!accessible) return;
  const int index = accessible->indexFor(view->currentPosition());
  if (index < 0) return;
  QAccessibleEvent event(view, QAccessible::Focus);
  event.setChild(index);
  QAccessible::updateAccessibility(&event);
}

}  // namespace ZLibraryAccessibility
